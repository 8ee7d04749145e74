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

std::vector<StrokeEntry> ScaleStrokesInto(std::span<const StrokeEntry> list, const Rect& target) {
  const auto view = StrokeListView::Parse(list);
  if (!view) return {};
  const auto box = StrokeBounds(list);
  StrokeListBuilder builder;
  if (!box) return builder.Build();
  // Extents between the outermost points, and the target's.
  const std::int64_t bw = static_cast<std::int64_t>(box->width()) - 1;
  const std::int64_t bh = static_cast<std::int64_t>(box->height()) - 1;
  const std::int64_t tw = std::max<std::int64_t>(target.width() - 1, 0);
  const std::int64_t th = std::max<std::int64_t>(target.height() - 1, 0);
  // The scale num / den: the smaller of tw / bw and th / bh over the axes
  // that have an extent; 1 when neither has.
  std::int64_t num = 1;
  std::int64_t den = 1;
  if (bw > 0 && (bh == 0 || tw * bh <= th * bw)) {
    num = tw;
    den = bw;
  } else if (bh > 0) {
    num = th;
    den = bh;
  }
  const std::int64_t left = target.left + (tw - bw * num / den) / 2;
  const std::int64_t top = target.top + (th - bh * num / den) / 2;
  for (const StrokeView& stroke : view->strokes()) {
    std::vector<StrokeEntry> points;
    points.reserve(stroke.points.size());
    for (const StrokeEntry& p : stroke.points) {
      points.push_back({static_cast<std::int32_t>(left + (p.x - box->left) * num / den),
                        static_cast<std::int32_t>(top + (p.y - box->top) * num / den)});
    }
    builder.AddStroke(points);
  }
  return builder.Build();
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
