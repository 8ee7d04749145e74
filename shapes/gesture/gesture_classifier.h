// Classifies the strokes of one cell as an editing gesture or a simple shape,
// with the kernel's intake, quick-pass segments (up to 80) and decision table.
#pragma once

#include <cstddef>
#include <span>

#include "common/stroke_list.h"

namespace gesture {

inline constexpr std::size_t kGestureSegmentLimit = 80;

// The quick classifier's value for the strokes (99 no shape), or 0 when the
// cell is refused.
int ShapeOf(const wrendle::StrokeListView& strokes);

// What the library answers for a shape value under the range flags: gesture
// codes as they are, "1", "8", "9", "X" and "i" only under their flags, else 0.
int GestureResult(int shape, int range_flags);

}  // namespace gesture
