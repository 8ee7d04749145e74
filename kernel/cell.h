// One character cell as the recognizer takes it in: its points in input
// coordinates, each with a flag that says whether the pen goes on to the next
// point of the same stroke.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/stroke_list.h"

namespace kernel {

struct CellPoint {
  std::int32_t x;
  std::int32_t y;
  std::int32_t pen_continues;
  bool SamePlace(const CellPoint& other) const { return x == other.x && y == other.y; }
};

struct Box {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct Cell {
  std::vector<CellPoint> points;
  int stroke_count = 0;
  Box box;
};

// high - low for any two coordinates, without overflow.
inline double Extent(std::int32_t low, std::int32_t high) {
  return static_cast<double>(high) - static_cast<double>(low);
}

// Cells of this many points or more are refused.
inline constexpr std::size_t kMaxCellPoints = wrendle::kMaxRecognizerPoints + 1;

// The cell of a checked stroke list; nullopt when it holds kMaxCellPoints
// points or more, or its box is at most 10 pixels in both directions.
std::optional<Cell> TakeCell(const wrendle::StrokeListView& strokes);

// The bounding box of the points (all zero for none).
Box BoundingBox(std::span<const CellPoint> points);

}  // namespace kernel
