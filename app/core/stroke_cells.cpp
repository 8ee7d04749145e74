#include "app/core/stroke_cells.h"

#include <algorithm>

namespace wrendle::app {
namespace {

constexpr std::int32_t kTapSize = 32;

void AppendStroke(StrokeBuffer* out, const StrokeView& stroke) {
  out->push_back({static_cast<std::int32_t>(stroke.points.size()), 0});
  out->insert(out->end(), stroke.points.begin(), stroke.points.end());
}

}  // namespace

std::vector<StrokeBuffer> SliceLine(const StrokeListView& line, std::span<const std::int32_t> ends) {
  const auto& strokes = line.strokes();
  const std::int32_t total = static_cast<std::int32_t>(strokes.size());
  std::vector<StrokeBuffer> cells;
  std::int32_t begin = 0;
  for (const std::int32_t raw_end : ends) {
    const std::int32_t end = std::clamp(raw_end, begin, total);
    StrokeBuffer cell;
    for (std::int32_t s = begin; s < end; ++s) AppendStroke(&cell, strokes[static_cast<size_t>(s)]);
    cell.push_back({0, 0});
    cells.push_back(std::move(cell));
    begin = end;
  }
  return cells;
}

StrokeBuffer JoinStrokeLists(std::span<const StrokeEntry> earlier, std::span<const StrokeEntry> later) {
  StrokeBuffer joined;
  const auto earlier_view = StrokeListView::Parse(earlier);
  const auto later_view = StrokeListView::Parse(later);
  if (earlier_view) {
    for (const auto& stroke : earlier_view->strokes()) AppendStroke(&joined, stroke);
  }
  if (later_view) {
    for (const auto& stroke : later_view->strokes()) AppendStroke(&joined, stroke);
  }
  joined.push_back({0, 0});
  return joined;
}

TapBox TapBounds(const StrokeListView& line) {
  TapBox box{32767, 32767, 0, 0};
  for (const auto& stroke : line.strokes()) {
    for (const StrokeEntry& point : stroke.points) {
      box.left = std::min(box.left, point.x);
      box.top = std::min(box.top, point.y);
      box.right = std::max(box.right, point.x);
      box.bottom = std::max(box.bottom, point.y);
    }
  }
  return box;
}

std::optional<StrokeEntry> TapPoint(const StrokeListView& line) {
  if (line.point_count() == 0) return std::nullopt;
  const TapBox box = TapBounds(line);
  if (box.right - box.left > kTapSize || box.bottom - box.top > kTapSize) return std::nullopt;
  return line.strokes().front().points.front();
}

}  // namespace wrendle::app
