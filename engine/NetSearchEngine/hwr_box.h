// Boxes of handwriting cells and how two of them relate: the gaps between
// their ranges, whether they are vertical or horizontal neighbours, and
// whether they belong to one character under a track's gap limits.
#pragma once

#include <cstdint>

#include "engine/core/hwr_ink_features.h"

namespace vok {

// Inclusive bounds in ink pixels.
struct HwrBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  // The box of n >= 1 points.
  static HwrBox Of(const InkPoint* points, int n);
  void Widen(const HwrBox& other);
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  int32_t longest_side() const { return width() > height() ? width() : height(); }
};

enum class HwrBoxRelation { kMeet = 0, kVertical = 1, kHorizontal = 2 };

// The distance between the boxes' vertical (horizontal) ranges when they do
// not overlap, else -1.
int32_t VerticalGap(const HwrBox& a, const HwrBox& b);
int32_t HorizontalGap(const HwrBox& a, const HwrBox& b);
// Vertical neighbours when the vertical gap is the larger one (or the only
// one), horizontal when the horizontal gap is larger, meeting when the
// ranges overlap on both axes.
HwrBoxRelation BoxRelation(const HwrBox& a, const HwrBox& b);
// 0 for meeting boxes, else the larger of the two gaps.
int32_t BoxGap(const HwrBox& a, const HwrBox& b);

// The gap limits of one track: below `horizontal` two horizontal neighbours
// belong together, below `vertical` two vertical ones.
struct HwrGapLimits {
  int32_t horizontal = 0;
  int32_t vertical = 0;
};
bool BoxesBelongTogether(const HwrBox& a, const HwrBox& b, const HwrGapLimits& limits, int32_t allowance);

// 10 x the longer side / the shorter side, 0 when a side is 0.
int32_t AspectRatio(const HwrBox& box);

}  // namespace vok
