#include "engine/SyllableLatticeEngine/p2h_system.h"

#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/file_io.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "engine/core/syllable_table.h"

namespace vok {

namespace {

constexpr const char* kSection = "P2HSystem";
constexpr const char* kSyllableSeparator = "-";

struct FileNameOption {
  char name[P2HSystem::kFileNameBytes] = {};
  FileNameOption(const Resources& resources, const char* section, const char* key) {
    if (resources.Get(section, key, name, sizeof name) != 0) name[0] = '\0';
  }
  bool set() const { return name[0] != '\0'; }
  bool exists() const { return set() && FileExists(name); }
};

}  // namespace

P2HSystem::P2HSystem(const Resources& resources, CLMBackendEngine* back_end,
                     std::unique_ptr<CLexTree> pronunciations)
    : CSystem(back_end) {
  if (pronunciations) TakePronunciations(std::move(pronunciations));
  P2HSystem::ReadOptions(resources, false);
  Load(resources);
}

P2HSystem::~P2HSystem() = default;

int P2HSystem::ReadOptions(const Resources& resources, bool reload) {
  const int result = CSystem::ReadOptions(resources, reload);
  resources.GetInt(kSection, "ProcessInput", &process_input_);
  return result;
}

void P2HSystem::TakePronunciations(std::unique_ptr<CLexTree> tree) {
  if (!tree->backward()) {
    ErrorSet("P2HSystem", -1, "errForwardPronunciationTree");
    ErrorMessage("P2HSystem: the pronunciations are a forward tree; the decoder walks words backward");
    return;
  }
  own_syllables_ = std::make_unique<CSyllableTable>(*tree->syllables());
  own_pronunciations_ = std::move(tree);
  pronunciations_ = own_pronunciations_.get();
  syllables_ = own_syllables_.get();
}

void P2HSystem::LoadPronunciations(const Resources& resources) {
  const FileNameOption binary(resources, kSection, "BinaryPronunciationFile");
  // A forward tree in the binary file belongs to another system: it is not
  // overwritten.
  bool keep_binary = false;
  if (binary.exists()) {
    LogPrint("\nLoading from %s ...", binary.name);
    auto tree = std::make_unique<CLexTree>(binary.name, kSyllableSeparator);
    LogPrint("Done.\n");
    if (tree->status() == 0) {
      keep_binary = !tree->backward();
      TakePronunciations(std::move(tree));
      if (pronunciations_) return;
    }
  }
  const FileNameOption syllable_file(resources, kSection, "SyllableFile");
  if (syllable_file.set()) {
    LogPrint("\nReading syllable table ...");
    own_syllables_ = std::make_unique<CSyllableTable>(syllable_file.name);
    syllables_ = own_syllables_.get();
    LogPrint("Done.\n");
  }
  const FileNameOption pron_file(resources, kSection, "PronunciationFile");
  if (!pron_file.set() || !own_syllables_ || !own_syllables_->syllables()) return;
  LogPrint("\nReading pronunciation file ...");
  auto tree =
      std::make_unique<CLexTree>(pron_file.name, *own_syllables_->syllables(), kSyllableSeparator, true);
  LogPrint("Done.\n");
  if (tree->status() != 0) return;
  own_pronunciations_ = std::move(tree);
  pronunciations_ = own_pronunciations_.get();
  if (binary.set() && !keep_binary) {
    LogPrint("\nSaving to %s ...", binary.name);
    own_pronunciations_->WriteBinary(binary.name);
    LogPrint(" Done.\n");
  }
}

void P2HSystem::LoadKeyboardMap(const Resources& resources) {
  const FileNameOption binary(resources, "Keyboard", "BinaryFrontendFile");
  if (binary.exists()) {
    LogPrint("\nLoading from %s ...", binary.name);
    keyboard_ = StringMap::FromBinaryFile(binary.name);
    LogPrint("Done.\n");
    if (keyboard_) return;
  }
  const FileNameOption text(resources, "Keyboard", "FrontendFile");
  if (!text.exists()) return;
  LogPrint("\nReading from %s ...", text.name);
  keyboard_ = std::make_unique<StringMap>(text.name, kFrontendCapacity);
  LogPrint("Done.\n");
  if (binary.set()) {
    LogPrint("\nSaving to %s ...", binary.name);
    keyboard_->WriteBinary(binary.name, 0);
    LogPrint(" Done.\n");
  }
}

void P2HSystem::Load(const Resources& resources) {
  if (!pronunciations_) LoadPronunciations(resources);
  LoadKeyboardMap(resources);
  LogPrint("\nInstantiating engine ...");
  own_table_ = std::make_unique<BackTraceTable>(kTableBlock, kTableBranching, kTableMode);
  table_ = own_table_.get();
  pl_engine_ =
      std::make_unique<CPLEngine>(syllables_ ? syllables_->syllables() : nullptr, keyboard_.get(), table_,
                                  CPLEngine::kDefaultFramePenalty, CPLEngine::kDefaultEntryPenalty);
  int short_hand = 1;
  resources.GetInt(kSection, "DoShortHand", &short_hand);
  pl_engine_->set_short_hand(short_hand != 0);
  engine_ = pl_engine_.get();
  LogPrint(" Done.\n");
  pl_engine_->PrintHeader();
}

int P2HSystem::ProcessKey(uint8_t key) {
  ++input_count_;
  return pl_engine_->ProcessKey(key);
}

}  // namespace vok
