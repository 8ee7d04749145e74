// Builds the Latin handwriting model ("HWRRom") from the centre lines of the
// letters and digits of the single-stroke SVG fonts: samples written under
// the letter generator's variation, code books by k-means, per block and
// code a cost byte for each class, one radical model per class trained on
// the pen steps, and each class's stroke count from its glyph.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/hwr_model.h"
#include "tools/build_hwr_models/model_builder.h"
#include "tools/build_letter_templates/letter_corpus.h"

namespace build_hwr_models {

// Seeds of the Latin samples: beside the letter templates' own, below the
// benchmark's.
std::uint64_t LatinSeed(std::size_t letter, std::size_t font, int variant);

// Samples per letter and font.
inline constexpr int kLatinVariants = 150;

// kLatinVariants samples per letter and font; the options give the
// re-estimation passes and the jobs.
vok::HwrLatinModel BuildLatinModel(const std::vector<letter_templates::FontGlyphs>& fonts,
                                   const HwrBuildOptions& options);

}  // namespace build_hwr_models
