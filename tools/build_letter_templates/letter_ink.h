// Pen-like ink of font glyphs through the project's ink synthesis, and the
// seeds that keep the generator's samples apart from the benchmark's.
#pragma once

#include <cstdint>
#include <vector>

#include "common/stroke_list.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_letter_templates/svg_font_glyphs.h"

namespace letter_templates {

// The generator's variation: size, slant, wobble and uneven speed; strokes
// are never joined, so glyphs of several strokes stay several strokes.
build_dictionaries::InkStyle TemplateInkStyle();

// The benchmark's: wider in every respect, with rotation and strokes that
// are sometimes joined as in quick writing; the generator never uses it.
build_dictionaries::InkStyle HeldOutInkStyle();

// Seeds of the generator are below build_dictionaries::kBenchmarkSeedBase,
// the benchmark's above it.
constexpr std::uint64_t TemplateSeed(std::size_t letter, std::size_t font, std::size_t variant) {
  return ((static_cast<std::uint64_t>(letter) * 4 + font) << 20) + variant;
}
constexpr std::uint64_t HeldOutSeed(std::size_t letter, std::size_t font, std::size_t variant) {
  return build_dictionaries::kBenchmarkSeedBase + TemplateSeed(letter, font, variant);
}

std::vector<wrendle::StrokeEntry> GlyphInk(const GlyphStrokes& glyph,
                                           const build_dictionaries::InkStyle& style, std::uint64_t seed);

}  // namespace letter_templates
