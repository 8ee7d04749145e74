// Pen-like strokes for tests: polylines densified as a pen samples them.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "common/stroke_list.h"

namespace testing_support {

using Stroke = std::vector<wrendle::StrokeEntry>;

// The strokes as a StrokeList with its end entry.
inline std::vector<wrendle::StrokeEntry> ListOf(const std::vector<Stroke>& strokes) {
  wrendle::StrokeListBuilder builder;
  for (const Stroke& stroke : strokes) builder.AddStroke(stroke);
  return builder.Build();
}

// A stroke through the corners, densified to a point every 4 pixels.
inline Stroke Polyline(const std::vector<wrendle::StrokeEntry>& corners) {
  Stroke stroke{corners.front()};
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const wrendle::StrokeEntry a = corners[i - 1];
    const wrendle::StrokeEntry b = corners[i];
    const int steps = std::max({std::abs(b.x - a.x), std::abs(b.y - a.y), 4}) / 4;
    for (int k = 1; k <= steps; ++k) {
      stroke.push_back({a.x + (b.x - a.x) * k / steps, a.y + (b.y - a.y) * k / steps});
    }
  }
  return stroke;
}

}  // namespace testing_support
