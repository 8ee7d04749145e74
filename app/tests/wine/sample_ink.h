// The bundled handwriting sample for the tests of the real program: read
// from its JSON file, scaled into a box of the screen, drawn with the
// system mouse, and written out again as the line the recognizer tool reads.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/stroke_list.h"
#include "tests/support/mouse_driver.h"

namespace program_testing {

using Stroke = std::vector<wrendle::StrokeEntry>;

// The strokes of the sample's first line: arrays of [x, y] points.
inline std::vector<Stroke> ReadSample(const char* path) {
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Stroke> strokes;
  int depth = 0;
  std::vector<int> numbers;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' && !strokes.empty()) break;
    if (c == '[') {
      ++depth;
      if (depth == 2) strokes.emplace_back();
      if (depth == 3) numbers.clear();
    } else if (c == ']') {
      if (depth == 3 && numbers.size() == 2) strokes.back().push_back({numbers[0], numbers[1]});
      --depth;
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      std::size_t used = 0;
      numbers.push_back(std::stoi(text.substr(i), &used));
      i += used - 1;
    }
  }
  return strokes;
}

// `strokes` scaled about their centre into the middle of `box` (screen
// pixels): a character fills 60 % of the box's smaller side, a `line` 80 %
// of its width.
inline std::vector<Stroke> ScaleInto(const std::vector<Stroke>& strokes, const RECT& box, bool line = false) {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  for (const Stroke& stroke : strokes) {
    for (const wrendle::StrokeEntry& p : stroke) {
      left = std::min(left, p.x);
      top = std::min(top, p.y);
      right = std::max(right, p.x);
      bottom = std::max(bottom, p.y);
    }
  }
  const double room = 0.6 * std::min(box.right - box.left, box.bottom - box.top);
  const double scale = line ? 0.8 * (box.right - box.left) / std::max(1, right - left)
                            : room / std::max(1, std::max(right - left, bottom - top));
  const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  std::vector<Stroke> scaled;
  for (const Stroke& stroke : strokes) {
    Stroke& out = scaled.emplace_back();
    for (const wrendle::StrokeEntry& p : stroke) {
      out.push_back({cx + static_cast<int>((p.x - (left + right) / 2.0) * scale),
                     cy + static_cast<int>((p.y - (top + bottom) / 2.0) * scale)});
    }
  }
  return scaled;
}

// Draws screen strokes with the system mouse, 12 ms between points (no move
// waits in the queue for the next); returns the time of the last pen-up.
inline std::chrono::steady_clock::time_point Draw(const std::vector<Stroke>& strokes) {
  using std::chrono::milliseconds;
  testing_support::MouseDriver mouse;
  std::chrono::steady_clock::time_point pen_up;
  for (const Stroke& stroke : strokes) {
    mouse.MoveTo(stroke.front().x, stroke.front().y);
    std::this_thread::sleep_for(milliseconds(30));
    mouse.Press();
    for (const wrendle::StrokeEntry& p : stroke) {
      mouse.MoveTo(p.x, p.y);
      std::this_thread::sleep_for(milliseconds(12));
    }
    mouse.Release();
    pen_up = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(milliseconds(40));
  }
  return pen_up;
}

// One line of the recognizer tool's input: an array of strokes of [x, y].
inline std::string LineJson(const std::vector<Stroke>& strokes) {
  std::string json = "[";
  for (std::size_t s = 0; s < strokes.size(); ++s) {
    json += s > 0 ? ",[" : "[";
    for (std::size_t i = 0; i < strokes[s].size(); ++i) {
      if (i > 0) json += ",";
      json += "[" + std::to_string(strokes[s][i].x) + "," + std::to_string(strokes[s][i].y) + "]";
    }
    json += "]";
  }
  return json + "]\n";
}

}  // namespace program_testing
