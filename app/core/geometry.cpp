#include "app/core/geometry.h"

namespace wrendle::app {

Rect CenterRect(const Rect& outer, std::int32_t width, std::int32_t height) {
  if (width > outer.width() || height > outer.height()) {
    return {outer.left, outer.top, outer.left + width, outer.top + height};
  }
  const std::int32_t left = outer.left + (outer.width() - width) / 2;
  const std::int32_t top = outer.top + (outer.height() - height) / 2;
  return {left, top, left + width, top + height};
}

bool IsDragDistance(Point start, Point now) {
  const std::int64_t dx = static_cast<std::int64_t>(now.x) - start.x;
  const std::int64_t dy = static_cast<std::int64_t>(now.y) - start.y;
  return dx * dx + dy * dy > 65;
}

}  // namespace wrendle::app
