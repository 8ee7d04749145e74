// Distances between two segment lists, used to re-rank candidates by the
// stored stroke structure of their records.
#pragma once

#include <span>

#include "kernel/segment_record.h"

namespace kernel {

// Lists are cut to this many segments.
inline constexpr std::size_t kMaxComparedSegments = 45;

// Matching within neighbouring directions; walks `p`.
int SegmentDistanceA(std::span<const SegmentRecord> p, std::span<const SegmentRecord> q);
// Matching of every pair with a penalty for order; walks `p`.
int SegmentDistanceB(std::span<const SegmentRecord> p, std::span<const SegmentRecord> q);

}  // namespace kernel
