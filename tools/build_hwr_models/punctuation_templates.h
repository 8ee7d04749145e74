// The punctuation template file ("HWRPUN"): the centre lines of the
// punctuation marks of the single-stroke SVG fonts, each named by its
// full-width form in the code page of the dialect, which is the text that a
// recognized mark stands for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/code_page.h"

namespace build_hwr_models {

// The marks and their full-width forms (UTF-8).
struct PunctuationMark {
  char glyph;
  const char* full_width;
};
inline constexpr PunctuationMark kPunctuationMarks[] = {
    {',', "\xEF\xBC\x8C"}, {'.', "\xE3\x80\x82"}, {'?', "\xEF\xBC\x9F"}, {'!', "\xEF\xBC\x81"},
    {':', "\xEF\xBC\x9A"}, {';', "\xEF\xBC\x9B"}, {'(', "\xEF\xBC\x88"}, {')', "\xEF\xBC\x89"},
};

// Templates of every mark of at most three strokes in the fonts of the
// folder; empty when a font cannot be read.
std::vector<uint8_t> PunctuationFile(const std::string& font_folder, kernel::CodePage code_page);

}  // namespace build_hwr_models
