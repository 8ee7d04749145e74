#include "engine/SyllableLatticeEngine/lm_backend_engine.h"

#include <filesystem>
#include <string>

#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"

namespace vok {

namespace {

constexpr const char* kSection = "LMBackend";

bool FileExists(const char* path) {
  std::error_code error;
  return path && *path && std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

// The core model's word entries, class table and class totals, as the
// product holds them.
int64_t CoreMemory(const CoreLM& core) {
  const int64_t classes = core.class_count();
  return int64_t{CoreLM::kWordCapacity} * 8 + classes * classes + classes * 4;
}

}  // namespace

CLMBackendEngine::CLMBackendEngine() = default;

CLMBackendEngine::CLMBackendEngine(const Resources& resources) { Load(resources); }

CLMBackendEngine::CLMBackendEngine(const Resources& resources, CLexicon* lexicon, CoreLM* core)
    : lexicon_(lexicon), core_(core) {
  decoder_ = std::make_unique<StackDecoder>(&resources, core_);
  decoder_->set_lexicon(lexicon_);
}

CLMBackendEngine::~CLMBackendEngine() {
  owned_core_.reset();
  owned_lexicon_.reset();
  decoder_.reset();
}

void CLMBackendEngine::ReadFileName(const Resources& resources, const char* key, char* out) {
  resources.Get(kSection, key, out, kFileNameBytes);
}

int CLMBackendEngine::ReadOptions(const Resources& resources, bool reload) {
  int result = 0;
  if (resources.Get(kSection, "LexiconFile", lexicon_file_, kFileNameBytes) != 0) {
    ErrorSet(kSection, -1, "Parameter \"LexiconFile\" not set!\n");
    result = -1;
  }
  if (resources.Get(kSection, "CoreLMFile", core_lm_file_, kFileNameBytes) != 0) {
    ErrorSet(kSection, -1, "Parameter \"CoreLMFile\" not set!\n");
    result = -1;
  }
  ReadFileName(resources, "PageLMFile", page_lm_file_);
  ReadFileName(resources, "CacheLMFile", cache_lm_file_);
  int beam = 0;
  if (resources.GetInt(kSection, "PageLMWordGramBeam", &beam) == 0) page_lm_word_gram_beam_ = beam;
  if (reload) {
    if (decoder_ && decoder_->ReadOptions(resources, true) != 0) result = -1;
    if (core_) core_->ReadOptions(resources);
  }
  FlushOptionErrors(reload);
  return result;
}

int CLMBackendEngine::Load(const Resources& resources) {
  ReadOptions(resources, false);
  if (FileExists(core_lm_file_)) {
    LogPrint("\nLoading core language model ... ");
    owned_core_ = std::make_unique<CoreLM>(&resources, core_lm_file_);
    if (owned_core_->status() != 0) owned_core_.reset();
    core_ = owned_core_.get();
    LogPrint("Done.\n");
  }
  char binary[kFileNameBytes] = {};
  resources.Get(kSection, "BinaryLexiconFile", binary, kFileNameBytes);
  if (*binary && FileExists(binary)) {
    LogPrint("\nLoading lexicon from %s ...", binary);
    owned_lexicon_ = std::make_unique<CLexicon>(binary, core_, 0);
    LogPrint("Done.\n");
  } else if (*lexicon_file_) {
    LogPrint("\nReading lexicon ...");
    owned_lexicon_ = std::make_unique<CLexicon>(&resources, lexicon_file_, core_);
    LogPrint("Done.\n");
    if (*binary && owned_lexicon_->status() == 0) {
      LogPrint("\nSaving to %s ...", binary);
      owned_lexicon_->WriteBinary(binary, 0, 0);
      LogPrint(" Done.\n");
    }
  }
  if (owned_lexicon_ && owned_lexicon_->status() != 0) owned_lexicon_.reset();
  lexicon_ = owned_lexicon_.get();
  decoder_ = std::make_unique<StackDecoder>(&resources, core_);
  decoder_->set_lexicon(lexicon_);
  return lexicon_ && core_ ? 0 : -1;
}

int CLMBackendEngine::Decode(BackTraceTable* table, const CLexTree* constraint, int beam, int max_extend) {
  if (!decoder_) {
    ErrorSet("CLMBackendEngine::Decode", -1, "errNoLanguageModel");
    return -1;
  }
  if (!table || table->frames_completed() <= 0) {
    decoder_->ClearStacks(-1);
    return -1;
  }
  decoder_->set_lexicon(lexicon_);
  return decoder_->Decode(table, constraint, beam, max_extend);
}

int CLMBackendEngine::GetNBest(NBestList* list, int mode) {
  if (!list) return -1;
  list->Reset(0, mode);
  if (!decoder_) return -1;
  return decoder_->GetNBest(list, kNBestFloor);
}

int CLMBackendEngine::GetAlternatives(const uint16_t* word_ids, CAlternativeList* records) {
  if (!word_ids || word_ids[0] == 0 || !decoder_) return -1;
  return decoder_->GetAlternatives(word_ids, records);
}

int CLMBackendEngine::GetCorePersonClass() const {
  return core_ ? core_->token_class(CoreLM::kPerson) : kNoClass;
}
int CLMBackendEngine::GetCorePlaceClass() const {
  return core_ ? core_->token_class(CoreLM::kPlace) : kNoClass;
}
int CLMBackendEngine::GetCoreIdiomClass() const {
  return core_ ? core_->token_class(CoreLM::kIdiom) : kNoClass;
}
int CLMBackendEngine::GetCoreUnknownClass() const {
  return core_ ? core_->token_class(CoreLM::kUnknown) : kNoClass;
}

int64_t CLMBackendEngine::GetMemoryUsage() const {
  int64_t bytes = (decoder_ ? decoder_->GetMemoryUsage() : 0) + 4;
  if (lexicon_) bytes += lexicon_->GetMemoryUsage();
  if (core_) bytes += CoreMemory(*core_);
  return bytes;
}

void CLMBackendEngine::PrintSummary() const {
  if (decoder_) decoder_->PrintSummary();
}

void CLMBackendEngine::PrintReport() const {
  if (decoder_) decoder_->PrintReport();
}

}  // namespace vok
