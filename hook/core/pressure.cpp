#include "hook/core/pressure.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace jebhook {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t magnitude = (std::llabs(product) + std::llabs(static_cast<std::int64_t>(c)) / 2) /
                                 std::llabs(static_cast<std::int64_t>(c));
  const std::int64_t result = (product < 0) != (c < 0) ? -magnitude : magnitude;
  if (result > std::numeric_limits<std::int32_t>::max() ||
      result < std::numeric_limits<std::int32_t>::min()) {
    return -1;
  }
  return static_cast<std::int32_t>(result);
}

std::int32_t PacketPressure(std::uint32_t buttons, std::int32_t button_bit, std::int32_t pressure,
                            std::int32_t press_mark, std::int32_t range) {
  if (button_bit < 0 || button_bit > 31 || (buttons & (1u << button_bit)) == 0) return 0;
  const std::int64_t above = static_cast<std::int64_t>(pressure) - press_mark;
  if (above <= 0) return 0;
  if (range <= 0) return 255;
  return static_cast<std::int32_t>(std::min<std::int64_t>(255, (above * 255 + range / 2) / range));
}

DotPen MakeDotPen(std::int32_t width, std::int32_t dot_factor) {
  return DotPen{MulDiv(width, dot_factor, 10), MulDiv(width - 2, 20 - dot_factor, 20) + 2};
}

std::int32_t DotSize(const DotPen& pen, std::int32_t pressure) {
  return MulDiv(pressure, pen.extra, 255) + pen.base;
}

std::int32_t InterpolatePressure(std::int32_t from, std::int32_t to, std::int32_t offset,
                                 std::int32_t length) {
  if (length <= 0) return to;
  return from + MulDiv(to - from, std::clamp(offset, 0, length), length);
}

DotBox DotAround(std::int32_t x, std::int32_t y, std::int32_t size) {
  const std::int32_t before = size / 2;
  const std::int32_t after = size - before;
  return DotBox{x - before, y - before, x + after, y + after, size > 3};
}

}  // namespace jebhook
