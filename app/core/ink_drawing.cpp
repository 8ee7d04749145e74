#include "app/core/ink_drawing.h"

#include <algorithm>

namespace wrendle::app {

std::optional<Rect> StrokeBounds(std::span<const StrokeEntry> list) {
  const auto view = StrokeListView::Parse(list);
  if (!view || view->point_count() == 0) return std::nullopt;
  Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const StrokeView& stroke : view->strokes()) {
    for (const StrokeEntry& p : stroke.points) {
      box.left = std::min(box.left, p.x);
      box.top = std::min(box.top, p.y);
      box.right = std::max(box.right, p.x);
      box.bottom = std::max(box.bottom, p.y);
    }
  }
  // Screen points are far from the int32 limits; a hostile list is held there.
  box.right = box.right == INT32_MAX ? INT32_MAX : box.right + 1;
  box.bottom = box.bottom == INT32_MAX ? INT32_MAX : box.bottom + 1;
  return box;
}

std::optional<InkRuns> MakeInkRuns(std::span<const StrokeEntry> list) {
  const auto box = StrokeBounds(list);
  if (!box) return std::nullopt;
  const auto view = StrokeListView::Parse(list);
  InkRuns runs{{}, *box};
  runs.points.reserve(view->point_count() + view->stroke_count());
  for (const StrokeView& stroke : view->strokes()) {
    if (!runs.points.empty()) runs.points.push_back({kInkRunMarker, kInkRunMarker});
    for (const StrokeEntry& p : stroke.points) {
      runs.points.push_back({static_cast<std::int32_t>(static_cast<std::int64_t>(p.x) - box->left),
                             static_cast<std::int32_t>(static_cast<std::int64_t>(p.y) - box->top)});
    }
  }
  return runs;
}

Rect PlaceBubble(Point cursor, Point cursor_size, Point size, const Rect& screen) {
  const std::int32_t dx = cursor_size.x / 4;
  const std::int32_t dy = cursor_size.y / 4;
  const Rect tries[] = {
      {cursor.x - dx - size.x, cursor.y - dy - size.y, cursor.x - dx, cursor.y - dy},  // above-left
      {cursor.x + dx, cursor.y - dy - size.y, cursor.x + dx + size.x, cursor.y - dy},  // above-right
      {cursor.x + dx, cursor.y + dy, cursor.x + dx + size.x, cursor.y + dy + size.y},  // below-right
      {cursor.x - dx - size.x, cursor.y + dy, cursor.x - dx, cursor.y + dy + size.y},  // below-left
  };
  for (const Rect& place : tries) {
    if (screen.Encloses(place)) return place;
  }
  return tries[0];
}

}  // namespace wrendle::app
