// A bounded list that keeps the entries of lowest score, best first. Among
// equal scores the earlier inserted ranks better.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kernel {

struct ScoredEntry {
  std::int32_t score;
  std::int32_t record;
};

class ScoredList {
 public:
  explicit ScoredList(std::size_t capacity) : capacity_(capacity) { entries_.reserve(capacity); }

  std::size_t capacity() const { return capacity_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const std::vector<ScoredEntry>& entries() const { return entries_; }

  // A full list takes the entry only when it beats the current worst.
  void Insert(std::int32_t score, std::int32_t record) {
    if (capacity_ == 0) return;
    if (entries_.size() == capacity_) {
      if (score >= entries_.back().score) return;
      entries_.pop_back();
    }
    const auto place =
        std::upper_bound(entries_.begin(), entries_.end(), score,
                         [](std::int32_t value, const ScoredEntry& entry) { return value < entry.score; });
    entries_.insert(place, {score, record});
  }

 private:
  std::size_t capacity_;
  std::vector<ScoredEntry> entries_;
};

}  // namespace kernel
