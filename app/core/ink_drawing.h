// Portable halves of the ink drawing routines: the box of a StrokeList, the
// point runs that InkToBitmap draws, and where the tooltip bubble goes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/core/geometry.h"
#include "common/stroke_list.h"

namespace wrendle::app {

// The smallest rectangle holding every point of a well-formed list (right
// and bottom one past the last pixel); nullopt for a malformed or empty list.
std::optional<Rect> StrokeBounds(std::span<const StrokeEntry> list);

// Separates the strokes of InkRuns::points.
inline constexpr std::int32_t kInkRunMarker = 32768;

// The strokes of a list as one point sequence, strokes separated by a point
// whose x is kInkRunMarker, shifted so that the box's top-left is (0, 0); the
// bitmap is box.width() x box.height() pixels (a one-point list gives 1 x 1).
struct InkRuns {
  std::vector<Point> points;
  Rect box;
};
// Nullopt for a malformed list or one without points: nothing to paste.
std::optional<InkRuns> MakeInkRuns(std::span<const StrokeEntry> list);

// The strokes of a well-formed list scaled, with their proportions kept, to
// fit `target` and centred in it; a list whose box has no width or height
// (one point, a straight line) is not stretched along that axis. Empty for
// a malformed list.
std::vector<StrokeEntry> ScaleStrokesInto(std::span<const StrokeEntry> list, const Rect& target);

// Where the bubble of `size` goes for the cursor at `cursor` with cursor
// extent `cursor_size` (dx, dy a quarter of it): its bottom-right corner at
// (x - dx, y - dy), else bottom-left at (x + dx, y - dy), else top-left at
// (x + dx, y + dy), else top-right at (x - dx, y + dy); the first that lies
// wholly on `screen`. When none does, the first.
Rect PlaceBubble(Point cursor, Point cursor_size, Point size, const Rect& screen);

}  // namespace wrendle::app
