// The children of a pronunciation tree's nodes that the stack decoder looked
// up, remembered in a table of fixed size: a pair may take any of the four
// slots of its set, one cache line, and a new pair pushes out the oldest of
// them. Memory and the cost of a lookup stay the same however long the engine
// runs; a map that grew with every new pair was rebuilt now and then, and the
// decode that grew it took tens of milliseconds longer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/lex_tree.h"

namespace vok {

class TreeChildCache {
 public:
  static constexpr int kSlotBits = 19;  // slots in all
  static constexpr int kWays = 4;       // slots of a set
  static constexpr int kSetBits = kSlotBits - 2;
  static_assert(kWays == 1 << (kSlotBits - kSetBits));

  // Forgets every pair (the tree changed).
  void Clear() { sets_.assign(sets_.size(), Set{}); }

  // Starts reading the set of the pair, for a Find soon after: the sets lie
  // far apart, and the reads of several pairs overlap.
  void Prefetch(int node, uint16_t syllable) {
    if (!sets_.empty()) __builtin_prefetch(&SetOf(KeyOf(node, syllable)));
  }

  // The child of `node` by `syllable`, as `tree.FindChild` gives it.
  int Find(const CLexTree& tree, int node, uint16_t syllable) {
    if (sets_.empty()) sets_.resize(std::size_t{1} << kSetBits);
    const uint64_t key = KeyOf(node, syllable);
    Slot* ways = SetOf(key).ways;
    for (int w = 0; w < kWays; ++w) {
      if (ways[w].key == key) return ways[w].child;
    }
    // A tree walk costs a cache miss a sibling: two pairs that took turns
    // in one slot made one of them walk on every decode.
    for (int w = kWays - 1; w > 0; --w) ways[w] = ways[w - 1];
    ways[0] = Slot{key, tree.FindChild(node, syllable)};
    return ways[0].child;
  }

 private:
  // No real pair has this key: nodes are below 2^31.
  static constexpr uint64_t kEmpty = ~uint64_t{0};
  struct Slot {
    uint64_t key = kEmpty;
    int32_t child = -1;
  };
  struct alignas(64) Set {
    Slot ways[kWays];
  };
  static uint64_t KeyOf(int node, uint16_t syllable) {
    return (uint64_t{static_cast<uint32_t>(node)} << 16) | syllable;
  }
  Set& SetOf(uint64_t key) { return sets_[(key * 0x9E3779B97F4A7C15u) >> (64 - kSetBits)]; }

  std::vector<Set> sets_;
};

}  // namespace vok
