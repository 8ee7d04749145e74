#include "engine/SyllableLatticeEngine/lm_backend_engine.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/SyllableLatticeEngine/file_name_option.h"
#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/cache_lm.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lexicon.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/resources.h"

namespace vok {

namespace {

constexpr const char* kSection = "LMBackend";

bool FileExists(const char* path) {
  std::error_code error;
  return path && *path && std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

}  // namespace

void PutBackEndDefaults(Resources* resources) {
  resources->Put(kSection, "ClassBigramWeight", "1.0");
  resources->Put(kSection, "ClassTrigramWeight", "2.0");
  resources->Put(kSection, "WordProbWeight", "0.5");
  resources->PutInt(kSection, "WordInsertionPenalty", -50);
  resources->Put(kSection, "WordProbFloorRate", "0.85");
  resources->PutInt(kSection, "ClassTrigramWordPenalty", 0);
  resources->Put(kSection, "ClassBigramProbFloorRate", "0.3");
  resources->PutInt(kSection, "CacheLMHistory", 100);
  resources->Put(kSection, "CacheLMWeight", "0.8");
}

CLMBackendEngine::CLMBackendEngine() = default;

CLMBackendEngine::CLMBackendEngine(const Resources& resources) { Load(resources); }

CLMBackendEngine::CLMBackendEngine(const Resources& resources, CLexicon* lexicon, CoreLM* core, PageLM* page)
    : lexicon_(lexicon), core_(core), page_(page) {
  decoder_ = std::make_unique<StackDecoder>(&resources, core_);
  decoder_->set_lexicon(lexicon_);
}

// The models let go of the cache model and the lexicon's word list before
// those go.
CLMBackendEngine::~CLMBackendEngine() {
  if (core_) core_->SetCacheLM(nullptr);
  if (page_) page_->SetCacheLM(nullptr);
  decoder_.reset();
  owned_lexicon_.reset();
  owned_core_.reset();
  owned_page_.reset();
  cache_.reset();
}

void CLMBackendEngine::SetLexicon(CLexicon* lexicon) {
  lexicon_ = lexicon;
  if (decoder_) decoder_->set_lexicon(lexicon_);
  if (owned_lexicon_.get() != lexicon) owned_lexicon_.reset();
}

bool CLMBackendEngine::ReadFileName(const Resources& resources, const char* section, const char* key,
                                    char* out) {
  *out = '\0';
  if (resources.GetValue(section, key) == nullptr) return false;
  const std::optional<std::string> fitting = vok::ReadFileName(resources, section, key, kFileNameBytes);
  if (fitting) std::memcpy(out, fitting->c_str(), fitting->size() + 1);
  return true;
}

int CLMBackendEngine::ReadOptions(const Resources& resources, bool reload) {
  int result = 0;
  if (!ReadFileName(resources, kSection, "LexiconFile", lexicon_file_) && own_lexicon_) {
    ErrorSet(kSection, -1, "Parameter \"LexiconFile\" not set!\n");
    result = -1;
  }
  if (!ReadFileName(resources, kSection, "CoreLMFile", core_lm_file_)) {
    ErrorSet(kSection, -1, "Parameter \"CoreLMFile\" not set!\n");
    result = -1;
  }
  ReadFileName(resources, kSection, "PageLMFile", page_lm_file_);
  ReadFileName(resources, kSection, "CacheLMFile", cache_lm_file_);
  int beam = 0;
  if (resources.GetInt(kSection, "PageLMWordGramBeam", &beam) == 0) page_lm_word_gram_beam_ = beam;
  if (reload) {
    float weight = 0;
    if (page_ && resources.GetFloat(kSection, "ClassTrigramWeight", &weight) == 0) page_->SetWeight(weight);
    if (page_ && resources.GetFloat(kSection, "ClassTrigramWeight2", &weight) == 0)
      page_->SetSecondWeight(weight);
    if (decoder_ && decoder_->ReadOptions(resources, true) != 0) result = -1;
    if (core_) core_->ReadOptions(resources);
  }
  FlushOptionErrors(reload);
  return result;
}

int CLMBackendEngine::Load(const Resources& resources) { return Load(resources, true); }

int CLMBackendEngine::LoadModels(const Resources& resources) { return Load(resources, false); }

int CLMBackendEngine::Load(const Resources& resources, bool own_lexicon) {
  own_lexicon_ = own_lexicon;
  ReadOptions(resources, false);
  if (FileExists(core_lm_file_)) {
    LogPrint("\nLoading core language model ... ");
    owned_core_ = std::make_unique<CoreLM>(&resources, core_lm_file_);
    if (owned_core_->status() != 0) owned_core_.reset();
    core_ = owned_core_.get();
    LogPrint("Done.\n");
  }
  if (FileExists(page_lm_file_)) {
    LogPrint("\nInitializing pageable language model ...");
    owned_page_ = std::make_unique<PageLM>(page_lm_file_, PageLM::kOrder, 1.0f, PageLM::kDefaultCacheSize);
    if (owned_page_->status() != 0) owned_page_.reset();
    page_ = owned_page_.get();
    LogPrint("Done.\n");
    char cache_file[kFileNameBytes] = {};
    if (page_ && ReadFileName(resources, "System", "PLMCacheFile", cache_file) && *cache_file) {
      LogPrint("\nLoading PageLM Cache file %s...\n", cache_file);
      page_->LoadCache(cache_file);
      LogPrint("Done.\n");
    }
  }
  if (own_lexicon_) LoadLexicon(resources);
  if (page_) {
    float weight = 0;
    if (resources.GetFloat(kSection, "ClassTrigramWeight", &weight) == 0) {
      page_->SetWeight(weight);
      page_->SetSecondWeight(weight);
    }
    int penalty = 0;
    if (resources.GetInt(kSection, "ClassTrigramWordPenalty", &penalty) == 0) page_->SetWordPenalty(penalty);
  }
  if (core_ && core_->word_count() > 0) InitCacheLM(resources);
  decoder_ = std::make_unique<StackDecoder>(&resources, core_);
  decoder_->set_lexicon(lexicon_);
  return (lexicon_ || !own_lexicon_) && core_ ? 0 : -1;
}

void CLMBackendEngine::LoadLexicon(const Resources& resources) {
  char binary[kFileNameBytes] = {};
  ReadFileName(resources, kSection, "BinaryLexiconFile", binary);
  if (*binary && FileExists(binary)) {
    LogPrint("\nLoading lexicon from %s ...", binary);
    owned_lexicon_ = std::make_unique<CLexicon>(binary, core_, page_, 0);
    LogPrint("Done.\n");
  } else if (*lexicon_file_) {
    LogPrint("\nReading lexicon ...");
    owned_lexicon_ = std::make_unique<CLexicon>(&resources, lexicon_file_, core_, page_);
    LogPrint("Done.\n");
    if (*binary && owned_lexicon_->status() == 0) {
      LogPrint("\nSaving to %s ...", binary);
      owned_lexicon_->WriteBinary(binary, 0, 0);
      LogPrint(" Done.\n");
    }
  }
  if (owned_lexicon_ && owned_lexicon_->status() != 0) owned_lexicon_.reset();
  lexicon_ = owned_lexicon_.get();
}

int CLMBackendEngine::InitCacheLM(const Resources& resources) {
  if (!resources.FindEntry(kSection, "CacheLMHistory")) return -1;
  if (core_) core_->SetCacheLM(nullptr);
  if (page_) page_->SetCacheLM(nullptr);
  cache_.reset();
  if (!core_) return -1;
  LogPrint("\nInitializing cache language model ...");
  cache_ = std::make_unique<CacheLM>(&resources, CoreLM::kWordCapacity, core_->unigram_bias(),
                                     core_->unigram_shift());
  LogPrint("Done.\n");
  cache_->Clear();
  cache_->PrintReport();
  core_->SetCacheLM(cache_.get());
  if (page_) page_->SetCacheLM(cache_.get());
  return 0;
}

int CLMBackendEngine::ResetCacheLM() {
  if (!cache_) return -1;
  cache_->Clear();
  return 0;
}

int CLMBackendEngine::UpdateCacheLM(const uint16_t* word_ids) {
  if (!cache_ || !word_ids) return -1;
  cache_->AddWords(word_ids);
  return cache_->Update();
}

void CLMBackendEngine::UseClassTrigram(bool use) {
  if (decoder_) decoder_->set_page(use ? page_ : nullptr);
}

int CLMBackendEngine::PrepareNBest(NBestList* list) {
  if (!list) return -1;
  const int penalty = decoder_ ? decoder_->word_insertion_penalty() : 0;
  for (int i = 0; i < list->count(); ++i) {
    Hypothesis& h = list->Mutable(i);
    h.score = Saturate16(int64_t{h.score} - int64_t{h.count} * penalty);
  }
  if (core_) core_->RemoveScoresFromNBest(list, true);
  if (core_ && page_ && page_->WantsUnigramsRemoved()) core_->RemoveScoresFromNBest(list, false);
  return 0;
}

int CLMBackendEngine::RescoreNBest(NBestList* list, const uint16_t* left_context,
                                   const uint16_t* right_context) {
  if (!list || !page_ || !(page_->weight() > 0)) return -1;
  PrepareNBest(list);
  if (!left_context && !right_context) {
    page_->RescoreNBest(list, 0);
    return 0;
  }
  if (list->AddContext(left_context, right_context) != 0) return -1;
  page_->RescoreNBest(list, 0);
  list->RemoveContext(left_context ? left_context[0] : 0, right_context ? right_context[0] : 0);
  return 0;
}

int CLMBackendEngine::RescoreWordGraph(NBestList* list) {
  if (!list || !page_ || !(page_->weight() > 0) || !decoder_) return -1;
  list->Reset(0, 1);
  PageLM* previous = decoder_->page();
  decoder_->set_page(page_);
  const int result = decoder_->DecodeWithPageLM(list, page_lm_word_gram_beam_);
  decoder_->set_page(previous);
  if (result == 0) PrepareNBest(list);
  return result;
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

int CLMBackendEngine::GetPagePersonClass() const {
  return page_ ? page_->token_class(PageLM::kPerson) : kNoClass;
}
int CLMBackendEngine::GetPagePlaceClass() const {
  return page_ ? page_->token_class(PageLM::kPlace) : kNoClass;
}
int CLMBackendEngine::GetPageIdiomClass() const {
  return page_ ? page_->token_class(PageLM::kIdiom) : kNoClass;
}
int CLMBackendEngine::GetPageUnknownClass() const {
  return page_ ? page_->token_class(PageLM::kUnknown) : kNoClass;
}

int64_t CLMBackendEngine::GetMemoryUsage() const {
  int64_t bytes = (decoder_ ? decoder_->GetMemoryUsage() : 0) + 4;
  if (lexicon_) bytes += lexicon_->GetMemoryUsage();
  if (core_) bytes += core_->GetMemoryUsage();
  if (cache_) bytes += cache_->GetMemoryUsage();
  if (page_) bytes += page_->GetMemoryUsage();
  return bytes;
}

void CLMBackendEngine::PrintSummary() const {
  if (decoder_) decoder_->PrintSummary();
  if (page_ && page_->weight() > 0) page_->PrintSummary();
}

void CLMBackendEngine::PrintReport() const {
  if (decoder_) decoder_->PrintReport();
  if (page_ && page_->weight() > 0) page_->PrintReport();
}

}  // namespace vok
