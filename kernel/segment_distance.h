// Distances between two segment lists, used to re-rank candidates by the
// stored stroke structure of their records.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "kernel/segment_record.h"

namespace kernel {

// Lists are cut to this many segments.
inline constexpr std::size_t kMaxComparedSegments = 45;

// Matching within neighbouring directions; walks `p`.
int SegmentDistanceA(std::span<const SegmentRecord> p, std::span<const SegmentRecord> q);
// Matching of every pair with a penalty for order; walks `p`.
int SegmentDistanceB(std::span<const SegmentRecord> p, std::span<const SegmentRecord> q);

// A segment list as the distances read it, each segment's direction and
// share of the list's length worked out once.
struct DescribedSegments {
  struct Entry {
    SegmentRecord segment;
    int direction;
    int rel;  // 250 x its length over the list's
    int manhattan;
    bool connecting;  // a joining stroke, which takes no part when walked
  };
  std::array<Entry, kMaxComparedSegments> entries;
  std::size_t size = 0;

  // The first kMaxComparedSegments segments of `list`.
  void Describe(std::span<const SegmentRecord> list);
};

// The cell's segments against one stored list after another, as re-ranking
// compares them: B(cell, list) / s + B(list, cell) / c + A(cell, list) / s +
// A(list, cell) / c, with s and c the lengths of the two lists. The costs of
// every pair of segments are worked out once per list and serve all four
// matchings; nothing is allocated.
class SegmentComparer {
 public:
  explicit SegmentComparer(std::span<const SegmentRecord> cell) { cell_.Describe(cell); }

  // The cell's length, cut to kMaxComparedSegments.
  std::size_t cell_size() const { return cell_.size; }
  // `list` holds 1 to kMaxComparedSegments segments, and the cell at least one.
  long Distance(std::span<const SegmentRecord> list);

  // Costs of the segments of a walked list (rows) against the other's
  // (columns).
  using Costs = std::array<int, kMaxComparedSegments * kMaxComparedSegments>;

 private:
  DescribedSegments cell_;
  DescribedSegments list_;
  Costs base_{};  // of the cell's segments (rows) and the list's
  Costs costs_{};
};

}  // namespace kernel
