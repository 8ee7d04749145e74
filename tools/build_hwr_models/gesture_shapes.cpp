#include "tools/build_hwr_models/gesture_shapes.h"

#include <cmath>
#include <string>
#include <utility>

namespace build_hwr_models {
namespace {

struct Shape {
  const char* name;
  std::vector<std::pair<int, int>> corners;  // (x, y) in a 100 box, y down
};

// Names follow the keys the editing gestures stand for.
std::vector<Shape> Shapes() {
  std::vector<Shape> shapes = {
      {"Enter", {{80, 10}, {80, 80}, {20, 80}}},
      {"Space", {{10, 40}, {10, 80}, {90, 80}, {90, 40}}},
      {"Delete", {{10, 10}, {90, 10}, {10, 90}, {90, 90}}},
      {"Backspace", {{90, 50}, {10, 50}}},
      {"Left", {{80, 20}, {20, 50}, {80, 80}}},
      {"Right", {{20, 20}, {80, 50}, {20, 80}}},
      {"Up", {{20, 80}, {50, 20}, {80, 80}}},
      {"Down", {{20, 20}, {50, 80}, {80, 20}}},
      {"PageUp", {{50, 90}, {50, 10}, {20, 40}}},
      {"PageDown", {{50, 10}, {50, 90}, {80, 60}}},
      {"Home", {{90, 90}, {10, 10}, {60, 10}}},
      {"End", {{10, 10}, {90, 90}, {40, 90}}},
      {"Insert", {{10, 50}, {50, 10}, {90, 50}, {50, 90}, {12, 52}}},
      {"Tab", {{10, 50}, {90, 50}, {90, 20}}},
  };
  Shape escape{"Escape", {}};
  for (int i = 0; i <= 12; ++i) {
    const double a = 3.14159265 * 2 * i / 12;
    escape.corners.push_back(
        {50 + static_cast<int>(40 * std::cos(a)), 50 - static_cast<int>(40 * std::sin(a))});
  }
  shapes.push_back(escape);
  return shapes;
}

// Densified centre line as {y, x} points at a pen-like scale.
std::vector<vok::InkPoint> Draw(const std::vector<std::pair<int, int>>& corners) {
  std::vector<vok::InkPoint> points;
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const auto [x0, y0] = corners[i - 1];
    const auto [x1, y1] = corners[i];
    const int steps = std::max(1, static_cast<int>(std::hypot(x1 - x0, y1 - y0) / 4));
    for (int k = i == 1 ? 0 : 1; k <= steps; ++k) {
      points.push_back({static_cast<int16_t>(2 * (y0 + (y1 - y0) * k / steps)),
                        static_cast<int16_t>(2 * (x0 + (x1 - x0) * k / steps))});
    }
  }
  return points;
}

}  // namespace

std::vector<uint8_t> DefaultGestureFile() {
  vok::CHWRGestureRecognizer recognizer;
  for (const Shape& shape : Shapes()) {
    const auto points = Draw(shape.corners);
    const int count = static_cast<int>(points.size());
    recognizer.Add(shape.name, 1, &count, points.data());
  }
  return recognizer.Serialise();
}

std::vector<uint8_t> AntiGestureFile(const std::vector<build_dictionaries::StrokeCharacter>& characters) {
  vok::CHWRGestureRecognizer recognizer;
  for (const auto& character : characters) {
    const auto& medians = character.medians;
    if (medians.empty() || medians.size() > 3 || character.utf8.size() >= vok::kGestureNameBytes) continue;
    std::vector<vok::InkPoint> points;
    std::vector<int> counts;
    for (const auto& median : medians) {
      std::vector<std::pair<int, int>> corners;
      for (const auto& p : median)
        corners.push_back({static_cast<int>(p.x / 10), static_cast<int>((900 - p.y) / 10)});
      if (corners.size() < 2) corners.push_back(corners.back());
      const auto stroke = Draw(corners);
      points.insert(points.end(), stroke.begin(), stroke.end());
      counts.push_back(static_cast<int>(stroke.size()));
    }
    recognizer.Add(character.utf8.c_str(), static_cast<int>(counts.size()), counts.data(), points.data());
  }
  return recognizer.Serialise();
}

std::vector<int16_t> GestureSamples() {
  std::vector<int16_t> samples;
  const auto shapes = Shapes();
  for (int g = 0; g < 3; ++g) {
    const auto points = Draw(shapes[g].corners);
    vok::GestureTemplate t;
    const int count = static_cast<int>(points.size());
    vok::CHWRGestureRecognizer::MakeTemplate(shapes[g].name, 1, &count, points.data(), &t);
    for (const auto& p : t.points[0]) {
      samples.push_back(p.y);
      samples.push_back(p.x);
    }
  }
  return samples;
}

}  // namespace build_hwr_models
