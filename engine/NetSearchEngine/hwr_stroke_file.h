// The stroke file of the handwriting sentence engine: numbers in fields of
// at most five characters (as "%5d" reads them), blank-separated: the
// number of strokes n, n point counts, one further number (not used), then
// each stroke's points as {y, x} pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/hwr_ink_features.h"

namespace vok {

struct HwrStrokeFileContent {
  std::vector<InkPoint> points;
  std::vector<int> lengths;  // points per stroke
};

// 0, or -1 (content emptied) for a missing or malformed number, a negative
// stroke count, a stroke without points, a coordinate outside 16 bits, or
// more than `max_points` points.
int ParseStrokeFile(const uint8_t* data, std::size_t size, int max_points, HwrStrokeFileContent* content);

}  // namespace vok
