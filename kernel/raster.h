// The binary image of a cell from which the feature vectors are computed.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "kernel/cell.h"

namespace kernel {

inline constexpr int kRasterSize = 90;

struct Raster {
  // Row-major, 1 for ink.
  std::array<std::uint8_t, kRasterSize * kRasterSize> pixels{};
  // The ink after trimming; all zero when the raster holds no ink.
  Box box;
  bool empty = true;

  // 0 outside the raster.
  int At(int row, int column) const {
    if (row < 0 || row >= kRasterSize || column < 0 || column >= kRasterSize) return 0;
    return pixels[static_cast<std::size_t>(row * kRasterSize + column)];
  }
};

// Draws the points whose pen-continues flags join them, scaled into rows and
// columns 1 to 81, dilates by one pixel and trims the box to the ink.
// `cell_box` is the box of the points in input coordinates.
Raster RasterizeInk(std::span<const CellPoint> points, const Box& cell_box);

}  // namespace kernel
