// The theories of one stack that share a language-model state (and, in the
// page-model pass, a word-graph field): only the best of each key is
// extended; the others wait in its chain, best first, as alternatives.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/SyllableLatticeEngine/theory.h"

namespace vok {

class RecombinationTable {
 public:
  static constexpr int kHashBuckets = 5000;

  // One slot per state 0 to states - 1, and one for every state outside
  // them, which counts as `unknown_state` (itself checked the same way).
  void UseSlots(int states, int unknown_state);
  // Keys {state, word-graph field} in a hash table.
  void UseHash();
  void Clear();
  // Theories come best first. The first theory of a key becomes its head
  // (returns null); a later one joins the end of the head's chain, behind
  // every theory of an equal or higher score (returns the head).
  Theory* Add(const TheoryRef& ref);

 private:
  struct Chain {
    Theory* head = nullptr;
    Theory* tail = nullptr;
  };
  int SlotOf(int32_t state) const;
  static Theory* Join(Chain* chain, Theory* theory, int32_t score);

  bool hashed_ = false;
  int unknown_slot_ = 0;
  std::vector<Chain> slots_;
  std::vector<int> used_slots_;
  std::unordered_map<uint64_t, Chain> hash_;
};

}  // namespace vok
