// The children of a pronunciation tree's nodes that the stack decoder looked
// up, remembered in a table of fixed size: each slot holds the last (node,
// syllable) pair that fell on it. Memory and the cost of a lookup stay the
// same however long the engine runs; a map that grew with every new pair was
// rebuilt now and then, and the decode that grew it took tens of
// milliseconds longer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/lex_tree.h"

namespace vok {

class TreeChildCache {
 public:
  static constexpr int kSlotBits = 19;

  // Forgets every pair (the tree changed).
  void Clear() { slots_.assign(slots_.size(), Slot{}); }

  // The child of `node` by `syllable`, as `tree.FindChild` gives it.
  int Find(const CLexTree& tree, int node, uint16_t syllable) {
    if (slots_.empty()) slots_.resize(std::size_t{1} << kSlotBits);
    const uint64_t key = (uint64_t{static_cast<uint32_t>(node)} << 16) | syllable;
    Slot& slot = slots_[(key * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits)];
    if (slot.key != key) {
      slot.key = key;
      slot.child = tree.FindChild(node, syllable);
    }
    return slot.child;
  }

 private:
  // No real pair has this key: nodes are below 2^31.
  static constexpr uint64_t kEmpty = ~uint64_t{0};
  struct Slot {
    uint64_t key = kEmpty;
    int32_t child = -1;
  };
  std::vector<Slot> slots_;
};

}  // namespace vok
