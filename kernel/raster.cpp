#include "kernel/raster.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kernel {
namespace {

void Set(Raster& raster, int row, int column) {
  if (row < 0 || row >= kRasterSize || column < 0 || column >= kRasterSize) return;
  raster.pixels[static_cast<std::size_t>(row * kRasterSize + column)] = 1;
}

// trunc(i x d / steps) for i = 0, 1, 2, ... with |d| <= steps, without a
// division: the remainder of i x |d| grows by |d| per step.
class Stepper {
 public:
  Stepper(int d, int steps) : step_(std::abs(d)), steps_(steps), negative_(d < 0) {}
  int value() const { return negative_ ? -quotient_ : quotient_; }
  void Advance() {
    remainder_ += step_;
    if (remainder_ >= steps_) {
      remainder_ -= steps_;
      ++quotient_;
    }
  }

 private:
  int step_;
  int steps_;
  bool negative_;
  int quotient_ = 0;
  int remainder_ = 0;
};

// Pixels i x drow / steps + row0, i x dcol / steps + col0 for i from 0 to
// steps - 1, or the whole run when the line is level or upright.
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
  Stepper row(drow, steps);
  Stepper col(dcol, steps);
  for (int i = 0; i < steps; ++i) {
    Set(raster, row.value() + row0, col.value() + col0);
    row.Advance();
    col.Advance();
  }
}

// Row or column of a scaled offset; points outside the box land outside the
// raster, where nothing is drawn.
int ToRaster(double scaled) { return static_cast<int>(std::clamp(scaled, -2.0, kRasterSize + 0.0)) + 1; }

// The raster with a background line around it and rows padded to a whole
// number of vectors: pixel (r, c) at [(r + 1) x kStride + c + 1].
constexpr int kStride = 96;
using Padded = std::array<std::uint8_t, (kRasterSize + 2) * kStride>;

std::uint8_t* PaddedRow(Padded& plane, int row) {
  return &plane[static_cast<std::size_t>((row + 1) * kStride)];
}

// Every pixel of rows and columns 1 to last, taken from `source`, sets its
// eight neighbours in `target`.
void Dilate(const Raster& source, int last_row, int last_col, Padded& target) {
  // Columns 1 to last_col of a row, at their padded places.
  alignas(16) std::uint8_t taken[kStride + 32] = {};
  std::uint8_t* line = taken + 16;
  alignas(16) std::uint8_t spread[kStride];
  for (int r = 1; r <= last_row; ++r) {
    std::memcpy(line + 2, &source.pixels[static_cast<std::size_t>(r * kRasterSize + 1)],
                static_cast<std::size_t>(std::max(last_col, 0)));
    // spread[c + 1] = pixel c - 1 | pixel c | pixel c + 1
#if defined(__SSE2__)
    for (int k = 0; k < kStride; k += 16) {
      const auto at = [&](int offset) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + k + offset));
      };
      _mm_store_si128(reinterpret_cast<__m128i*>(spread + k),
                      _mm_or_si128(_mm_or_si128(at(-1), at(0)), at(1)));
    }
    for (int dr = -1; dr <= 1; ++dr) {
      std::uint8_t* row = PaddedRow(target, r + dr);
      for (int k = 0; k < kStride; k += 16) {
        __m128i* at = reinterpret_cast<__m128i*>(row + k);
        _mm_storeu_si128(at, _mm_or_si128(_mm_loadu_si128(at),
                                          _mm_load_si128(reinterpret_cast<const __m128i*>(spread + k))));
      }
    }
#else
    for (int k = 0; k < kStride; ++k) spread[k] = line[k - 1] | line[k] | line[k + 1];
    for (int dr = -1; dr <= 1; ++dr) {
      std::uint8_t* row = PaddedRow(target, r + dr);
      for (int k = 0; k < kStride; ++k) row[k] |= spread[k];
    }
#endif
  }
}

// First and last ink column of a padded row, or false for none.
bool InkSpan(const std::uint8_t* row, int& first, int& last) {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const auto ink = [&](int k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k));
    return static_cast<std::uint64_t>(~_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) & 0xFFFF);
  };
  low = ink(0) | ink(16) << 16 | ink(32) << 32 | ink(48) << 48;
  high = ink(64) | ink(80) << 16;
#else
  for (int k = 0; k < 64; ++k) low |= static_cast<std::uint64_t>(row[k] != 0) << k;
  for (int k = 64; k < kStride; ++k) high |= static_cast<std::uint64_t>(row[k] != 0) << (k - 64);
#endif
  if ((low | high) == 0) return false;
  first = (low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(high)) - 1;
  last = (high != 0 ? 127 - std::countl_zero(high) : 63 - std::countl_zero(low)) - 1;
  return true;
}

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
  const int last_row = std::min(kRasterSize - 2, ToRaster(Extent(cell_box.top, cell_box.bottom) * sy) + 1);
  const int last_col = std::min(kRasterSize - 2, ToRaster(Extent(cell_box.left, cell_box.right) * sx) + 1);
  Padded plane;  // every byte written here
  std::memset(PaddedRow(plane, -1), 0, kStride);
  std::memset(PaddedRow(plane, kRasterSize), 0, kStride);
  for (int r = 0; r < kRasterSize; ++r) {
    std::uint8_t* row = PaddedRow(plane, r);
    row[0] = 0;
    std::memcpy(row + 1, &raster.pixels[static_cast<std::size_t>(r * kRasterSize)], kRasterSize);
    std::memset(row + 1 + kRasterSize, 0, kStride - 1 - kRasterSize);
  }
  Dilate(raster, last_row, last_col, plane);

  Box box{kRasterSize, kRasterSize, -1, -1};
  for (int r = 0; r < kRasterSize; ++r) {
    const std::uint8_t* row = PaddedRow(plane, r);
    std::memcpy(&raster.pixels[static_cast<std::size_t>(r * kRasterSize)], row + 1, kRasterSize);
    int first = 0;
    int last = 0;
    if (!InkSpan(row, first, last)) continue;
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
