#include "shapes/letters/letter_raster.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace letters {
namespace {

struct Pixel {
  int x;
  int y;
};

void DrawLine(LetterRaster& raster, Pixel a, Pixel b) {
  const int dx = std::abs(b.x - a.x);
  const int dy = -std::abs(b.y - a.y);
  const int step_x = a.x < b.x ? 1 : -1;
  const int step_y = a.y < b.y ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    raster.SetInk(a.x, a.y);
    if (a.x == b.x && a.y == b.y) return;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      a.x += step_x;
    }
    if (twice <= dx) {
      error += dx;
      a.y += step_y;
    }
  }
}

}  // namespace

std::optional<LetterRaster> RasterizeLetter(const wrendle::StrokeListView& strokes) {
  if (strokes.point_count() == 0 || strokes.point_count() > kMaxLetterPoints) return std::nullopt;
  // Screen coordinates may lie anywhere in int32: differences need 64 bits.
  std::int64_t min_x = std::numeric_limits<std::int64_t>::max();
  std::int64_t min_y = min_x;
  std::int64_t max_x = std::numeric_limits<std::int64_t>::min();
  std::int64_t max_y = max_x;
  for (const wrendle::StrokeView& stroke : strokes.strokes()) {
    for (const wrendle::StrokeEntry& p : stroke.points) {
      min_x = std::min<std::int64_t>(min_x, p.x);
      max_x = std::max<std::int64_t>(max_x, p.x);
      min_y = std::min<std::int64_t>(min_y, p.y);
      max_y = std::max<std::int64_t>(max_y, p.y);
    }
  }
  const double scale = std::min(static_cast<double>(kDrawingSide) / static_cast<double>(max_x - min_x + 1),
                                static_cast<double>(kDrawingSide) / static_cast<double>(max_y - min_y + 1));
  const auto map = [&](const wrendle::StrokeEntry& p) {
    return Pixel{static_cast<int>(static_cast<double>(p.x - min_x) * scale) + 1,
                 static_cast<int>(static_cast<double>(p.y - min_y) * scale) + 1};
  };

  LetterRaster drawn(kRasterSide, kRasterSide);
  for (const wrendle::StrokeView& stroke : strokes.strokes()) {
    Pixel previous = map(stroke.points.front());
    drawn.SetInk(previous.x, previous.y);
    for (const wrendle::StrokeEntry& p : stroke.points.subspan(1)) {
      const Pixel next = map(p);
      DrawLine(drawn, previous, next);
      previous = next;
    }
  }

  // Points lie in 1..128, so the thickened ink stays inside 0..129.
  LetterRaster thick(kRasterSide, kRasterSide);
  int left = kRasterSide, top = kRasterSide, right = -1, bottom = -1;
  for (int y = 1; y <= kDrawingSide; ++y) {
    for (int x = 1; x <= kDrawingSide; ++x) {
      if (!drawn.Ink(x, y)) continue;
      for (int ny = y - 1; ny <= y + 1; ++ny) {
        for (int nx = x - 1; nx <= x + 1; ++nx) thick.SetInk(nx, ny);
      }
      left = std::min(left, x - 1);
      right = std::max(right, x + 1);
      top = std::min(top, y - 1);
      bottom = std::max(bottom, y + 1);
    }
  }
  const int width = right - left + 1;
  const int height = bottom - top + 1;
  if (width < kSmallestLetterSide && height < kSmallestLetterSide) return std::nullopt;
  LetterRaster trimmed(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (thick.Ink(left + x, top + y)) trimmed.SetInk(x, y);
    }
  }
  return trimmed;
}

}  // namespace letters
