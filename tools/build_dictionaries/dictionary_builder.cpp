#include "tools/build_dictionaries/dictionary_builder.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>
#include <thread>

#include "kernel/cell.h"
#include "kernel/cell_analysis.h"
#include "kernel/cluster_file.h"
#include "kernel/feature_file.h"
#include "kernel/segment_extractor.h"
#include "kernel/segment_list_file.h"
#include "tools/build_dictionaries/ink_synthesis.h"

namespace build_dictionaries {
namespace {

constexpr std::array<std::int32_t, 5> kBounds = {0, 80, 144, 184, 224};
constexpr std::int32_t kFirstStageCapacity = 5000;
constexpr std::int32_t kMergedClusters = 15;
constexpr std::int32_t kTolerance = 5;
constexpr std::size_t kNearestClustersPerSample = 2;

struct AnalysedSample {
  bool usable = false;
  std::size_t character = 0;
  std::uint16_t code = 0;
  kernel::RawFeatures raw{};
  kernel::SegmentList segments;
  std::vector<std::uint8_t> fine;
  std::vector<std::uint8_t> coarse;
};

kernel::DictionaryLayout UnitLayout(kernel::CodePage code_page) {
  kernel::DictionaryLayout layout;
  layout.code_page = code_page;
  layout.bounds = kBounds;
  layout.fine_divisors.assign(kernel::kFineFeatureCount, 1);
  layout.coarse_divisors.assign(kernel::kCoarseFeatureCount, 1);
  return layout;
}

void Analyse(AnalysedSample& sample, const std::vector<Median>& medians, const InkStyle& style,
             std::uint64_t seed, const kernel::DictionaryLayout& layout) {
  const auto ink = SynthesizeInk(medians, style, seed);
  const auto view = wrendle::StrokeListView::Parse(ink);
  if (!view) return;
  const std::optional<kernel::Cell> cell = kernel::TakeCell(*view);
  if (!cell) return;
  const auto quick =
      kernel::ExtractSegments(kernel::SegmentMode::kQuick, cell->points, kernel::kKernelSegmentLimit);
  const kernel::CellAnalysis analysis =
      kernel::AnalyzeCell(*cell, quick.segments, layout, kernel::kKernelSegmentLimit);
  sample.raw = analysis.raw;
  sample.segments = analysis.segments;
  sample.usable = true;
}

// Divisors that bring all but the top percent of each value into a byte.
std::vector<std::uint16_t> Divisors(const std::vector<AnalysedSample>& samples) {
  std::vector<std::uint16_t> divisors(kernel::kFineFeatureCount, 1);
  std::vector<std::int32_t> values;
  for (std::size_t j = 0; j < kernel::kFineFeatureCount; ++j) {
    values.clear();
    for (const AnalysedSample& s : samples) values.push_back(s.raw[j]);
    if (values.empty()) continue;
    const std::size_t at = values.size() * 99 / 100;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    const std::int64_t high = std::max<std::int32_t>(values[at], 1);
    divisors[j] = static_cast<std::uint16_t>(std::clamp<std::int64_t>((high + 254) / 255, 1, 65535));
  }
  return divisors;
}

std::int64_t Distance(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  std::int64_t sum = 0;
  for (std::size_t j = 0; j < a.size(); ++j) {
    const std::int64_t d = static_cast<std::int32_t>(a[j]) - b[j];
    sum += d * d;
  }
  return sum;
}

std::vector<std::size_t> Nearest(const std::vector<std::vector<std::uint8_t>>& centroids,
                                 std::span<const std::uint8_t> vector, std::size_t count) {
  std::vector<std::pair<std::int64_t, std::size_t>> order;
  for (std::size_t k = 0; k < centroids.size(); ++k) order.push_back({Distance(centroids[k], vector), k});
  count = std::min(count, order.size());
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count), order.end());
  std::vector<std::size_t> nearest;
  for (std::size_t n = 0; n < count; ++n) nearest.push_back(order[n].second);
  return nearest;
}

std::vector<std::vector<std::uint8_t>> KMeans(const std::vector<AnalysedSample>& samples, std::size_t k_count,
                                              int iterations, unsigned jobs) {
  std::vector<std::vector<std::uint8_t>> centroids;
  for (std::size_t k = 0; k < k_count; ++k) centroids.push_back(samples[k * samples.size() / k_count].coarse);
  std::vector<std::size_t> assignment(samples.size());
  for (int iteration = 0; iteration < iterations; ++iteration) {
    ParallelFor(samples.size(), jobs,
                [&](std::size_t i) { assignment[i] = Nearest(centroids, samples[i].coarse, 1)[0]; });
    std::vector<std::vector<std::int64_t>> sums(k_count,
                                                std::vector<std::int64_t>(kernel::kCoarseFeatureCount));
    std::vector<std::int64_t> counts(k_count);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      ++counts[assignment[i]];
      for (std::size_t j = 0; j < kernel::kCoarseFeatureCount; ++j)
        sums[assignment[i]][j] += samples[i].coarse[j];
    }
    for (std::size_t k = 0; k < k_count; ++k) {
      if (counts[k] == 0) continue;
      for (std::size_t j = 0; j < kernel::kCoarseFeatureCount; ++j) {
        centroids[k][j] = static_cast<std::uint8_t>((sums[k][j] + counts[k] / 2) / counts[k]);
      }
    }
  }
  return centroids;
}

}  // namespace

