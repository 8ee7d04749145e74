// Tablet pressure and the size of the ink dots drawn for it.
#pragma once

#include <cstdint>

namespace jebhook {

// Windows' MulDiv: a x b / c rounded to the nearest integer, halves away from
// zero; -1 when c is 0 or the result does not fit.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// The pressure of a packet, 0 to 255: when the pressure button's bit is set in
// `buttons` and pressure - press mark > 0, (pressure - press mark) x 255 /
// range, held to 255; else 0. A range of 0 or less (a pressure axis that ends
// at the press mark) makes any press above the mark full pressure.
std::int32_t PacketPressure(std::uint32_t buttons, std::int32_t button_bit, std::int32_t pressure,
                            std::int32_t press_mark, std::int32_t range);

// Dots of a pen of width w and dot factor k: extra = w x k / 10,
// base = (w - 2) x (20 - k) / 20 + 2, and a dot of pressure p has the size
// p x extra / 255 + base.
struct DotPen {
  std::int32_t extra;
  std::int32_t base;
};
DotPen MakeDotPen(std::int32_t width, std::int32_t dot_factor);
std::int32_t DotSize(const DotPen& pen, std::int32_t pressure);

// The pressure at `offset` steps of `length` along a segment whose ends have
// the pressures `from` and `to`.
std::int32_t InterpolatePressure(std::int32_t from, std::int32_t to, std::int32_t offset,
                                 std::int32_t length);

// The box of a dot of `size` centred on (x, y): size / 2 to the left and
// above, the rest to the right and below (right and bottom exclusive). Dots
// larger than 3 pixels are ellipses, the others rectangles.
struct DotBox {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  bool ellipse;
  bool operator==(const DotBox&) const = default;
};
DotBox DotAround(std::int32_t x, std::int32_t y, std::int32_t size);

}  // namespace jebhook
