// Glyphs of a single-stroke SVG font: each path is the centre line of the
// pen's travel, "M" starting a stroke, "L" and "C" continuing it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/build_dictionaries/stroke_data.h"

namespace letter_templates {

// Strokes of one glyph in font units, y upwards from the baseline.
using GlyphStrokes = std::vector<build_dictionaries::Median>;

// The strokes of a path's "d" text; cubic curves are flattened. Nullopt for
// a command other than M, L or C, a missing number or no stroke at all.
std::optional<GlyphStrokes> ParseGlyphPath(std::string_view d);

// The glyphs of the font file whose "unicode" attribute is one of
// `characters`, by character; nullopt when the file is not an SVG font.
std::optional<std::map<char, GlyphStrokes>> ReadSvgFontGlyphs(const std::string& path,
                                                              std::string_view characters);

// The 62 classes of the recognizer: digits, capitals, small letters.
inline constexpr std::string_view kLetterClasses =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The two fonts of the inkscape package that the templates are built from.
inline constexpr const char* kFontFiles[] = {"EMSReadability.svg", "EMSTech.svg"};

}  // namespace letter_templates