void ParallelFor(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < std::max(1u, jobs); ++t) {
    threads.emplace_back([&] {
      for (std::size_t i = next++; i < count; i = next++) work(i);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

BaseDictionary BuildBaseDictionary(kernel::CodePage code_page, const std::vector<StrokeCharacter>& characters,
                                   const CodePageMap& map, const BuildOptions& options) {
  const auto variants = static_cast<std::size_t>(options.variants);
  std::vector<AnalysedSample> all(characters.size() * variants);
  const kernel::DictionaryLayout unit = UnitLayout(code_page);
  // The conversion handles of the map are not shared between threads.
  std::vector<std::optional<std::uint16_t>> codes;
  for (const StrokeCharacter& character : characters) codes.push_back(map.CodeOf(character.utf8));
  ParallelFor(characters.size(), options.jobs, [&](std::size_t c) {
    const std::optional<std::uint16_t> code = codes[c];
    if (!code) return;
    for (std::size_t v = 0; v < variants; ++v) {
      AnalysedSample& sample = all[c * variants + v];
      sample.character = c;
      sample.code = *code;
      Analyse(sample, characters[c].medians, DictionaryStyle(v), DictionarySeed(c, v), unit);
    }
  });
  std::vector<AnalysedSample> samples;
  for (AnalysedSample& sample : all) {
    if (sample.usable) samples.push_back(std::move(sample));
  }
  BaseDictionary dictionary;
  if (samples.empty()) return dictionary;

  const std::vector<std::uint16_t> fine_divisors = Divisors(samples);
  const std::vector<std::uint16_t> coarse_divisors(fine_divisors.begin(),
                                                   fine_divisors.begin() + kernel::kCoarseFeatureCount);
  for (AnalysedSample& s : samples) {
    s.fine.resize(kernel::kFineFeatureCount);
    s.coarse.resize(kernel::kCoarseFeatureCount);
    kernel::DivideFeatures(s.raw, fine_divisors, s.fine);
    kernel::DivideFeatures(std::span<const std::int32_t>(s.raw).first(kernel::kCoarseFeatureCount),
                           coarse_divisors, s.coarse);
  }

  const std::size_t k_count = std::clamp<std::size_t>(options.clusters, 1, samples.size());
  const auto centroids = KMeans(samples, k_count, options.iterations, options.jobs);
  // Every record of a character lies in the clusters nearest to each of the
  // character's samples.
  std::vector<std::vector<std::size_t>> near(samples.size());
  ParallelFor(samples.size(), options.jobs, [&](std::size_t i) {
    near[i] = Nearest(centroids, samples[i].coarse, kNearestClustersPerSample);
  });
  std::vector<kernel::ClusterDefinition> clusters(k_count);
  for (std::size_t k = 0; k < k_count; ++k) clusters[k].centroid = centroids[k];
  for (std::size_t first = 0; first < samples.size();) {
    std::size_t end = first;
    while (end < samples.size() && samples[end].character == samples[first].character) ++end;
    std::vector<std::size_t> reach;
    for (std::size_t i = first; i < end; ++i) reach.insert(reach.end(), near[i].begin(), near[i].end());
    std::sort(reach.begin(), reach.end());
    reach.erase(std::unique(reach.begin(), reach.end()), reach.end());
    for (const std::size_t k : reach) {
      for (std::size_t i = first; i < end; ++i) clusters[k].members.push_back(static_cast<std::int32_t>(i));
    }
    first = end;
  }

  std::vector<kernel::FeatureRecord> records;
  std::vector<kernel::SegmentList> lists;
  for (const AnalysedSample& s : samples) {
    records.push_back({s.fine, s.code});
    lists.push_back(s.segments);
  }
  dictionary.features = kernel::WriteFeatureFile(code_page, kBounds, fine_divisors, records);
  dictionary.segment_lists = kernel::WriteSegmentListFile(code_page, 1, kTolerance, 1, lists);
  dictionary.clusters =
      kernel::WriteClusterFile(code_page, coarse_divisors, static_cast<std::int32_t>(samples.size()),
                               kFirstStageCapacity, kMergedClusters, clusters);
  dictionary.records = samples.size();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (i == 0 || samples[i].character != samples[i - 1].character) ++dictionary.characters;
  }
  return dictionary;
}

}  // namespace build_dictionaries
