// A straight segment of a cell on the 80-unit grid with its link code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "kernel/geometry.h"

namespace kernel {

// Link codes: 1 the next segment starts where this one ends, 16 this one
// starts where the previous one ends, 17 both, 18 removed as a ligature.
inline constexpr std::uint8_t kLinkNext = 1;
inline constexpr std::uint8_t kLinkPrevious = 16;
inline constexpr std::uint8_t kLinkBoth = 17;
inline constexpr std::uint8_t kLinkRemoved = 18;

struct SegmentRecord {
  std::uint8_t x0 = 0;
  std::uint8_t y0 = 0;
  std::uint8_t x1 = 0;
  std::uint8_t y1 = 0;
  std::uint8_t link = 0;

  int dx() const { return x1 - x0; }
  // Positive when the segment goes up the grid.
  int dy() const { return y0 - y1; }
  int direction() const { return DirectionCode(dx(), dy()); }
  int length() const { return std::max(std::abs(dx()), std::abs(dy())); }
  int manhattan() const { return std::abs(dx()) + std::abs(dy()); }
  bool removed() const { return link == kLinkRemoved; }
  bool joined_to_next() const { return !removed() && (link & kLinkNext) != 0; }
  bool operator==(const SegmentRecord&) const = default;
};

}  // namespace kernel
