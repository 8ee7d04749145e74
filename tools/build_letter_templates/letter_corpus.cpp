#include "tools/build_letter_templates/letter_corpus.h"

#include <iostream>

#include "shapes/letters/letter_features.h"
#include "shapes/letters/letter_raster.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_letter_templates/letter_ink.h"

namespace letter_templates {

std::optional<std::vector<FontGlyphs>> LoadLetterFonts(const std::string& directory) {
  std::vector<FontGlyphs> fonts;
  for (const char* file : kFontFiles) {
    const std::string path = directory + "/" + file;
    std::optional<FontGlyphs> glyphs = ReadSvgFontGlyphs(path, kLetterClasses);
    if (!glyphs || glyphs->empty()) {
      std::cerr << "cannot read the SVG font " << path << "\n";
      return std::nullopt;
    }
    fonts.push_back(std::move(*glyphs));
  }
  return fonts;
}

std::vector<InkSample> WriteLetters(const std::vector<FontGlyphs>& fonts,
                                    const build_dictionaries::InkStyle& style, const SeedFunction& seed,
                                    int variants) {
  std::vector<InkSample> samples;
  for (std::size_t letter = 0; letter < kLetterClasses.size(); ++letter) {
    const char code = kLetterClasses[letter];
    for (std::size_t font = 0; font < fonts.size(); ++font) {
      const auto glyph = fonts[font].find(code);
      if (glyph == fonts[font].end()) continue;
      for (int variant = 0; variant < variants; ++variant) {
        samples.push_back(
            {code, GlyphInk(glyph->second, style, seed(letter, font, static_cast<std::size_t>(variant)))});
      }
    }
  }
  return samples;
}

std::vector<LetterSample> SampleFeatures(const std::vector<InkSample>& samples, unsigned jobs) {
  std::vector<std::optional<LetterSample>> computed(samples.size());
  build_dictionaries::ParallelFor(samples.size(), jobs, [&](std::size_t i) {
    const std::optional<wrendle::StrokeListView> view = wrendle::StrokeListView::Parse(samples[i].ink);
    if (!view) return;
    const std::optional<letters::LetterRaster> raster = letters::RasterizeLetter(*view);
    if (!raster) return;
    const std::optional<letters::LetterFeatures> features = letters::ComputeLetterFeatures(*raster);
    if (features) computed[i] = LetterSample{samples[i].code, *features};
  });
  std::vector<LetterSample> result;
  for (auto& sample : computed) {
    if (sample) result.push_back(*sample);
  }
  return result;
}

}  // namespace letter_templates
