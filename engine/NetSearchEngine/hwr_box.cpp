#include "engine/NetSearchEngine/hwr_box.h"

#include <algorithm>

namespace vok {
namespace {

// The gap of two ranges [a0, a1] and [b0, b1], -1 when they overlap.
int32_t RangeGap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
  if (b0 > a1) return b0 - a1;
  if (a0 > b1) return a0 - b1;
  return -1;
}

}  // namespace

HwrBox HwrBox::Of(const InkPoint* points, int n) {
  HwrBox box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (int i = 1; i < n; ++i) {
    box.left = std::min<int32_t>(box.left, points[i].x);
    box.right = std::max<int32_t>(box.right, points[i].x);
    box.top = std::min<int32_t>(box.top, points[i].y);
    box.bottom = std::max<int32_t>(box.bottom, points[i].y);
  }
  return box;
}

void HwrBox::Widen(const HwrBox& other) {
  left = std::min(left, other.left);
  top = std::min(top, other.top);
  right = std::max(right, other.right);
  bottom = std::max(bottom, other.bottom);
}

int32_t VerticalGap(const HwrBox& a, const HwrBox& b) { return RangeGap(a.top, a.bottom, b.top, b.bottom); }

int32_t HorizontalGap(const HwrBox& a, const HwrBox& b) { return RangeGap(a.left, a.right, b.left, b.right); }

HwrBoxRelation BoxRelation(const HwrBox& a, const HwrBox& b) {
  const int32_t gy = VerticalGap(a, b);
  const int32_t gx = HorizontalGap(a, b);
  if (gy != -1 && gy >= gx) return HwrBoxRelation::kVertical;
  if (gx > gy) return HwrBoxRelation::kHorizontal;
  return HwrBoxRelation::kMeet;
}

int32_t BoxGap(const HwrBox& a, const HwrBox& b) {
  return std::max<int32_t>(0, std::max(VerticalGap(a, b), HorizontalGap(a, b)));
}

bool BoxesBelongTogether(const HwrBox& a, const HwrBox& b, const HwrGapLimits& limits, int32_t allowance) {
  switch (BoxRelation(a, b)) {
    case HwrBoxRelation::kMeet:
      return true;
    case HwrBoxRelation::kHorizontal:
      return BoxGap(a, b) < limits.horizontal + allowance;
    case HwrBoxRelation::kVertical:
      return BoxGap(a, b) < limits.vertical + allowance;
  }
  return false;
}

int32_t AspectRatio(const HwrBox& box) {
  const int32_t w = box.width();
  const int32_t h = box.height();
  if (w == 0 || h == 0) return 0;
  return static_cast<int32_t>(int64_t{10} * std::max(w, h) / std::min(w, h));
}

}  // namespace vok
