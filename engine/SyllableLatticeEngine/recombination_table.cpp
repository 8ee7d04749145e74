#include "engine/SyllableLatticeEngine/recombination_table.h"

namespace vok {

void RecombinationTable::UseSlots(int states, int unknown_state) {
  keys_ = Keys::kSlots;
  if (states < 0) states = 0;
  states_ = states;
  slots_.assign(static_cast<std::size_t>(states) + 1, Chain{});
  unknown_slot_ = unknown_state >= 0 && unknown_state < states ? unknown_state : states;
  used_slots_.clear();
  hash_.clear();
}

void RecombinationTable::UseHash() {
  keys_ = Keys::kHash;
  slots_.clear();
  used_slots_.clear();
  hash_.clear();
  hash_.reserve(kHashBuckets);
}

void RecombinationTable::Clear() {
  if (keys_ == Keys::kHash) {
    hash_.clear();
    return;
  }
  for (int slot : used_slots_) slots_[static_cast<std::size_t>(slot)] = Chain{};
  used_slots_.clear();
}

Theory* RecombinationTable::AddHashed(const TheoryRef& ref, Theory* theory) {
  const uint64_t key =
      (uint64_t{static_cast<uint32_t>(ref.state)} << 32) | static_cast<uint32_t>(theory->word_graph);
  Chain& chain = hash_[key];
  if (!chain.head) {
    chain = Chain{theory, theory, ref.score};
    return nullptr;
  }
  return Join(&chain, theory, ref.score);
}

}  // namespace vok
