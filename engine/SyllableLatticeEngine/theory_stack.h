// The theories whose words start at one frame, best first: a binary heap
// that keeps each theory's score beside it, as every theory passes through
// it and the comparisons should not chase the pointers.
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

  TheoryStack() { heap_.reserve(kCapacity); }
  TheoryStack(const TheoryStack&) = delete;
  TheoryStack& operator=(const TheoryStack&) = delete;

  void Reset() {
    heap_.clear();
    best_ = kEmptyBest;
    extended_ = 0;
  }
  // Always 0: the heap grows as needed.
  int Push(Theory* theory) {
    heap_.push_back(Entry{theory->score, theory});
    std::push_heap(heap_.begin(), heap_.end(), Lower);
    if (theory->score > best_) best_ = theory->score;
    return 0;
  }
  // The best theory (removed), or null when empty.
  Theory* Pop() {
    if (heap_.empty()) return nullptr;
    std::pop_heap(heap_.begin(), heap_.end(), Lower);
    Theory* top = heap_.back().theory;
    heap_.pop_back();
    return top;
  }
  // Every theory, best first, without changing the stack's records.
  std::vector<Theory*> Snapshot() const {
    std::vector<Entry> entries = heap_;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return Lower(b, a); });
    std::vector<Theory*> theories;
    theories.reserve(entries.size());
    for (const Entry& e : entries) theories.push_back(e.theory);
    return theories;
  }
  // Keeps the `keep` best theories; the others are handed to `release`.
  template <class Release>
  void KeepBest(int keep, Release&& release) {
    if (static_cast<int>(heap_.size()) <= keep) return;
    std::nth_element(heap_.begin(), heap_.begin() + keep, heap_.end(),
                     [](const Entry& a, const Entry& b) { return Lower(b, a); });
    for (std::size_t i = static_cast<std::size_t>(keep); i < heap_.size(); ++i) release(heap_[i].theory);
    heap_.resize(static_cast<std::size_t>(keep));
    std::make_heap(heap_.begin(), heap_.end(), Lower);
  }

  int32_t best() const { return best_; }
  int count() const { return static_cast<int>(heap_.size()); }
  int32_t extended() const { return extended_; }
  void CountExtended() { ++extended_; }

 private:
  struct Entry {
    int32_t score;  // the theory's, which does not change while it is here
    Theory* theory;
  };
  // A type of its own, so the heap's comparisons compile inline.
  struct LowerScore {
    bool operator()(const Entry& a, const Entry& b) const { return a.score < b.score; }
  };
  static constexpr LowerScore Lower{};

  int32_t best_ = kEmptyBest;
  int32_t extended_ = 0;
  std::vector<Entry> heap_;
};

}  // namespace vok
