#include "tools/build_hwr_models/latin_model_builder.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "engine/core/hwr_code_mapping.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_hwr_models/feature_samples.h"
#include "tools/build_hwr_models/ink_samples.h"
#include "tools/build_hwr_models/radical_training.h"
#include "tools/build_letter_templates/letter_ink.h"

namespace build_hwr_models {
namespace {

// Cost bytes: round(scale x -ln P(code | class)); the Chinese blocks use the
// same scale.
constexpr double kTableScale = 24;
// Variants of the letter templates' seeds that the Latin samples start at.
constexpr int kSeedVariantBase = 1 << 16;

// Table [block][code][class] of one kind of block, from the samples' codes.
std::vector<uint8_t> CostTable(const std::vector<Sample>& samples, int first_block, int blocks) {
  const int classes = vok::kLatinClasses;
  std::vector<double> counts(static_cast<std::size_t>(blocks) * vok::kHwrCodes * classes, 0);
  std::vector<double> totals(classes, 0);
  for (const Sample& s : samples) {
    totals[s.class_index] += 1;
    for (int b = 0; b < blocks; ++b)
      counts[(b * vok::kHwrCodes + s.codes[first_block + b]) * classes + s.class_index] += 1;
  }
  std::vector<uint8_t> table(counts.size(), 255);
  for (int b = 0; b < blocks; ++b) {
    for (int c = 0; c < vok::kHwrCodes; ++c) {
      for (int k = 0; k < classes; ++k) {
        if (totals[k] == 0) continue;
        const std::size_t at = (b * vok::kHwrCodes + c) * classes + k;
        const double p = (counts[at] + 0.2) / (totals[k] + 0.2 * vok::kHwrCodes);
        table[at] = static_cast<uint8_t>(std::clamp(std::lround(-kTableScale * std::log(p)), 0L, 255L));
      }
    }
  }
  return table;
}

}  // namespace

std::uint64_t LatinSeed(std::size_t letter, std::size_t font, int variant) {
  return letter_templates::TemplateSeed(letter, font, static_cast<std::size_t>(kSeedVariantBase + variant));
}

vok::HwrLatinModel BuildLatinModel(const std::vector<letter_templates::FontGlyphs>& fonts,
                                   const HwrBuildOptions& options) {
  struct Source {
    std::size_t letter;
    std::size_t font;
    int variant;
  };
  std::vector<Source> sources;
  std::vector<int> strokes(vok::kLatinClasses, 0);
  for (std::size_t letter = 0; letter < letter_templates::kLetterClasses.size(); ++letter) {
    for (std::size_t font = 0; font < fonts.size(); ++font) {
      const auto glyph = fonts[font].find(letter_templates::kLetterClasses[letter]);
      if (glyph == fonts[font].end()) continue;
      const int k = vok::LatinIndex(static_cast<uint8_t>(letter_templates::kLetterClasses[letter]));
      const int count = static_cast<int>(glyph->second.size());
      if (strokes[k] == 0 || count < strokes[k]) strokes[k] = count;
      for (int v = 0; v < kLatinVariants; ++v) sources.push_back({letter, font, v});
    }
  }
  std::vector<Sample> samples(sources.size());
  build_dictionaries::ParallelFor(sources.size(), options.jobs, [&](std::size_t i) {
    const Source& s = sources[i];
    const char code = letter_templates::kLetterClasses[s.letter];
    const auto ink = letter_templates::GlyphInk(fonts[s.font].at(code), letter_templates::TemplateInkStyle(),
                                                LatinSeed(s.letter, s.font, s.variant));
    const AnalysedInk analysed =
        AnalyseInk(ToEngineInk(ink), vok::LatinIndex(static_cast<uint8_t>(code)), true);
    if (!analysed.valid) return;
    samples[i].class_index = analysed.class_index;
    samples[i].features = analysed.features;
    samples[i].steps = analysed.steps;
    samples[i].stroke_starts = analysed.stroke_starts;
  });
  samples.erase(
      std::remove_if(samples.begin(), samples.end(), [](const Sample& s) { return s.class_index < 0; }),
      samples.end());
  std::cerr << "  " << samples.size() << " letter samples analysed\n";

  vok::HwrLatinModel model;
  TrainBlockCodeBooks(samples, &model.ft_code_book, &model.image_code_book, options.jobs);
  model.ft_tables = CostTable(samples, 0, vok::kHwrFtLocations);
  model.image_tables = CostTable(samples, vok::kHwrFtLocations, vok::kHwrImageBlocks);
  model.print_vectors = StepCodeBook(samples, false, options.jobs);

  // One radical per class: the whole letter.
  std::vector<StepSample> steps;
  for (const Sample& s : samples) {
    StepSample step{s.class_index, std::vector<uint8_t>(s.steps.size() / 2), s.stroke_starts};
    vok::QuantiseInt32(s.steps.data(), static_cast<int>(step.codes.size()), 2, model.print_vectors.data(),
                       vok::kHwrCodes, step.codes.data());
    steps.push_back(std::move(step));
  }
  std::vector<std::vector<int16_t>> chains(vok::kLatinClasses);
  for (int k = 0; k < vok::kLatinClasses; ++k) chains[k] = {static_cast<int16_t>(k)};
  const auto states = UnitStates(vok::kLatinClasses, chains, steps);
  model.print_models =
      TrainRadicalModels(states, chains, steps, nullptr, options.iterations + 1, options.jobs);
  model.dictionary.assign(vok::kLatinClasses, {});
  for (int k = 0; k < vok::kLatinClasses; ++k) {
    auto& record = model.dictionary[k];
    record.strokes = static_cast<uint8_t>(std::clamp(strokes[k], 1, 255));
    record.model_count = 1;
    record.states[0] = static_cast<uint8_t>(states[k]);
    record.radical_counts[0] = 1;
    record.radicals[0] = static_cast<int16_t>(k);
  }
  std::cerr << "  Latin tables and radical models done\n";
  return model;
}

}  // namespace build_hwr_models
