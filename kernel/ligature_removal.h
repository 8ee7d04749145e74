// Takes the connecting strokes of cursive writing out of a cell before it is
// rasterised.
#pragma once

#include <vector>

#include "kernel/cell.h"
#include "kernel/segment_extractor.h"

namespace kernel {

// Cells of more quick-pass segments than this have their ligatures removed.
inline constexpr std::size_t kLigatureSegmentThreshold = 4;

// Runs mode 2 and lifts the marked segments from `points`, then mode 1 and
// lift twice, and returns the segments of a final mode-3 pass.
std::vector<SegmentRecord> RemoveLigatures(std::vector<CellPoint>& points, std::size_t segment_limit);

}  // namespace kernel
