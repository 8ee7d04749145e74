#include "kernel/cell.h"

#include <algorithm>

namespace kernel {

Box BoundingBox(std::span<const CellPoint> points) {
  if (points.empty()) return {};
  Box box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const CellPoint& point : points) {
    box.left = std::min(box.left, point.x);
    box.right = std::max(box.right, point.x);
    box.top = std::min(box.top, point.y);
    box.bottom = std::max(box.bottom, point.y);
  }
  return box;
}

std::optional<Cell> TakeCell(const wrendle::StrokeListView& strokes) {
  Cell cell;
  for (const wrendle::StrokeView& stroke : strokes.strokes()) {
    if (stroke.points.empty()) continue;
    if (cell.points.size() + stroke.points.size() >= kMaxCellPoints) return std::nullopt;
    for (std::size_t i = 0; i < stroke.points.size(); ++i) {
      cell.points.push_back({stroke.points[i].x, stroke.points[i].y, i + 1 < stroke.points.size() ? 1 : 0});
    }
    ++cell.stroke_count;
  }
  cell.box = BoundingBox(cell.points);
  if (Extent(cell.box.left, cell.box.right) <= 10 && Extent(cell.box.top, cell.box.bottom) <= 10)
    return std::nullopt;
  return cell;
}

}  // namespace kernel
