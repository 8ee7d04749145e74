// Labelled letter samples: the glyphs of both fonts written out as ink, and
// their feature vectors through the recognizer's own feature code.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/stroke_list.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_letter_templates/svg_font_glyphs.h"
#include "tools/build_letter_templates/template_builder.h"

namespace letter_templates {

using FontGlyphs = std::map<char, GlyphStrokes>;

// The glyphs of kLetterClasses in each of kFontFiles found in `directory`;
// nullopt (with a message on standard error) when a font cannot be read.
std::optional<std::vector<FontGlyphs>> LoadLetterFonts(const std::string& directory);

struct InkSample {
  char code = 0;
  std::vector<wrendle::StrokeEntry> ink;
};

using SeedFunction = std::function<std::uint64_t(std::size_t letter, std::size_t font, std::size_t variant)>;

// `variants` samples of every letter in every font that has it.
std::vector<InkSample> WriteLetters(const std::vector<FontGlyphs>& fonts,
                                    const build_dictionaries::InkStyle& style, const SeedFunction& seed,
                                    int variants);

// Feature vectors of the samples that make a letter raster at all.
std::vector<LetterSample> SampleFeatures(const std::vector<InkSample>& samples, unsigned jobs);

}  // namespace letter_templates
