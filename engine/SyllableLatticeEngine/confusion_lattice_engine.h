// The text engine of script conversion: every substring of the text enters
// the lattice as each lexicon word that replacing parts of it by their
// alternatives from a confusion map can make.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/SyllableLatticeEngine/word_lattice_engine.h"

namespace vok {

class StringMap;

class ConfusionLatticeEngine : public WordLatticeEngine {
 public:
  static constexpr int kMapCapacity = 30000;
  static constexpr int kMemoryUsage = 620;

  // The confusion map is read from the text file when a path is given and
  // the file exists; otherwise it starts empty.
  ConfusionLatticeEngine(BackTraceTable* table, const CLexicon* lexicon, const char* confusion_file);
  ~ConfusionLatticeEngine() override;

  // One byte: -1 once 512 are in the buffer.
  int ProcessInput() override;
  int64_t GetMemoryUsage() const override;
  void PrintHeaderTo(std::FILE* stream) const override;

  StringMap* confusion_map() { return map_.get(); }
  const StringMap* confusion_map() const { return map_.get(); }

  // Only texts made wholly of the map's values become entries, in every
  // composition of keys that covers the substring. For a source text in
  // another code page than the lexicon (Simplified GB2312 to Traditional
  // Big5), where the bytes of an unchanged part would be looked up as a
  // different word. Off by default.
  void set_values_only(bool on) { values_only_ = on; }
  bool values_only() const { return values_only_; }

 private:
  // Keeps the best score of each word entered for the current start.
  void Offer(const std::string& text, int score);
  // The replacements of buffer[from, end) after `prefix`.
  void Replace(int from, int end, const std::string& prefix, int score);
  // The compositions of keys that cover buffer[from, end) after `prefix`.
  void ReplaceWhole(int from, int end, const std::string& prefix, int score);
  bool MayGrow(const std::string& prefix) const;
  void RebuildPrefixes();

  std::unique_ptr<StringMap> map_;
  // Every leading part of every lexicon word, and the longest word.
  std::unordered_set<std::string> prefixes_;
  int prefix_entries_ = -1;
  int longest_word_ = 0;
  int key_count_ = -1;
  int longest_key_ = 0;
  std::unordered_map<uint16_t, int> offered_;
  bool values_only_ = false;
};

}  // namespace vok
