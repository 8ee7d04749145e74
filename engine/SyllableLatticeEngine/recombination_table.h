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
  Theory* Add(const TheoryRef& ref) {
    Theory* theory = ref.record();
    theory->next = nullptr;
    if (keys_ != Keys::kSlots) return keys_ == Keys::kHash ? AddHashed(ref, theory) : nullptr;
    const int slot = SlotOf(ref.state);
    Chain& chain = slots_[static_cast<std::size_t>(slot)];
    if (!chain.head) {
      used_slots_.push_back(slot);
      chain = Chain{theory, theory, ref.score};
      return nullptr;
    }
    return Join(&chain, theory, ref.score);
  }

 private:
  struct Chain {
    Theory* head = nullptr;
    Theory* tail = nullptr;
    // The tail's score, so that the usual join does not read the tail's
    // record, which lies far back in the pool.
    int32_t tail_score = 0;
  };
  int SlotOf(int32_t state) const {
    return static_cast<unsigned>(state) < static_cast<unsigned>(states_) ? state : unknown_slot_;
  }
  Theory* AddHashed(const TheoryRef& ref, Theory* theory);
  // Into a chain that has a head; the theory's next is null.
  static Theory* Join(Chain* chain, Theory* theory, int32_t score) {
    // Scores arrive in descending order, so the end of the chain is the
    // place, and the tail's next, always null, is not read: the tail's
    // record lies far back in the pool. A better late arrival still goes
    // where its score belongs.
    if (!(chain->tail_score < score)) {
      chain->tail->next = theory;
      chain->tail = theory;
      chain->tail_score = score;
      return chain->head;
    }
    Theory* at = chain->head;
    while (at->next && at->next->score >= score) at = at->next;
    theory->next = at->next;
    at->next = theory;
    if (!theory->next) {
      chain->tail = theory;
      chain->tail_score = score;
    }
    return chain->head;
  }

  // Which of UseSlots and UseHash was called last; neither: no theory joins.
  enum class Keys { kNone, kSlots, kHash };
  Keys keys_ = Keys::kNone;
  int states_ = 0;  // the slots but the last
  int unknown_slot_ = 0;
  std::vector<Chain> slots_;
  std::vector<int> used_slots_;
  std::unordered_map<uint64_t, Chain> hash_;
};

}  // namespace vok
