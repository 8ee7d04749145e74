#include "tools/build_letter_templates/svg_font_glyphs.h"

#include <cctype>
#include <charconv>
#include <pugixml.hpp>

namespace letter_templates {
namespace {

// Points of each cubic curve after flattening.
constexpr int kCurveSteps = 8;

class PathTokens {
 public:
  explicit PathTokens(std::string_view text) : text_(text) {}

  void SkipSeparators() {
    while (position_ < text_.size() &&
           (std::isspace(static_cast<unsigned char>(text_[position_])) || text_[position_] == ',')) {
      ++position_;
    }
  }
  bool AtEnd() {
    SkipSeparators();
    return position_ == text_.size();
  }
  // The next command letter, or 0 when a number follows (an implicit
  // repetition of the previous command).
  char Command() {
    SkipSeparators();
    const char c = text_[position_];
    if (std::isalpha(static_cast<unsigned char>(c))) {
      ++position_;
      return c;
    }
    return 0;
  }
  std::optional<double> Number() {
    SkipSeparators();
    double value = 0;
    const auto [end, error] = std::from_chars(text_.data() + position_, text_.data() + text_.size(), value);
    if (error != std::errc()) return std::nullopt;
    position_ = static_cast<std::size_t>(end - text_.data());
    return value;
  }
  std::optional<build_dictionaries::MedianPoint> Point() {
    const std::optional<double> x = Number();
    const std::optional<double> y = x ? Number() : std::nullopt;
    if (!y) return std::nullopt;
    return build_dictionaries::MedianPoint{*x, *y};
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace

std::optional<GlyphStrokes> ParseGlyphPath(std::string_view d) {
  PathTokens tokens(d);
  GlyphStrokes strokes;
  char command = 0;
  while (!tokens.AtEnd()) {
    const char next = tokens.Command();
    if (next != 0) command = next;
    if (command == 'M') {
      const auto p = tokens.Point();
      if (!p) return std::nullopt;
      strokes.push_back({*p});
      command = 'L';  // numbers after a move continue the stroke
    } else if (command == 'L') {
      const auto p = tokens.Point();
      if (!p || strokes.empty()) return std::nullopt;
      strokes.back().push_back(*p);
    } else if (command == 'C') {
      const auto c1 = tokens.Point();
      const auto c2 = c1 ? tokens.Point() : std::nullopt;
      const auto end = c2 ? tokens.Point() : std::nullopt;
      if (!end || strokes.empty()) return std::nullopt;
      const build_dictionaries::MedianPoint start = strokes.back().back();
      for (int k = 1; k <= kCurveSteps; ++k) {
        const double t = static_cast<double>(k) / kCurveSteps, u = 1 - t;
        strokes.back().push_back(
            {u * u * u * start.x + 3 * u * u * t * c1->x + 3 * u * t * t * c2->x + t * t * t * end->x,
             u * u * u * start.y + 3 * u * u * t * c1->y + 3 * u * t * t * c2->y + t * t * t * end->y});
      }
    } else {
      return std::nullopt;
    }
  }
  if (strokes.empty()) return std::nullopt;
  return strokes;
}

std::optional<std::map<char, GlyphStrokes>> ReadSvgFontGlyphs(const std::string& path,
                                                              std::string_view characters) {
  pugi::xml_document document;
  if (!document.load_file(path.c_str())) return std::nullopt;
  const pugi::xml_node font = document.child("svg").child("defs").child("font");
  if (!font) return std::nullopt;
  std::map<char, GlyphStrokes> glyphs;
  for (const pugi::xml_node glyph : font.children("glyph")) {
    const std::string_view unicode = glyph.attribute("unicode").as_string();
    if (unicode.size() != 1 || characters.find(unicode[0]) == std::string_view::npos) continue;
    std::optional<GlyphStrokes> strokes = ParseGlyphPath(glyph.attribute("d").as_string());
    if (strokes) glyphs[unicode[0]] = std::move(*strokes);
  }
  return glyphs;
}

}  // namespace letter_templates
