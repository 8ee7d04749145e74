// The theories whose words start at one frame, best first. The binary heap
// orders small keys (score and the slot of the theory's reference), so that
// its sift-downs move few bytes; the references carry what ordering,
// recombining and releasing read, as every theory passes through the stack
// and most are never extended. A reference's slot is not reused until the
// stack is emptied.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "engine/SyllableLatticeEngine/theory.h"

namespace vok {

class TheoryStack {
 public:
  static constexpr int kCapacity = 400;
  // The best score of an empty stack (0x800186a0), so that best - beam stays
  // in range.
  static constexpr int32_t kEmptyBest = INT32_MIN + 100000;

  TheoryStack() {
    scores_.reserve(kCapacity);
    slots_.reserve(kCapacity);
    refs_.reserve(kCapacity);
  }
  TheoryStack(const TheoryStack&) = delete;
  TheoryStack& operator=(const TheoryStack&) = delete;

  void Reset() {
    scores_.clear();
    slots_.clear();
    refs_.clear();
    best_ = kEmptyBest;
    extended_ = 0;
  }
  // Always 0: the heap grows as needed.
  int Push(const TheoryRef& ref) {
    const auto slot = static_cast<int32_t>(refs_.size());
    refs_.push_back(ref);
    scores_.push_back(ref.score);
    slots_.push_back(slot);
    SiftUp(scores_.size() - 1, ref.score, slot);
    if (ref.score > best_) best_ = ref.score;
    return 0;
  }
  // The best theory into `top` (removed); false when empty.
  bool Pop(TheoryRef* top) {
    if (scores_.empty()) return false;
    *top = refs_[static_cast<std::size_t>(slots_.front())];
    const std::size_t last = scores_.size() - 1;
    if (last > 0) {
      const int32_t score = scores_[last];
      const int32_t slot = slots_[last];
      SiftUp(MoveHoleDown(last), score, slot);
    }
    scores_.pop_back();
    slots_.pop_back();
    return true;
  }
  // Every theory, best first, without changing the stack's records.
  std::vector<Theory*> Snapshot() const {
    std::vector<Key> keys = Keys();
    std::sort(keys.begin(), keys.end(), Higher);
    std::vector<Theory*> theories;
    theories.reserve(keys.size());
    for (const Key& key : keys) theories.push_back(RefAt(key).theory);
    return theories;
  }
  // Hands every theory to `release`, in no particular order, and empties the
  // stack.
  template <class Release>
  void ReleaseAll(Release&& release) {
    for (const int32_t slot : slots_) release(refs_[static_cast<std::size_t>(slot)]);
    scores_.clear();
    slots_.clear();
    refs_.clear();
  }
  // Keeps the `keep` best theories; the others are handed to `release`.
  template <class Release>
  void KeepBest(int keep, Release&& release) {
    if (count() <= keep) return;
    std::vector<Key> heap = Keys();
    std::nth_element(heap.begin(), heap.begin() + keep, heap.end(), Higher);
    for (std::size_t i = static_cast<std::size_t>(keep); i < heap.size(); ++i) release(RefAt(heap[i]));
    heap.resize(static_cast<std::size_t>(keep));
    std::make_heap(heap.begin(), heap.end(), Lower);
    // The references of the kept theories move to the front, in heap order.
    kept_.clear();
    scores_.clear();
    slots_.clear();
    for (const Key& key : heap) {
      kept_.push_back(RefAt(key));
      scores_.push_back(key.score);
      slots_.push_back(static_cast<int32_t>(kept_.size()) - 1);
    }
    refs_.swap(kept_);
  }

  int32_t best() const { return best_; }
  int count() const { return static_cast<int>(scores_.size()); }
  int32_t extended() const { return extended_; }
  void CountExtended() { ++extended_; }

 private:
  struct Key {
    int32_t score;  // the theory's, which does not change while it is here
    int32_t slot;   // of its reference
  };
  // Types of their own, so the comparisons compile inline.
  struct LowerScore {
    bool operator()(const Key& a, const Key& b) const { return a.score < b.score; }
  };
  struct HigherScore {
    bool operator()(const Key& a, const Key& b) const { return b.score < a.score; }
  };
  static constexpr LowerScore Lower{};
  static constexpr HigherScore Higher{};

  // The heap as std::make_heap would lay it out, as keys.
  std::vector<Key> Keys() const {
    std::vector<Key> keys;
    keys.reserve(scores_.size());
    for (std::size_t i = 0; i < scores_.size(); ++i) keys.push_back(Key{scores_[i], slots_[i]});
    return keys;
  }
  const TheoryRef& RefAt(const Key& key) const { return refs_[static_cast<std::size_t>(key.slot)]; }

  // The heap keeps scores and slots in arrays of their own, so that the
  // comparisons read only scores, and moves its entries exactly as
  // std::push_heap and std::pop_heap do: theories of equal scores come out
  // in the order they always have.
  void MoveEntry(std::size_t from, std::size_t to) {
    scores_[to] = scores_[from];
    slots_[to] = slots_[from];
  }
  // Places an entry at the hole, or above it while its parent scores lower.
  void SiftUp(std::size_t hole, int32_t score, int32_t slot) {
    while (hole > 0) {
      const std::size_t parent = (hole - 1) / 2;
      if (!(scores_[parent] < score)) break;
      MoveEntry(parent, hole);
      hole = parent;
    }
    scores_[hole] = score;
    slots_[hole] = slot;
  }
  // Moves the hole left by the top from the root down to a leaf of the heap
  // of the first `size` entries, filling it with the better child (the right
  // one when both score the same); returns the hole's final position.
  std::size_t MoveHoleDown(std::size_t size) {
    const int32_t* scores = scores_.data();
    std::size_t hole = 0;
    std::size_t child = 0;
    const std::size_t inner = size > 0 ? (size - 1) / 2 : 0;
    while (child < inner) {
      child = 2 * (child + 1);
      // Without a branch: which child wins is as good as random.
      child -= static_cast<std::size_t>(scores[child] < scores[child - 1]);
      MoveEntry(child, hole);
      hole = child;
    }
    if ((size & 1) == 0 && size >= 2 && child == (size - 2) / 2) {
      child = 2 * (child + 1) - 1;
      MoveEntry(child, hole);
      hole = child;
    }
    return hole;
  }

  int32_t best_ = kEmptyBest;
  int32_t extended_ = 0;
  std::vector<int32_t> scores_;  // the heap's, best at the root
  std::vector<int32_t> slots_;   // of the references, beside their scores
  std::vector<TheoryRef> refs_;
  std::vector<TheoryRef> kept_;  // KeepBest's
};

}  // namespace vok
