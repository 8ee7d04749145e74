// The keyboard pronunciation-to-character system: the keyboard engine turns
// typed keys into a syllable lattice, and the back end, constrained by the
// lexicon's pronunciation tree, decodes the syllables into words.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/SyllableLatticeEngine/system.h"

namespace vok {

class BackTraceTable;
class CPLEngine;
class StringMap;

class P2HSystem : public CSystem {
 public:
  static constexpr int kFileNameBytes = 100;
  static constexpr int kFrontendCapacity = 2000;
  // The back-trace table: record blocks, maximum branching, hypothesis mode.
  static constexpr int kTableBlock = 1000;
  static constexpr int kTableBranching = 50;
  static constexpr int32_t kTableMode = 1;

  // With pronunciations given, the system takes them (they must be a
  // backward tree: the stack decoder walks words from their last syllable);
  // otherwise they are loaded from section "P2HSystem". The back end is
  // shared.
  P2HSystem(const Resources& resources, CLMBackendEngine* back_end, std::unique_ptr<CLexTree> pronunciations);
  P2HSystem(const Resources& resources, CLMBackendEngine* back_end);
  ~P2HSystem() override;

  // The base options, then "ProcessInput" of section "P2HSystem".
  int ReadOptions(const Resources& resources, bool reload) override;
  // One key for the engine (CPLEngine::ProcessKey); counts the input.
  int ProcessKey(uint8_t key);

  CPLEngine* keyboard_engine() const { return pl_engine_.get(); }
  const StringMap* keyboard_map() const { return keyboard_.get(); }
  const CLexTree* pronunciations() const { return pronunciations_; }
  const CSyllableTable* syllable_table() const { return syllables_; }
  int32_t process_input() const { return process_input_; }
  // The keyboard controller hands its switch 0x3003 over with every request.
  void set_process_input(int32_t value) { process_input_ = value; }

 private:
  void Load(const Resources& resources);
  void LoadPronunciations(const Resources& resources);
  void LoadKeyboardMap(const Resources& resources);
  void TakePronunciations(std::unique_ptr<CLexTree> tree);

  int32_t process_input_ = 0;
  std::unique_ptr<CLexTree> own_pronunciations_;
  std::unique_ptr<CSyllableTable> own_syllables_;
  std::unique_ptr<StringMap> keyboard_;
  std::unique_ptr<BackTraceTable> own_table_;
  std::unique_ptr<CPLEngine> pl_engine_;
};

}  // namespace vok
