#include "tools/build_hwr_models/punctuation_templates.h"

#include <string_view>

#include "engine/core/hwr_gesture_model.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_letter_templates/svg_font_glyphs.h"

namespace build_hwr_models {

std::vector<uint8_t> PunctuationFile(const std::string& font_folder, kernel::CodePage code_page) {
  std::string glyphs;
  for (const PunctuationMark& mark : kPunctuationMarks) glyphs += mark.glyph;
  const build_dictionaries::CodePageMap map(code_page);
  vok::CHWRGestureRecognizer recognizer;
  for (const char* file : letter_templates::kFontFiles) {
    const auto font = letter_templates::ReadSvgFontGlyphs(font_folder + "/" + file, glyphs);
    if (!font) return {};
    for (const PunctuationMark& mark : kPunctuationMarks) {
      const auto glyph = font->find(mark.glyph);
      const auto code = map.CodeOf(mark.full_width);
      if (glyph == font->end() || !code || glyph->second.empty() || glyph->second.size() > 3) continue;
      std::vector<vok::InkPoint> points;
      std::vector<int> counts;
      for (const auto& stroke : glyph->second) {
        // Font units with y upwards, as ink with y downwards.
        for (const auto& p : stroke)
          points.push_back({static_cast<int16_t>(-p.y), static_cast<int16_t>(p.x)});
        counts.push_back(static_cast<int>(stroke.size()));
      }
      const char name[3] = {static_cast<char>(*code & 0xFF), static_cast<char>(*code >> 8), '\0'};
      recognizer.Add(name, static_cast<int>(counts.size()), counts.data(), points.data());
    }
  }
  return recognizer.Serialise();
}

}  // namespace build_hwr_models
