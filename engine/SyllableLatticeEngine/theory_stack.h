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
    heap_.reserve(kCapacity);
    refs_.reserve(kCapacity);
  }
  TheoryStack(const TheoryStack&) = delete;
  TheoryStack& operator=(const TheoryStack&) = delete;

  void Reset() {
    heap_.clear();
    refs_.clear();
    best_ = kEmptyBest;
    extended_ = 0;
  }
  // Always 0: the heap grows as needed.
  int Push(const TheoryRef& ref) {
    heap_.push_back(Key{ref.score, static_cast<int32_t>(refs_.size())});
    refs_.push_back(ref);
    std::push_heap(heap_.begin(), heap_.end(), Lower);
    if (ref.score > best_) best_ = ref.score;
    return 0;
  }
  // The best theory into `top` (removed); false when empty.
  bool Pop(TheoryRef* top) {
    if (heap_.empty()) return false;
    std::pop_heap(heap_.begin(), heap_.end(), Lower);
    *top = RefAt(heap_.back());
    heap_.pop_back();
    return true;
  }
  // Every theory, best first, without changing the stack's records.
  std::vector<Theory*> Snapshot() const {
    std::vector<Key> keys = heap_;
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
    for (const Key& key : heap_) release(RefAt(key));
    heap_.clear();
    refs_.clear();
  }
  // Keeps the `keep` best theories; the others are handed to `release`.
  template <class Release>
  void KeepBest(int keep, Release&& release) {
    if (static_cast<int>(heap_.size()) <= keep) return;
    std::nth_element(heap_.begin(), heap_.begin() + keep, heap_.end(), Higher);
    for (std::size_t i = static_cast<std::size_t>(keep); i < heap_.size(); ++i) release(RefAt(heap_[i]));
    heap_.resize(static_cast<std::size_t>(keep));
    std::make_heap(heap_.begin(), heap_.end(), Lower);
    // The references of the kept theories move to the front, in heap order.
    kept_.clear();
    for (Key& key : heap_) {
      kept_.push_back(RefAt(key));
      key.slot = static_cast<int32_t>(kept_.size()) - 1;
    }
    refs_.swap(kept_);
  }

  int32_t best() const { return best_; }
  int count() const { return static_cast<int>(heap_.size()); }
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

  const TheoryRef& RefAt(const Key& key) const { return refs_[static_cast<std::size_t>(key.slot)]; }

  int32_t best_ = kEmptyBest;
  int32_t extended_ = 0;
  std::vector<Key> heap_;
  std::vector<TheoryRef> refs_;
  std::vector<TheoryRef> kept_;  // KeepBest's
};

}  // namespace vok
