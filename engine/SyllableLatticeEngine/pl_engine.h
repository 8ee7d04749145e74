// The keyboard engine: reads one typed key at a time, follows every key
// sequence of the keyboard map that the keys so far can continue, and writes
// a syllable lattice: each key sequence that ends at the current key becomes
// the syllables the map assigns to it, from the key where it began. With
// short-hand typing an incomplete key sequence also stands for every syllable
// whose key sequence it begins.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/SyllableLatticeEngine/lattice_engine.h"
#include "engine/core/object_mem_mgr.h"

namespace vok {

class CLexTree;
class StringMap;
class SymbolTable;

class CPLEngine : public LatticeEngine {
 public:
  // Results of ProcessKey. The keyboard controller takes kUnknownKey as the
  // refusal of a key.
  static constexpr int kKeyTaken = 0;
  static constexpr int kUnknownKey = 1;
  // The end key, or a key for which no frame is left.
  static constexpr int kEndOfKeys = -1;
  // The separator forces a syllable boundary; the end key (or a 0 byte)
  // ends the keys.
  static constexpr char kSeparatorKey = '\t';
  static constexpr char kEndKey = '\n';
  static constexpr int kKeySymbols = 20000;
  static constexpr int kTheoryBlock = 50;
  static constexpr int kEntryBlock = 20;
  static constexpr int16_t kDefaultFramePenalty = -160;
  static constexpr int16_t kDefaultEntryPenalty = -200;
  static constexpr int kExtraMemory = 352;
  // The finishing frame needs a frame of the table: keys stop one short.
  static constexpr int kMaxKeys = 1999;

  // A partial key sequence: its node in the key tree, the frame before its
  // first key, and the best score there (relative to the last step's best).
  struct Theory {
    int32_t node = 0;
    int16_t start = 0;
    int32_t score = 0;
  };
  // A syllable that ends at the current key.
  struct Entry {
    uint16_t syllable = 0;
    int16_t start = 0;
    int32_t score = 0;
  };

  // The syllable names (ids of the lattice) and the keyboard map are not
  // owned; either may be null (every key is then unknown, or no key sequence
  // names a syllable).
  CPLEngine(const SymbolTable* syllables, const StringMap* keyboard, BackTraceTable* table,
            int16_t frame_penalty = kDefaultFramePenalty, int16_t entry_penalty = kDefaultEntryPenalty);
  ~CPLEngine() override;

  // One key: letters are upper-cased, a 0 byte is the end key. kUnknownKey
  // (nothing changes) for a key no key sequence holds; kEndOfKeys for the end
  // key and for keys past kMaxKeys; else kKeyTaken.
  int ProcessKey(uint8_t key);

  int StartUtterance() override;
  // The finishing frame; a second call before the next start changes nothing.
  int FinishUtterance() override;
  // Each key of the text through ProcessKey until one is negative, then the
  // finish; returns the finish's result.
  int ProcessString(const char* keys) override;
  // The step of the current key.
  int ProcessInput() override;
  int64_t GetMemoryUsage() const override;
  void PrintHeader() const override;

  void set_short_hand(bool on) { short_hand_ = on; }
  bool short_hand() const { return short_hand_; }
  int16_t frame_penalty() const { return frame_penalty_; }
  int16_t entry_penalty() const { return entry_penalty_; }
  // The best entry score of the last step (0 after the start), or -27768
  // when the step entered nothing.
  int16_t best_score() const { return best_; }
  int32_t complete_count() const { return complete_count_; }
  int32_t short_hand_count() const { return short_hand_count_; }
  const SymbolTable& key_symbols() const { return *key_symbols_; }
  const CLexTree& key_tree() const { return *key_tree_; }
  // The current partial key sequences.
  int theory_count() const { return static_cast<int>(current_.size()); }

 private:
  enum class Mode { kComplete, kShortHand };

  void BuildKeyTree();
  // The syllables a key sequence entry names, and those of every node below.
  std::vector<uint16_t> SyllablesOf(int entry) const;
  void CollectBelow();
  // The pool id of a new theory, or -1 when the pool is exhausted.
  int NewTheory(int32_t node, int start, int32_t score);
  void ReleaseTheories(std::vector<int>* theories);
  // A fresh theory at the root from the current frame, unless one exists.
  void StartTheory();
  void Advance();
  // Enters the syllables of every current theory; the number of entries.
  int EnterSyllables(Mode mode, int32_t extra);
  void WriteEntries();
  int ProcessSeparator();

  const SymbolTable* syllables_;
  const StringMap* keyboard_;
  std::unique_ptr<SymbolTable> key_symbols_;
  std::unique_ptr<CLexTree> key_tree_;
  int32_t separator_id_ = -1;
  int32_t end_id_ = -1;
  // The key tree's id of each byte (-1: no key sequence holds it).
  int32_t key_ids_[256] = {};
  // Per tree node: the syllables it completes, and those of the nodes below.
  std::vector<std::vector<uint16_t>> node_syllables_;
  std::vector<std::vector<uint16_t>> below_syllables_;

  int32_t current_key_ = -1;
  int16_t best_ = 0;
  bool short_hand_ = true;
  bool finished_ = false;
  int16_t frame_penalty_;
  int16_t entry_penalty_;
  int32_t complete_count_ = 0;
  int32_t short_hand_count_ = 0;

  ObjectMemMgr<Theory> theories_;
  ObjectMemMgr<Entry> entries_;
  std::vector<int> current_;
  std::vector<int> next_;
  // Syllables entered by the theory being entered: a syllable is entered once
  // per start, with its best score.
  std::vector<uint32_t> entered_stamp_;
  std::vector<int> entered_at_;
  uint32_t stamp_ = 0;
};

}  // namespace vok
