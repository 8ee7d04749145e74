// Recognition of one letter or digit against a template table.
#pragma once

#include <cstdint>
#include <vector>

#include "common/stroke_list.h"
#include "shapes/letters/template_table.h"

namespace letters {

inline constexpr int kNotConfident = -1;

struct LetterResult {
  // Number of codes (1..10), kNotConfident, or 0 when the strokes are not a
  // letter at all (too many points, a dot, no features).
  int status = 0;
  std::vector<std::uint8_t> codes;  // distinct codes of group 0, best first
  int score = 0;
};

LetterResult RecognizeLetter(const TemplateTable& table, const wrendle::StrokeListView& strokes);

}  // namespace letters
