#include "tools/build_dictionaries/ink_synthesis.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace build_dictionaries {

InkStyle NeatStyle() {
  InkStyle style;
  style.size_low = 70;
  style.size_high = 180;
  style.wobble = 0.005;
  style.spacing_low = 2;
  style.spacing_high = 5;
  return style;
}

InkStyle HastyStyle() {
  InkStyle style;
  style.size_low = 70;
  style.size_high = 180;
  style.point_jitter = 0.02;
  style.shear = 0.12;
  style.aspect = 0.15;
  style.rotation = 0.08;
  style.wobble = 0.015;
  style.spacing_low = 1.5;
  style.spacing_high = 7;
  style.connect = 0.15;
  return style;
}

InkStyle VeryHastyStyle() {
  InkStyle style;
  style.size_low = 60;
  style.size_high = 200;
  style.point_jitter = 0.02;
  style.shear = 0.16;
  style.aspect = 0.2;
  style.rotation = 0.1;
  style.wobble = 0.025;
  style.wobble_period_low = 0.8;
  style.wobble_period_high = 2;
  style.spacing_low = 1.5;
  style.spacing_high = 8;
  style.speed_change = 0.5;
  style.connect = 0.6;
  return style;
}

// Eight steps from neat to hasty; the later half joins most strokes.
constexpr std::size_t kSteps = 8;

bool IsNeatDictionaryVariant(std::size_t variant) { return variant % kSteps < 2; }

std::size_t ProbeVariant(std::size_t probe) { return kSteps / 2 + probe % (kSteps / 2); }

InkStyle DictionaryStyle(std::size_t variant) {
  const double f = static_cast<double>(variant % kSteps) / (kSteps - 1);
  InkStyle style;
  style.size_low = 70;
  style.size_high = 190;
  style.point_jitter = 0.012 + 0.008 * f;
  style.shear = 0.06 + 0.1 * f;
  style.aspect = 0.08 + 0.12 * f;
  style.rotation = 0.04 + 0.06 * f;
  style.wobble = 0.02 * f;
  style.wobble_period_low = 0.3;
  style.wobble_period_high = 1.5;
  style.spacing_low = 2;
  style.spacing_high = 6;
  style.speed_change = 0.4 * f;
  style.connect = 0.8 * f;
  return style;
}

std::vector<wrendle::StrokeEntry> SynthesizeInk(const std::vector<Median>& medians, const InkStyle& style,
                                                std::uint64_t seed) {
  std::mt19937_64 random(seed);
  const auto uniform = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  const double size = uniform(style.size_low, style.size_high);
  const double scale_x = size / 1024 * (1 + uniform(-style.aspect, style.aspect));
  const double scale_y = size / 1024;
  const double shear = uniform(-style.shear, style.shear);
  const double angle = uniform(-style.rotation, style.rotation);
  const double origin_x = uniform(50, 150);
  const double origin_y = uniform(50, 150);
  const double wobble_phase = uniform(0, 6.283);
  const double wobble_period = uniform(style.wobble_period_low, style.wobble_period_high) * size;

  // Centre lines into pixels, y downwards, each corner jittered.
  std::vector<std::vector<MedianPoint>> strokes;
  for (const Median& median : medians) {
    std::vector<MedianPoint> corners;
    for (const MedianPoint& p : median) {
      const double x = (p.x + uniform(-1, 1) * style.point_jitter * 1024) * scale_x;
      const double y = (900 - p.y + uniform(-1, 1) * style.point_jitter * 1024) * scale_y;
      const double sx = x + shear * y;
      corners.push_back({origin_x + sx * std::cos(angle) - y * std::sin(angle),
                         origin_y + sx * std::sin(angle) + y * std::cos(angle)});
    }
    if (!strokes.empty() && uniform(0, 1) < style.connect) {
      strokes.back().insert(strokes.back().end(), corners.begin(), corners.end());
    } else {
      strokes.push_back(std::move(corners));
    }
  }

  wrendle::StrokeListBuilder builder;
  for (const auto& corners : strokes) {
    const double spacing = uniform(style.spacing_low, style.spacing_high);
    std::vector<wrendle::StrokeEntry> points;
    const auto add = [&](double x, double y) {
      const double w = style.wobble * size * std::sin(wobble_phase + (x + y) / wobble_period);
      const wrendle::StrokeEntry point{static_cast<std::int32_t>(std::lround(x + w)),
                                       static_cast<std::int32_t>(std::lround(y - w))};
      if (points.empty() || point.x != points.back().x || point.y != points.back().y) points.push_back(point);
    };
    add(corners[0].x, corners[0].y);
    if (style.speed_change == 0) {
      for (std::size_t i = 1; i < corners.size(); ++i) {
        const MedianPoint a = corners[i - 1];
        const MedianPoint b = corners[i];
        const int steps = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / spacing));
        for (int k = 1; k <= steps; ++k) add(a.x + (b.x - a.x) * k / steps, a.y + (b.y - a.y) * k / steps);
      }
    } else {
      // Points at a spacing that changes smoothly with the distance written.
      const double speed_phase = uniform(0, 6.283);
      const auto step = [&](double written) {
        return spacing * (1 + style.speed_change * std::sin(speed_phase + written / (0.3 * size)));
      };
      double written = 0;
      double next = step(0);
      for (std::size_t i = 1; i < corners.size(); ++i) {
        const MedianPoint a = corners[i - 1];
        const MedianPoint b = corners[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        for (; next < written + length; next += step(next)) {
          const double t = (next - written) / length;
          add(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
        }
        written += length;
      }
      add(corners.back().x, corners.back().y);
    }
    builder.AddStroke(points);
  }
  return builder.Build();
}

}  // namespace build_dictionaries
