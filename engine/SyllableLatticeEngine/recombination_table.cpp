#include "engine/SyllableLatticeEngine/recombination_table.h"

namespace vok {

void RecombinationTable::UseSlots(int states, int unknown_state) {
  hashed_ = false;
  if (states < 0) states = 0;
  slots_.assign(static_cast<std::size_t>(states) + 1, Chain{});
  unknown_slot_ = unknown_state >= 0 && unknown_state < states ? unknown_state : states;
  used_slots_.clear();
  hash_.clear();
}

void RecombinationTable::UseHash() {
  hashed_ = true;
  slots_.clear();
  used_slots_.clear();
  hash_.clear();
  hash_.reserve(kHashBuckets);
}

void RecombinationTable::Clear() {
  if (hashed_) {
    hash_.clear();
    return;
  }
  for (int slot : used_slots_) slots_[static_cast<std::size_t>(slot)] = Chain{};
  used_slots_.clear();
}

int RecombinationTable::SlotOf(int32_t state) const {
  const int states = static_cast<int>(slots_.size()) - 1;
  return state >= 0 && state < states ? state : unknown_slot_;
}

Theory* RecombinationTable::Join(Chain* chain, Theory* theory, int32_t score) {
  if (!chain->head) {
    chain->head = chain->tail = theory;
    return nullptr;
  }
  // Scores arrive in descending order, so the end of the chain is the place;
  // a better late arrival still goes where its score belongs.
  Theory* at = chain->tail;
  if (at->score < score) {
    at = chain->head;
    while (at->next && at->next->score >= score) at = at->next;
  }
  theory->next = at->next;
  at->next = theory;
  if (!theory->next) chain->tail = theory;
  return chain->head;
}

Theory* RecombinationTable::Add(const TheoryRef& ref) {
  Theory* theory = ref.record();
  theory->next = nullptr;
  if (hashed_) {
    const uint64_t key =
        (uint64_t{static_cast<uint32_t>(ref.state)} << 32) | static_cast<uint32_t>(theory->word_graph);
    return Join(&hash_[key], theory, ref.score);
  }
  if (slots_.empty()) return nullptr;
  const int slot = SlotOf(ref.state);
  Chain& chain = slots_[static_cast<std::size_t>(slot)];
  if (!chain.head) used_slots_.push_back(slot);
  return Join(&chain, theory, ref.score);
}

}  // namespace vok
