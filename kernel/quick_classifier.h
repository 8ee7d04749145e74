// The decision table of short shapes: editing gestures and the shapes "1",
// "8", "X" and "i", judged from the quick-pass segments of a cell.
#pragma once

#include <span>

#include "kernel/segment_record.h"

namespace kernel {

// Shape values besides the gesture codes 11 to 28.
inline constexpr int kShapeOne = 49;    // "1"
inline constexpr int kShapeEight = 56;  // "8"
inline constexpr int kShapeNine = 57;   // "9"
inline constexpr int kShapeCross = 88;  // "X": a level stroke
inline constexpr int kShapeDot = 105;   // "i"
inline constexpr int kShapeNone = 99;

// `segments` are the mode-0 segments of the cell on the grid (y downwards).
int QuickClassify(std::span<const SegmentRecord> segments, int stroke_count);

}  // namespace kernel
