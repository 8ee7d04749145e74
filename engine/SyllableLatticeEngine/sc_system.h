// The character-sequence system: every character of a text may stand for any
// of its alternatives in the confusion map, and the back end chooses the
// sequence of lexicon words that the language model likes best (the
// Simplified-to-Traditional conversion, and text to word ids).
#pragma once

#include <cstdint>

#include "engine/SyllableLatticeEngine/lattice_system.h"

namespace vok {

class ConfusionLatticeEngine;

class CSCSystem : public CLatticeSystem {
 public:
  static constexpr int kConfusionFileBytes = 100;

  // Reads the options and loads the confusion engine (its map from
  // "ConfusionFile" when that names a file); the back end is shared.
  CSCSystem(const Resources& resources, CLMBackendEngine* back_end);
  ~CSCSystem() override;

  // The base options, then "ConfusionFile" of section "CSCSystem".
  int ReadOptions(const Resources& resources, bool reload) override;
  // The text through the confusion engine, the back end without rescoring,
  // the statistics; the engine's result.
  int Decode(const char* text) { return DecodeText(text, false); }
  // Adds `value` with its score behind the alternatives of `key`; 0, or -1
  // when the map refuses it (a string too long, or the map full).
  int AddConfusion(const char* key, const char* value, int score);

  ConfusionLatticeEngine* confusion_engine() const { return confusion_; }
  const char* confusion_file() const { return confusion_file_; }

 private:
  void Load(const Resources& resources);

  ConfusionLatticeEngine* confusion_ = nullptr;
  char confusion_file_[kConfusionFileBytes] = {};
};

}  // namespace vok
