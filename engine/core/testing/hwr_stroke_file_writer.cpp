#include "engine/core/testing/hwr_stroke_file_writer.h"

#include <cstdio>

namespace vok_testing {
namespace {

void Field(std::string* out, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%5d", value);
  *out += text;
}

}  // namespace

std::string WriteHwrStrokeFile(const std::vector<std::vector<vok::InkPoint>>& strokes) {
  std::string out;
  Field(&out, static_cast<int>(strokes.size()));
  out += '\n';
  for (const auto& stroke : strokes) Field(&out, static_cast<int>(stroke.size()));
  out += '\n';
  Field(&out, 0);
  out += '\n';
  for (const auto& stroke : strokes) {
    for (const vok::InkPoint& p : stroke) {
      Field(&out, p.y);
      Field(&out, p.x);
      out += '\n';
    }
  }
  return out;
}

}  // namespace vok_testing
