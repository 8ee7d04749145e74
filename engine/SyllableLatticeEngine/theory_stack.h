// The theories whose words start at one frame. While the stack fills, a push
// only appends; when the stack's turn to be extended comes, Order sorts the
// theories within reach of its best, best first and, among equal scores, in
// the order they were pushed, and Pop hands them out in that order. The
// scores lie in [best - beam, best], so a counting sort by score does it in
// two passes. Keys, references and flags sit in arrays of their own, so that
// the sort reads only the scores.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <numeric>
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
    order_.clear();
    next_ = 0;
    best_ = kEmptyBest;
    extended_ = 0;
  }
  // Always 0: the arrays grow as needed.
  int Push(const TheoryRef& ref) {
    return Push(ref.score, ref.state, ref.word, ref.frame, ref.made, ref.link);
  }
  // The same from the fields, for a reference the caller has not stored: a
  // copy of a record just written would often wait for those writes.
  [[gnu::always_inline]] int Push(int32_t score, int32_t state, uint16_t word, int16_t frame, bool made,
                                  Theory* link) {
    if (count_ == room_) Grow();
    scores_[count_] = score;
    refs_[count_] = Stored{link, state, word, frame};
    flags_[count_] = made ? kMade : uint8_t{0};
    ++count_;
    if (score > best_) best_ = score;
    return 0;
  }
  // Sorts the theories that score at least `floor` for Pop, best first,
  // equal scores in the order of their pushes. The stack takes no pushes
  // while it hands them out.
  void Order(int32_t floor) {
    order_.clear();
    next_ = 0;
    if (count_ == 0 || best_ < floor) return;
    const int32_t* const scores = scores_.data();
    const auto span = static_cast<std::size_t>(int64_t{best_} - floor) + 1;
    if (span <= 4 * count_ + 1024) {
      // Counting sort: bucket b holds the score best - b.
      buckets_.assign(span + 1, 0);
      for (std::size_t i = 0; i < count_; ++i) {
        const int64_t below = int64_t{best_} - scores[i];
        if (below < static_cast<int64_t>(span)) ++buckets_[static_cast<std::size_t>(below) + 1];
      }
      std::partial_sum(buckets_.begin(), buckets_.end(), buckets_.begin());
      order_.resize(buckets_[span]);
      for (std::size_t i = 0; i < count_; ++i) {
        const int64_t below = int64_t{best_} - scores[i];
        if (below < static_cast<int64_t>(span))
          order_[buckets_[static_cast<std::size_t>(below)]++] = static_cast<uint32_t>(i);
      }
    } else {
      for (std::size_t i = 0; i < count_; ++i)
        if (scores[i] >= floor) order_.push_back(static_cast<uint32_t>(i));
      SortBestFirst(&order_);
    }
  }
  // The next theory of the order into `top`, taken from the stack; false
  // when the order is through.
  bool Pop(TheoryRef* top) {
    if (next_ == order_.size()) return false;
    // The references lie in the order of the pushes, far from one another.
    if (next_ + kPrefetchAhead < order_.size()) __builtin_prefetch(&refs_[order_[next_ + kPrefetchAhead]]);
    const uint32_t slot = order_[next_++];
    flags_[slot] |= kTaken;
    *top = RefAt(slot);
    return true;
  }
  // Every theory, best first (equal scores in the order of their pushes),
  // without changing the stack's records.
  std::vector<Theory*> Snapshot() const {
    std::vector<uint32_t> slots;
    for (std::size_t i = 0; i < count_; ++i)
      if ((flags_[i] & kTaken) == 0) slots.push_back(static_cast<uint32_t>(i));
    SortBestFirst(&slots);
    std::vector<Theory*> theories;
    theories.reserve(slots.size());
    for (const uint32_t slot : slots) theories.push_back(RefAt(slot).record());
    return theories;
  }
  // Hands every theory not taken to `release`, in no particular order, and
  // empties the stack.
  template <class Release>
  void ReleaseAll(Release&& release) {
    for (std::size_t i = 0; i < count_; ++i)
      if ((flags_[i] & kTaken) == 0) release(RefAt(static_cast<uint32_t>(i)));
    count_ = 0;
    order_.clear();
    next_ = 0;
  }
  // Keeps the `keep` best theories (of equal scores those pushed first, as
  // Order would hand them out); the others are handed to `release`.
  template <class Release>
  void KeepBest(int keep, Release&& release) {
    if (keep <= 0 || static_cast<int>(count_) <= keep) return;
    const auto kept = static_cast<std::size_t>(keep);
    cut_.assign(scores_.begin(), scores_.begin() + static_cast<std::ptrdiff_t>(count_));
    std::nth_element(cut_.begin(), cut_.begin() + keep - 1, cut_.end(), std::greater<>());
    const int32_t last = cut_[kept - 1];
    std::size_t above = 0;
    for (std::size_t i = 0; i < count_; ++i) above += static_cast<std::size_t>(scores_[i] > last);
    std::size_t equal_room = kept - above;
    std::size_t to = 0;
    for (std::size_t i = 0; i < count_; ++i) {
      const int32_t score = scores_[i];
      const bool stays = score > last || (score == last && equal_room > 0);
      if (!stays) {
        release(RefAt(static_cast<uint32_t>(i)));
        continue;
      }
      if (score == last) --equal_room;
      scores_[to] = score;
      refs_[to] = refs_[i];
      flags_[to] = flags_[i];
      ++to;
    }
    count_ = to;
  }
  // Trades the memory of the arrays with the other stack; both must be
  // empty. The decoder hands the large arrays of a stack it has extended to
  // the next stack it fills, so that they stay in the cache.
  void TradeStorage(TheoryStack* other) {
    scores_.swap(other->scores_);
    refs_.swap(other->refs_);
    flags_.swap(other->flags_);
    order_.swap(other->order_);
    buckets_.swap(other->buckets_);
    cut_.swap(other->cut_);
    UpdateRoom();
    other->UpdateRoom();
  }

  int32_t best() const { return best_; }
  // The theories not taken.
  int count() const { return static_cast<int>(count_ - next_); }
  int32_t extended() const { return extended_; }
  void CountExtended() { ++extended_; }

 private:
  static constexpr uint8_t kMade = 1;   // the theory's record is made
  static constexpr uint8_t kTaken = 2;  // handed out by Pop
  static constexpr std::size_t kPrefetchAhead = 8;
  // The rest of a reference.
  struct Stored {
    Theory* link;
    int32_t state;
    uint16_t word;
    int16_t frame;
  };

  // Slots by their scores, best first, equal scores in the order of their
  // pushes.
  void SortBestFirst(std::vector<uint32_t>* slots) const {
    const int32_t* const scores = scores_.data();
    std::stable_sort(slots->begin(), slots->end(),
                     [scores](uint32_t a, uint32_t b) { return scores[b] < scores[a]; });
  }

  TheoryRef RefAt(uint32_t slot) const {
    const Stored& stored = refs_[slot];
    return TheoryRef{scores_[slot], stored.state, stored.word, stored.frame, (flags_[slot] & kMade) != 0,
                     stored.link};
  }

  // The arrays are as long as their capacity, with the count beside them,
  // so that a push writes into place without a call; they grow together.
  [[gnu::noinline]] void Grow() {
    const std::size_t size = std::max<std::size_t>(kCapacity, 2 * room_);
    if (scores_.size() < size) scores_.resize(size);
    if (refs_.size() < size) refs_.resize(size);
    if (flags_.size() < size) flags_.resize(size);
    UpdateRoom();
  }
  void UpdateRoom() { room_ = std::min({scores_.size(), refs_.size(), flags_.size()}); }

  std::size_t count_ = 0;  // theories pushed
  std::size_t next_ = 0;   // into order_: the next theory Pop hands out
  std::size_t room_ = 0;   // the length of the shortest array
  int32_t best_ = kEmptyBest;
  int32_t extended_ = 0;
  std::vector<int32_t> scores_;
  std::vector<Stored> refs_;
  std::vector<uint8_t> flags_;
  std::vector<uint32_t> order_;    // Order's slots, best first
  std::vector<uint32_t> buckets_;  // Order's counting sort
  std::vector<int32_t> cut_;       // KeepBest's scores
};

}  // namespace vok
