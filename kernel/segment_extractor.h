// Reduces the ink of a cell to straight segments on an 80-unit grid.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "kernel/cell.h"
#include "kernel/segment_record.h"

namespace kernel {

enum class SegmentMode {
  kQuick = 0,           // aspect kept, no rules
  kLigatures = 1,       // aspect kept, minimum length, rule sets 1 and 3, pen rule
  kLigaturesAll = 2,    // as 1 without the minimum length
  kSeparateScales = 3,  // x and y scaled apart, rule set 1 only
};

// Most segments of a cell in the recognizer kernel; the gesture library
// takes 80.
inline constexpr std::size_t kKernelSegmentLimit = 45;

struct SegmentExtraction {
  std::vector<SegmentRecord> segments;
  // Every input point on the grid, in input order.
  std::vector<CellPoint> grid_points;
  // Grid height of the cell (largest minus smallest grid y).
  int grid_height = 0;
};

// The grid coordinates run from 1 to 81. The list stops at `segment_limit`.
SegmentExtraction ExtractSegments(SegmentMode mode, std::span<const CellPoint> points,
                                  std::size_t segment_limit);

// Clears the pen-continues flags of the cell points under every segment
// marked removed, from the first point at the segment's start through the
// first later point at its end. `points` are the points `extraction` came from.
void LiftMarkedSegments(const SegmentExtraction& extraction, std::span<CellPoint> points);

// The two point-reduction passes and the building of segments, for tests and
// the tools that take segments apart.
std::vector<CellPoint> ReducePoints(std::span<const CellPoint> points);
std::vector<CellPoint> PruneCollinearPoints(std::span<const CellPoint> points);
std::vector<SegmentRecord> BuildSegments(std::span<const CellPoint> points, bool drop_short,
                                         std::size_t segment_limit);

}  // namespace kernel
