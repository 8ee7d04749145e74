#include "tools/build_hwr_models/model_builder.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <optional>

#include "engine/core/hwr_ink_features.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_hwr_models/feature_samples.h"
#include "tools/build_hwr_models/gesture_shapes.h"
#include "tools/build_hwr_models/ink_samples.h"
#include "tools/build_hwr_models/kmeans.h"
#include "tools/build_hwr_models/radical_training.h"

namespace build_hwr_models {
namespace {

constexpr double kBlockScale = 24;
constexpr int kNoDataPdf = 255;

struct ClassSource {
  int class_index;
  std::size_t character;  // position in the stroke data
};

vok::ProbabilityBlock BuildBlock(const std::vector<Sample>& samples, int block, int classes, unsigned jobs) {
  std::map<int, std::vector<double>> counts;
  for (const auto& s : samples) {
    auto& c = counts[s.class_index];
    c.resize(vok::kHwrCodes, 0);
    c[s.codes[block]] += 1;
  }
  std::vector<int> class_order;
  std::vector<double> distributions;  // smoothed P(code | class), one row per class
  std::vector<double> hellinger;
  for (const auto& [k, c] : counts) {
    double total = 0;
    for (double n : c) total += n;
    class_order.push_back(k);
    for (double n : c) {
      const double p = (n + 0.2) / (total + 0.2 * vok::kHwrCodes);
      distributions.push_back(p);
      hellinger.push_back(std::sqrt(p));
    }
  }
  const std::size_t pdfs = std::min<std::size_t>(kNoDataPdf, class_order.size());
  std::vector<std::size_t> assignment;
  KMeansReal(hellinger, vok::kHwrCodes, pdfs, 10, jobs, &assignment);
  std::vector<double> mean(pdfs * vok::kHwrCodes, 0);
  std::vector<double> members(pdfs, 0);
  for (std::size_t i = 0; i < class_order.size(); ++i) {
    members[assignment[i]] += 1;
    for (int c = 0; c < vok::kHwrCodes; ++c)
      mean[assignment[i] * vok::kHwrCodes + c] += distributions[i * vok::kHwrCodes + c];
  }
  vok::ProbabilityBlock result;
  result.class_pdfs.assign(classes, kNoDataPdf);
  result.rows.assign(vok::kHwrCodes * vok::kHwrPdfs, 255);
  for (std::size_t i = 0; i < class_order.size(); ++i)
    result.class_pdfs[class_order[i]] = static_cast<uint8_t>(assignment[i]);
  for (std::size_t pdf = 0; pdf < pdfs; ++pdf) {
    for (int c = 0; c < vok::kHwrCodes; ++c) {
      const double p =
          members[pdf] > 0 ? mean[pdf * vok::kHwrCodes + c] / members[pdf] : 1.0 / vok::kHwrCodes;
      result.rows[c * vok::kHwrPdfs + pdf] =
          static_cast<uint8_t>(std::clamp(std::lround(-kBlockScale * std::log(p)), 0L, 254L));
    }
  }
  return result;
}

void FillLanguageTables(const std::vector<ClassSource>& sources,
                        const std::vector<build_dictionaries::StrokeCharacter>& characters,
                        const LanguageStatistics* language, vok::HwrCharacterModel& model) {
  const int classes = model.triple.characters;
  model.character_table.assign(classes, 255);
  std::map<std::string, int> class_of_text;
  double most = 1;
  if (language) {
    for (const auto& [text, count] : language->characters) most = std::max(most, count);
  }
  for (const auto& source : sources) {
    const std::string& text = characters[source.character].utf8;
    class_of_text[text] = source.class_index;
    double count = 0;
    if (language) {
      const auto found = language->characters.find(text);
      if (found != language->characters.end()) count = found->second;
    }
    // 0 for the most frequent character, up to 20 for rare or unseen ones.
    const double cost = count > 0 ? std::log(most / count) : 20;
    model.character_table[source.class_index] = static_cast<uint8_t>(std::clamp(std::lround(cost), 0L, 20L));
  }

  // Score of a pair: -8 ln P(next | previous) over the pairs of the classes.
  std::map<int, double> following;
  if (language) {
    for (const auto& [pair, count] : language->bigrams) {
      const auto a = class_of_text.find(pair.first);
      if (a != class_of_text.end() && class_of_text.count(pair.second)) following[a->second] += count;
    }
  }
  std::vector<std::pair<double, int32_t>> bigrams;  // (count, key)
  std::map<int32_t, double> scores;
  if (language) {
    for (const auto& [pair, count] : language->bigrams) {
      const auto a = class_of_text.find(pair.first);
      const auto b = class_of_text.find(pair.second);
      if (a == class_of_text.end() || b == class_of_text.end() || count <= 0) continue;
      const int32_t key = a->second * 100000 + b->second;
      bigrams.push_back({count, key});
      scores[key] = -8 * std::log(count / following[a->second]);
    }
  }
  std::sort(bigrams.begin(), bigrams.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
  if (bigrams.size() > vok::kHwrMaxBigrams) bigrams.resize(vok::kHwrMaxBigrams);
  std::vector<int32_t> keys;
  for (const auto& b : bigrams) keys.push_back(b.second);
  std::sort(keys.begin(), keys.end());
  model.bigram_keys.assign(vok::kHwrMaxBigrams, INT32_MAX);
  model.bigram_scores.assign(vok::kHwrMaxBigrams, 255);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    model.bigram_keys[i] = keys[i];
    model.bigram_scores[i] = static_cast<uint8_t>(std::clamp(std::lround(scores[keys[i]]), 0L, 255L));
  }
}

}  // namespace

std::uint64_t PrintSeed(std::size_t character, int variant) {
  return build_dictionaries::DictionarySeed(character, 16 + static_cast<std::size_t>(variant));
}
std::uint64_t CursiveSeed(std::size_t character, int variant) {
  return build_dictionaries::DictionarySeed(character, 32 + static_cast<std::size_t>(variant));
}

vok::HwrCharacterModel BuildChineseModel(const std::vector<build_dictionaries::StrokeCharacter>& characters,
                                         const ChineseModelSource& source, const HwrBuildOptions& options) {
  const int classes = source.triple.characters;
  const int radicals = source.triple.radicals;
  std::vector<ClassSource> sources;
  {
    const build_dictionaries::CodePageMap map(source.code_page);
    std::vector<bool> taken(classes, false);
    for (std::size_t c = 0; c < characters.size(); ++c) {
      const auto code = map.CodeOf(characters[c].utf8);
      if (!code || characters[c].medians.empty()) continue;
      const auto engine_code = static_cast<uint16_t>((*code & 0xFF) << 8 | *code >> 8);
      const int k = source.class_of_code(engine_code);
      if (k < 0 || k >= classes || taken[k]) continue;
      taken[k] = true;
      sources.push_back({k, c});
    }
  }
  std::cerr << "  " << sources.size() << " classes with stroke data\n";

  const std::size_t per_class = 2 * static_cast<std::size_t>(options.variants);
  std::vector<Sample> samples(sources.size() * per_class);
  build_dictionaries::ParallelFor(samples.size(), options.jobs, [&](std::size_t i) {
    const ClassSource& s = sources[i / per_class];
    const int v = static_cast<int>(i % per_class);
    const bool cursive = v >= options.variants;
    const auto& medians = characters[s.character].medians;
    const auto ink = build_dictionaries::SynthesizeInk(
        medians, cursive ? CursiveStyle() : build_dictionaries::InkStyle{},
        cursive ? CursiveSeed(s.character, v - options.variants) : PrintSeed(s.character, v));
    const AnalysedInk analysed = AnalyseInk(ToEngineInk(ink), s.class_index);
    Sample& sample = samples[i];
    if (!analysed.valid) return;
    sample.class_index = s.class_index;
    sample.cursive = cursive;
    sample.features = analysed.features;
    sample.steps = analysed.steps;
    sample.stroke_starts = analysed.stroke_starts;
  });
  samples.erase(
      std::remove_if(samples.begin(), samples.end(), [](const Sample& s) { return s.class_index < 0; }),
      samples.end());
  std::cerr << "  " << samples.size() << " samples analysed\n";

  vok::HwrCharacterModel model;
  model.triple = source.triple;
  const auto gestures = GestureSamples();
  std::copy(gestures.begin(), gestures.end(), model.gesture_samples.begin());
  TrainBlockCodeBooks(samples, &model.ft_code_book, &model.image_code_book, options.jobs);
  for (int b = 0; b < vok::kHwrBlocks; ++b)
    model.blocks.push_back(BuildBlock(samples, b, classes, options.jobs));
  std::cerr << "  code books and probability blocks done\n";

  model.print_vectors = StepCodeBook(samples, false, options.jobs);
  model.cursive_vectors = StepCodeBook(samples, true, options.jobs);
  std::vector<StepSample> print_steps;
  std::vector<StepSample> cursive_steps;
  for (const Sample& s : samples) {
    StepSample step{s.class_index, std::vector<uint8_t>(s.steps.size() / 2), s.stroke_starts};
    const auto& book = s.cursive ? model.cursive_vectors : model.print_vectors;
    vok::QuantiseInt32(s.steps.data(), static_cast<int>(step.codes.size()), 2, book.data(), vok::kHwrCodes,
                       step.codes.data());
    (s.cursive ? cursive_steps : print_steps).push_back(std::move(step));
  }
  samples.clear();
  samples.shrink_to_fit();

  std::vector<const build_dictionaries::StrokeCharacter*> with_data;
  for (const auto& s : sources) with_data.push_back(&characters[s.character]);
  const auto unit_chains = ClusterStrokeUnits(with_data, radicals, options.jobs);
  std::vector<std::vector<int16_t>> chains(classes, std::vector<int16_t>{0});
  for (std::size_t i = 0; i < sources.size(); ++i) chains[sources[i].class_index] = unit_chains[i];
  const auto states = UnitStates(radicals, chains, print_steps);
  LimitChains(chains, states);
  model.print_models =
      TrainRadicalModels(states, chains, print_steps, nullptr, options.iterations, options.jobs);
  model.cursive_models = TrainRadicalModels(states, chains, cursive_steps, &model.print_models,
                                            options.iterations, options.jobs);
  std::cerr << "  radical models trained\n";

  model.dictionary.assign(classes, {});
  std::vector<int> strokes(classes, 0);
  for (const auto& s : sources)
    strokes[s.class_index] = static_cast<int>(characters[s.character].medians.size());
  for (int k = 0; k < classes; ++k) {
    auto& record = model.dictionary[k];
    record.strokes = static_cast<uint8_t>(std::min(strokes[k], 255));
    record.model_count = 1;
    record.radical_counts[0] = static_cast<uint8_t>(chains[k].size());
    int total = 0;
    for (std::size_t r = 0; r < chains[k].size(); ++r) {
      record.radicals[r] = chains[k][r];
      total += states[chains[k][r]];
    }
    record.states[0] = static_cast<uint8_t>(total);
  }
  FillLanguageTables(sources, characters, source.language, model);
  return model;
}

}  // namespace build_hwr_models
