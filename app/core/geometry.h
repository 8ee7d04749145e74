// Screen geometry of the program's own controls, in pixels: rectangles with
// the right and bottom edges outside, as Win32 keeps them.
#pragma once

#include <cstdint>

namespace wrendle::app {

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  // True when `inner` lies wholly inside this rectangle.
  bool Encloses(const Rect& inner) const {
    return inner.left >= left && inner.top >= top && inner.right <= right && inner.bottom <= bottom;
  }
  bool Intersects(const Rect& other) const {
    return !empty() && !other.empty() && left < other.right && other.left < right && top < other.bottom &&
           other.top < bottom;
  }
  bool operator==(const Rect&) const = default;
};

// The rectangle of `width` x `height` centred in `outer`, or at its top-left
// corner when it does not fit.
Rect CenterRect(const Rect& outer, std::int32_t width, std::int32_t height);

// A drag starts once the pointer is more than about 8 pixels from where the
// button went down: squared distance over 65.
bool IsDragDistance(Point start, Point now);

}  // namespace wrendle::app
