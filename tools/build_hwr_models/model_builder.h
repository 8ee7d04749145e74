// Builds a Chinese handwriting model from the stroke data: synthetic print
// and cursive samples per class, code books by k-means, probability blocks
// from the classes' code histograms, radical models trained on the pen
// steps, and the character table and bigrams from word counts.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/hwr_model.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_dictionaries/stroke_data.h"
#include "tools/build_hwr_models/language_statistics.h"

namespace build_hwr_models {

struct HwrBuildOptions {
  int variants = 4;  // print samples per class, and as many cursive ones
  int iterations = 2;
  unsigned jobs = 1;
};

// Seeds of the samples: variants 16 and up of the dictionary seeds, apart
// from the base dictionaries' and below the benchmark's.
std::uint64_t PrintSeed(std::size_t character, int variant);
std::uint64_t CursiveSeed(std::size_t character, int variant);

struct ChineseModelSource {
  vok::HwrModelTriple triple;
  kernel::CodePage code_page;
  std::function<int(std::uint16_t)> class_of_code;  // engine code (lead byte high)
  const LanguageStatistics* language = nullptr;     // may be null
};

vok::HwrCharacterModel BuildChineseModel(const std::vector<build_dictionaries::StrokeCharacter>& characters,
                                         const ChineseModelSource& source, const HwrBuildOptions& options);

}  // namespace build_hwr_models
