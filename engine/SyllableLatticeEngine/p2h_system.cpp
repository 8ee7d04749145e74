#include "engine/SyllableLatticeEngine/p2h_system.h"

#include <string>

#include "engine/SyllableLatticeEngine/file_name_option.h"
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
  std::string name;
  FileNameOption(const Resources& resources, const char* section, const char* key)
      : name(ReadFileName(resources, section, key, P2HSystem::kFileNameBytes).value_or(std::string())) {}
  bool set() const { return !name.empty(); }
  bool exists() const { return set() && FileExists(name.c_str()); }
};

}  // namespace

P2HSystem::P2HSystem(const Resources& resources, CLMBackendEngine* back_end,
                     std::unique_ptr<CLexTree> pronunciations)
    : CSystem(back_end) {
  if (pronunciations) TakePronunciations(std::move(pronunciations));
  P2HSystem::ReadOptions(resources, false);
  Load(resources);
}

P2HSystem::P2HSystem(const Resources& resources, CLMBackendEngine* back_end)
    : P2HSystem(resources, back_end, nullptr) {}

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
    LogPrint("\nLoading from %s ...", binary.name.c_str());
    auto tree = std::make_unique<CLexTree>(binary.name.c_str(), kSyllableSeparator);
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
    own_syllables_ = std::make_unique<CSyllableTable>(syllable_file.name.c_str());
    syllables_ = own_syllables_.get();
    LogPrint("Done.\n");
  }
  const FileNameOption pron_file(resources, kSection, "PronunciationFile");
  if (!pron_file.set() || !own_syllables_ || !own_syllables_->syllables()) return;
  LogPrint("\nReading pronunciation file ...");
  auto tree = std::make_unique<CLexTree>(pron_file.name.c_str(), *own_syllables_->syllables(),
                                         kSyllableSeparator, true);
  LogPrint("Done.\n");
  if (tree->status() != 0) return;
  own_pronunciations_ = std::move(tree);
  pronunciations_ = own_pronunciations_.get();
  if (binary.set() && !keep_binary) {
    LogPrint("\nSaving to %s ...", binary.name.c_str());
    own_pronunciations_->WriteBinary(binary.name.c_str());
    LogPrint(" Done.\n");
  }
}

void P2HSystem::LoadKeyboardMap(const Resources& resources) {
  const FileNameOption binary(resources, "Keyboard", "BinaryFrontendFile");
  if (binary.exists()) {
    LogPrint("\nLoading from %s ...", binary.name.c_str());
    keyboard_ = StringMap::FromBinaryFile(binary.name.c_str());
    LogPrint("Done.\n");
    if (keyboard_) return;
  }
  const FileNameOption text(resources, "Keyboard", "FrontendFile");
  if (!text.exists()) return;
  LogPrint("\nReading from %s ...", text.name.c_str());
  keyboard_ = std::make_unique<StringMap>(text.name.c_str(), kFrontendCapacity);
  LogPrint("Done.\n");
  if (binary.set()) {
    LogPrint("\nSaving to %s ...", binary.name.c_str());
    keyboard_->WriteBinary(binary.name.c_str(), 0);
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
