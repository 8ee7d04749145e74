// The theories whose words start at one frame, best first.
#pragma once

#include <climits>
#include <cstdint>
#include <vector>

#include "engine/SyllableLatticeEngine/theory.h"
#include "engine/core/priority_queue.h"

namespace vok {

class TheoryStack {
 public:
  static constexpr int kCapacity = 400;
  // The best score of an empty stack (0x800186a0), so that best - beam stays
  // in range.
  static constexpr int32_t kEmptyBest = INT32_MIN + 100000;

  TheoryStack() : queue_(kCapacity, &CompareScores) {}
  TheoryStack(const TheoryStack&) = delete;
  TheoryStack& operator=(const TheoryStack&) = delete;

  void Reset() {
    queue_.Clear();
    best_ = kEmptyBest;
    extended_ = 0;
  }
  // 0, or -1 when the queue cannot grow.
  int Push(Theory* theory) {
    if (queue_.Push(theory) < 0) return -1;
    if (theory->score > best_) best_ = theory->score;
    return 0;
  }
  Theory* Pop() { return queue_.Pop(); }
  // Every theory, best first, without changing the stack's records.
  std::vector<Theory*> Snapshot() {
    std::vector<Theory*> theories;
    theories.reserve(static_cast<std::size_t>(queue_.count()));
    while (Theory* t = queue_.Pop()) theories.push_back(t);
    for (Theory* t : theories) queue_.Push(t);
    return theories;
  }
  // Keeps the `keep` best theories; the others are handed to `release`.
  template <class Release>
  void KeepBest(int keep, Release&& release) {
    std::vector<Theory*> theories;
    theories.reserve(static_cast<std::size_t>(queue_.count()));
    while (Theory* t = queue_.Pop()) theories.push_back(t);
    for (std::size_t i = 0; i < theories.size(); ++i) {
      if (static_cast<int>(i) < keep) {
        queue_.Push(theories[i]);
      } else {
        release(theories[i]);
      }
    }
  }

  int32_t best() const { return best_; }
  int count() const { return queue_.count(); }
  int32_t extended() const { return extended_; }
  void CountExtended() { ++extended_; }

 private:
  static int CompareScores(Theory* const& a, Theory* const& b, void*) {
    return a->score > b->score ? 1 : (a->score < b->score ? -1 : 0);
  }

  int32_t best_ = kEmptyBest;
  int32_t extended_ = 0;
  PriorityQueue<Theory*> queue_;
};

}  // namespace vok
