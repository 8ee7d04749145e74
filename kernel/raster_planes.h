// The raster twice, as rows and as columns, each line with a background
// pixel on both sides, and the ink of every line as bits: the form in which
// the feature walks read it.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "kernel/raster.h"

namespace kernel {

// Positions 0 to kRasterSize - 1 of one line, bit p for pixel p.
struct LineBits {
  std::uint64_t low = 0;   // positions 0..63
  std::uint64_t high = 0;  // positions 64..

  // Ink pixels at positions from..to (inclusive).
  int CountIn(int from, int to) const;
  // The first ink position at or after p, or kRasterSize when there is none.
  int FirstAtOrAfter(int p) const;
  // The last ink position at or before p, or -1 when there is none.
  int LastAtOrBefore(int p) const;
};

// Lines (rows or columns) of the raster with one background pixel around
// them, so that walks read neighbours without bounds checks.
inline constexpr int kPlaneStride = kRasterSize + 2;
// Sixteen spare bytes at the end let vector reads start at any line.
using Plane = std::array<std::uint8_t, kPlaneStride * kPlaneStride + 16>;

// Left uninitialised until FillPlanes writes every byte.
struct Planes {
  Plane rows;                                     // [row + 1][column + 1]
  Plane columns;                                  // [column + 1][row + 1]
  std::array<LineBits, kRasterSize> row_bits;     // bit p of row r: column p
  std::array<LineBits, kRasterSize> column_bits;  // bit p of column c: row p
};

void FillPlanes(const Raster& raster, Planes& planes);

// One axis of the raster box: `Line(line)[position]` is a pixel of a line.
struct Axis {
  const Plane& plane;
  const std::array<LineBits, kRasterSize>& bits;
  const std::uint8_t* Line(int line) const {
    return &plane[static_cast<std::size_t>((line + 1) * kPlaneStride + 1)];
  }
};

}  // namespace kernel
