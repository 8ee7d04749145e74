#include "kernel/raster.h"

#include <algorithm>
#include <cstdlib>

namespace kernel {
namespace {

void Set(Raster& raster, int row, int column) {
  if (row < 0 || row >= kRasterSize || column < 0 || column >= kRasterSize) return;
  raster.pixels[static_cast<std::size_t>(row * kRasterSize + column)] = 1;
}

void DrawLine(Raster& raster, int row0, int col0, int row1, int col1) {
  const int drow = row1 - row0;
  const int dcol = col1 - col0;
  if (drow == 0 || dcol == 0) {
    for (int r = std::min(row0, row1); r <= std::max(row0, row1); ++r) {
      for (int c = std::min(col0, col1); c <= std::max(col0, col1); ++c) Set(raster, r, c);
    }
    return;
  }
  const int steps = std::max(std::abs(drow), std::abs(dcol));
  for (int i = 0; i < steps; ++i) Set(raster, i * drow / steps + row0, i * dcol / steps + col0);
}

// Row or column of a scaled offset; points outside the box land outside the
// raster, where nothing is drawn.
int ToRaster(double scaled) { return static_cast<int>(std::clamp(scaled, -2.0, kRasterSize + 0.0)) + 1; }

}  // namespace

Raster RasterizeInk(std::span<const CellPoint> points, const Box& cell_box) {
  Raster raster;
  const double sx = 80.0 / (Extent(cell_box.left, cell_box.right) + 1);
  const double sy = 80.0 / (Extent(cell_box.top, cell_box.bottom) + 1);
  int previous_row = 0;
  int previous_col = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int col = ToRaster(Extent(cell_box.left, points[i].x) * sx);
    const int row = ToRaster(Extent(cell_box.top, points[i].y) * sy);
    const bool previous_continues = i > 0 && points[i - 1].pen_continues == 1;
    if (points[i].pen_continues == 1 || previous_continues) Set(raster, row, col);
    if (previous_continues) DrawLine(raster, previous_row, previous_col, row, col);
    previous_row = row;
    previous_col = col;
  }

  // The last rows and columns stay inside the raster, so the eight
  // neighbours of every pixel walked are too.
  const std::array<std::uint8_t, kRasterSize* kRasterSize> copy = raster.pixels;
  const int last_row = std::min(kRasterSize - 2, ToRaster(Extent(cell_box.top, cell_box.bottom) * sy) + 1);
  const int last_col = std::min(kRasterSize - 2, ToRaster(Extent(cell_box.left, cell_box.right) * sx) + 1);
  for (int r = 1; r <= last_row; ++r) {
    const std::uint8_t* source = &copy[static_cast<std::size_t>(r * kRasterSize)];
    for (int c = 1; c <= last_col; ++c) {
      if (source[c] == 0) continue;
      for (int dr = -1; dr <= 1; ++dr) {
        std::uint8_t* target = &raster.pixels[static_cast<std::size_t>((r + dr) * kRasterSize + c)];
        target[-1] = target[0] = target[1] = 1;
      }
    }
  }

  Box box{kRasterSize, kRasterSize, -1, -1};
  for (int r = 0; r < kRasterSize; ++r) {
    const std::uint8_t* row = &raster.pixels[static_cast<std::size_t>(r * kRasterSize)];
    int first = 0;
    while (first < kRasterSize && row[first] == 0) ++first;
    if (first == kRasterSize) continue;
    int last = kRasterSize - 1;
    while (row[last] == 0) --last;
    box.left = std::min(box.left, first);
    box.right = std::max(box.right, last);
    box.top = std::min(box.top, r);
    box.bottom = std::max(box.bottom, r);
  }
  raster.empty = box.right < 0;
  raster.box = raster.empty ? Box{} : box;
  return raster;
}

}  // namespace kernel
