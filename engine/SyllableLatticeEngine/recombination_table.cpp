#include "engine/SyllableLatticeEngine/recombination_table.h"

namespace vok {

void RecombinationTable::UseSlots(int states, int unknown_state) {
  hashed_ = false;
  if (states < 0) states = 0;
  slots_.assign(static_cast<std::size_t>(states) + 1, nullptr);
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
  for (int slot : used_slots_) slots_[static_cast<std::size_t>(slot)] = nullptr;
  used_slots_.clear();
}

int RecombinationTable::SlotOf(int32_t state) const {
  const int states = static_cast<int>(slots_.size()) - 1;
  return state >= 0 && state < states ? state : unknown_slot_;
}

Theory* RecombinationTable::FindOrInsert(Theory* theory) {
  if (hashed_) {
    const uint64_t key =
        (uint64_t{static_cast<uint32_t>(theory->state)} << 32) | static_cast<uint32_t>(theory->word_graph);
    auto [it, inserted] = hash_.emplace(key, theory);
    return inserted ? nullptr : it->second;
  }
  if (slots_.empty()) return nullptr;
  const int slot = SlotOf(theory->state);
  Theory*& head = slots_[static_cast<std::size_t>(slot)];
  if (head) return head;
  head = theory;
  used_slots_.push_back(slot);
  return nullptr;
}

Theory* RecombinationTable::AddToChain(Theory* head, Theory* theory) {
  Theory* at = head;
  while (at->next && at->next->score >= theory->score) at = at->next;
  theory->next = at->next;
  at->next = theory;
  return head;
}

}  // namespace vok
