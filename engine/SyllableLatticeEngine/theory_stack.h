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

  TheoryStack() = default;
  TheoryStack(const TheoryStack&) = delete;
  TheoryStack& operator=(const TheoryStack&) = delete;

  void Reset() {
    count_ = 0;
    ref_count_ = 0;
    best_ = kEmptyBest;
    extended_ = 0;
  }
  // Always 0: the heap grows as needed.
  int Push(const TheoryRef& ref) {
    return Push(ref.score, ref.state, ref.word, ref.frame, ref.made, ref.link);
  }
  // The same from the fields, for a reference the caller has not stored: a
  // copy of a record just written would often wait for those writes.
  [[gnu::always_inline]] int Push(int32_t score, int32_t state, uint16_t word, int16_t frame, bool made,
                                  Theory* link) {
    // The heap never holds more keys than there are references.
    if (ref_count_ == room_) Grow();
    const Key key{score, static_cast<uint32_t>(ref_count_) | (made ? kMade : 0u)};
    refs_[ref_count_++] = Stored{link, state, word, frame};
    SiftUp(count_++, key);
    if (score > best_) best_ = score;
    return 0;
  }
  // The best theory into `top` (removed); false when empty.
  bool Pop(TheoryRef* top) {
    if (count_ == 0) return false;
    *top = RefAt(heap_.front());
    const std::size_t last = count_ - 1;
    if (last > 0) {
      SiftUp(MoveHoleDown(last), heap_[last]);
      // The next top's reference, read by the next pop: references lie in
      // the order of the pushes, far from one another in a large stack.
      __builtin_prefetch(&refs_[heap_.front().slot & ~kMade]);
    }
    count_ = last;
    return true;
  }
  // Every theory, best first, without changing the stack's records.
  std::vector<Theory*> Snapshot() const {
    std::vector<Key> keys(heap_.begin(), heap_.begin() + static_cast<std::ptrdiff_t>(count_));
    std::sort(keys.begin(), keys.end(), Higher);
    std::vector<Theory*> theories;
    theories.reserve(keys.size());
    for (const Key& key : keys) theories.push_back(RefAt(key).record());
    return theories;
  }
  // Hands every theory to `release`, in no particular order, and empties the
  // stack.
  template <class Release>
  void ReleaseAll(Release&& release) {
    for (std::size_t i = 0; i < count_; ++i) release(RefAt(heap_[i]));
    count_ = 0;
    ref_count_ = 0;
  }
  // Keeps the `keep` best theories; the others are handed to `release`.
  template <class Release>
  void KeepBest(int keep, Release&& release) {
    if (static_cast<int>(count_) <= keep) return;
    const auto kept = static_cast<std::size_t>(keep);
    const auto begin = heap_.begin();
    std::nth_element(begin, begin + keep, begin + static_cast<std::ptrdiff_t>(count_), Higher);
    for (std::size_t i = kept; i < count_; ++i) release(RefAt(heap_[i]));
    count_ = kept;
    std::make_heap(begin, begin + keep, Lower);
    // The references of the kept theories move to the front, in heap order.
    if (kept_.size() < kept) kept_.resize(kept);
    for (std::size_t i = 0; i < kept; ++i) {
      kept_[i] = refs_[heap_[i].slot & ~kMade];
      heap_[i].slot = static_cast<uint32_t>(i) | (heap_[i].slot & kMade);
    }
    refs_.swap(kept_);
    ref_count_ = kept;
    UpdateRoom();
  }
  // Trades the memory of the arrays with the other stack; both must be
  // empty. The decoder hands the large arrays of a stack it has extended to
  // the next stack it fills, so that they stay in the cache.
  void TradeStorage(TheoryStack* other) {
    heap_.swap(other->heap_);
    refs_.swap(other->refs_);
    kept_.swap(other->kept_);
    UpdateRoom();
    other->UpdateRoom();
  }

  int32_t best() const { return best_; }
  int count() const { return static_cast<int>(count_); }
  int32_t extended() const { return extended_; }
  void CountExtended() { ++extended_; }

 private:
  // Set in a key's slot when the theory's record is made; a stack holds
  // far fewer than 2^31 references.
  static constexpr uint32_t kMade = 0x80000000u;
  struct Key {
    int32_t score;  // the theory's, which does not change while it is here
    uint32_t slot;  // of its reference, and kMade
  };
  // The rest of a reference: 16 bytes where the whole took 24.
  struct Stored {
    Theory* link;
    int32_t state;
    uint16_t word;
    int16_t frame;
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

  TheoryRef RefAt(const Key& key) const {
    const Stored& stored = refs_[key.slot & ~kMade];
    return TheoryRef{key.score,  stored.state, stored.word, stored.frame, (key.slot & kMade) != 0,
                     stored.link};
  }

  // The arrays are as long as their capacity, with the counts beside them,
  // so that a push writes into place without a call; both grow together.
  [[gnu::noinline]] void Grow() {
    const std::size_t size = std::max<std::size_t>(kCapacity, 2 * room_);
    if (heap_.size() < size) heap_.resize(size);
    if (refs_.size() < size) refs_.resize(size);
    UpdateRoom();
  }
  void UpdateRoom() { room_ = std::min(heap_.size(), refs_.size()); }

  // Push and Pop move the keys exactly as std::push_heap and std::pop_heap
  // do, so that theories of equal scores come out in the order they always
  // have; the sift-down only waits less on the processor.

  // Places the key at the hole, or above it while its parent scores lower.
  void SiftUp(std::size_t hole, Key key) {
    Key* heap = heap_.data();
    while (hole > 0) {
      const std::size_t parent = (hole - 1) / 2;
      if (!(heap[parent].score < key.score)) break;
      heap[hole] = heap[parent];
      hole = parent;
    }
    heap[hole] = key;
  }
  // Moves the hole the top leaves from the root down to a leaf of the heap
  // of the first `size` keys, filling it with the better child (the right
  // one when both score the same); returns the hole's final position.
  [[gnu::always_inline]] std::size_t MoveHoleDown(std::size_t size) {
    Key* heap = heap_.data();
    const std::size_t inner = (size - 1) / 2;
    std::size_t hole = 0;
    // Two levels a step, the four grandchildren read beside the children:
    // which child wins is as good as random, so nothing waits on a branch.
    // The hole's right child is the loop's index; the four grandchildren lie
    // side by side from the left child's left child.
    for (std::size_t right = 2; right < inner; right = 2 * hole + 2) {
      // The next step reads the children and grandchildren of one of the
      // four grandchildren: those of all four, one and two levels further
      // down, are fetched while this step compares.
      if (8 * right + 14 < size) {
        const Key* const below = heap + 4 * right - 1;
        __builtin_prefetch(below);
        __builtin_prefetch(below + 7);
        __builtin_prefetch(below + 4 * right);
        __builtin_prefetch(below + 4 * right + 8);
        __builtin_prefetch(below + 4 * right + 15);
      }
      const Key* const grand = heap + 2 * right - 1;
      const bool left_wins = heap[right].score < heap[right - 1].score;
      // Read before the winner is known, and chosen by a mask: the compiler
      // turned a conditional choice into a branch that missed every other
      // step.
      const uint32_t left_mask = 0u - static_cast<uint32_t>(left_wins);
      const auto grand_left = static_cast<int32_t>((static_cast<uint32_t>(grand[0].score) & left_mask) |
                                                   (static_cast<uint32_t>(grand[2].score) & ~left_mask));
      const auto grand_right = static_cast<int32_t>((static_cast<uint32_t>(grand[1].score) & left_mask) |
                                                    (static_cast<uint32_t>(grand[3].score) & ~left_mask));
      const std::size_t child = right - static_cast<std::size_t>(left_wins);
      const std::size_t next = 2 * child + 2 - static_cast<std::size_t>(grand_right < grand_left);
      heap[hole] = heap[child];
      heap[child] = heap[next];
      hole = next;
    }
    while (hole < inner) {
      std::size_t child = 2 * hole + 2;
      child -= static_cast<std::size_t>(heap[child].score < heap[child - 1].score);
      heap[hole] = heap[child];
      hole = child;
    }
    // An even count leaves the last inner node with a left child only.
    if ((size & 1) == 0 && hole == (size - 2) / 2) {
      const std::size_t child = 2 * hole + 1;
      heap[hole] = heap[child];
      hole = child;
    }
    return hole;
  }

  std::size_t count_ = 0;      // keys in the heap
  std::size_t ref_count_ = 0;  // references stored
  std::size_t room_ = 0;       // the length of the shorter array
  int32_t best_ = kEmptyBest;
  int32_t extended_ = 0;
  std::vector<Key> heap_;
  std::vector<Stored> refs_;
  std::vector<Stored> kept_;  // KeepBest's
};

}  // namespace vok
