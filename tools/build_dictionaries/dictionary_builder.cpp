#include "tools/build_dictionaries/dictionary_builder.h"

#include <algorithm>
#include <atomic>
#include <iterator>
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
#include "tools/build_dictionaries/variant_groups.h"

namespace build_dictionaries {
namespace {

constexpr std::array<std::int32_t, 5> kBounds = {0, 80, 144, 184, 224};
constexpr std::int32_t kFirstStageCapacity = 5000;
constexpr std::int32_t kMergedClusters = 15;
constexpr std::int32_t kTolerance = 5;
constexpr std::size_t kNearestClustersPerSample = 1;

struct AnalysedSample {
  bool usable = false;
  std::size_t character = 0;
  std::uint16_t code = 0;
  std::size_t variant = 0;
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
std::vector<std::uint16_t> Divisors(const std::vector<AnalysedSample>& samples, unsigned jobs) {
  std::vector<std::uint16_t> divisors(kernel::kFineFeatureCount, 1);
  if (samples.empty()) return divisors;
  ParallelFor(kernel::kFineFeatureCount, jobs, [&](std::size_t j) {
    std::vector<std::int32_t> values;
    values.reserve(samples.size());
    for (const AnalysedSample& s : samples) values.push_back(s.raw[j]);
    const std::size_t at = values.size() * 99 / 100;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    const std::int64_t high = std::max<std::int32_t>(values[at], 1);
    divisors[j] = static_cast<std::uint16_t>(std::clamp<std::int64_t>((high + 254) / 255, 1, 65535));
  });
  return divisors;
}

// The kernel's cluster screening distance of a coarse vector.
std::int32_t ScreeningDistance(std::span<const std::uint8_t> centroid, std::span<const std::uint8_t> vector) {
  std::int32_t sum = 0;
  for (std::size_t j = 0; j < centroid.size(); ++j) {
    const std::int32_t half = (static_cast<std::int32_t>(centroid[j]) - vector[j]) >> 1;
    sum += half * half;
  }
  return sum / 128;
}

// The `count` clusters nearest to `vector`, nearest first, by `distance`.
template <typename Distance>
std::vector<std::size_t> Nearest(const std::vector<std::vector<std::uint8_t>>& centroids,
                                 std::span<const std::uint8_t> vector, std::size_t count, Distance distance) {
  std::vector<std::pair<std::int64_t, std::size_t>> order;
  order.reserve(centroids.size());
  for (std::size_t k = 0; k < centroids.size(); ++k) order.push_back({distance(centroids[k], vector), k});
  count = std::min(count, order.size());
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count), order.end());
  std::vector<std::size_t> nearest;
  for (std::size_t n = 0; n < count; ++n) nearest.push_back(order[n].second);
  return nearest;
}

std::vector<std::vector<std::uint8_t>> KMeans(const std::vector<const AnalysedSample*>& samples,
                                              std::size_t k_count, int iterations, unsigned jobs) {
  std::vector<std::vector<std::uint8_t>> centroids;
  for (std::size_t k = 0; k < k_count; ++k)
    centroids.push_back(samples[k * samples.size() / k_count]->coarse);
  std::vector<std::size_t> assignment(samples.size());
  for (int iteration = 0; iteration < iterations; ++iteration) {
    ParallelFor(samples.size(), jobs, [&](std::size_t i) {
      assignment[i] = Nearest(centroids, samples[i]->coarse, 1, SquaredDistance)[0];
    });
    std::vector<std::vector<std::int64_t>> sums(k_count,
                                                std::vector<std::int64_t>(kernel::kCoarseFeatureCount));
    std::vector<std::int64_t> counts(k_count);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      ++counts[assignment[i]];
      for (std::size_t j = 0; j < kernel::kCoarseFeatureCount; ++j)
        sums[assignment[i]][j] += samples[i]->coarse[j];
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

// The records of one character: per group of its samples, the members' mean
// fine vector and the medoid's segments.
struct CharacterRecords {
  std::vector<kernel::FeatureRecord> records;
  std::vector<kernel::SegmentList> lists;
  std::vector<std::size_t> record_of_sample;  // per sample of the character, its record
};

// Adds one record per group of the samples at `indices`.
void AddGroups(std::span<const AnalysedSample> samples, const std::vector<std::size_t>& indices,
               std::size_t count, CharacterRecords& result) {
  std::vector<std::span<const std::uint8_t>> vectors;
  for (const std::size_t i : indices) vectors.push_back(samples[i].fine);
  for (const VariantGroup& group : GroupVariants(vectors, count)) {
    std::vector<std::int64_t> sums(kernel::kFineFeatureCount);
    for (const std::size_t member : group.members) {
      const AnalysedSample& sample = samples[indices[member]];
      for (std::size_t j = 0; j < sums.size(); ++j) sums[j] += sample.fine[j];
      result.record_of_sample[indices[member]] = result.records.size();
    }
    const auto members = static_cast<std::int64_t>(group.members.size());
    std::vector<std::uint8_t> mean(sums.size());
    for (std::size_t j = 0; j < sums.size(); ++j)
      mean[j] = static_cast<std::uint8_t>((sums[j] + members / 2) / members);
    const AnalysedSample& medoid = samples[indices[group.medoid]];
    result.records.push_back({std::move(mean), medoid.code});
    result.lists.push_back(medoid.segments);
  }
}

// The neat samples and the others are grouped apart, so that the fine detail
// of neat writing keeps records of its own.
CharacterRecords RecordsOf(std::span<const AnalysedSample> samples, std::size_t neat_records,
                           std::size_t hasty_records) {
  std::vector<std::size_t> neat;
  std::vector<std::size_t> others;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    (IsNeatDictionaryVariant(samples[i].variant) ? neat : others).push_back(i);
  }
  CharacterRecords result;
  result.record_of_sample.resize(samples.size());
  AddGroups(samples, neat, neat_records, result);
  AddGroups(samples, others, hasty_records, result);
  return result;
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
  const auto variants = static_cast<std::size_t>(std::clamp<int>(options.samples, 1, kMaxDictionaryVariants));
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
      sample.variant = v;
      Analyse(sample, characters[c].medians, DictionaryStyle(v), DictionarySeed(c, v), unit);
    }
  });
  std::vector<AnalysedSample> samples;
  for (AnalysedSample& sample : all) {
    if (sample.usable) samples.push_back(std::move(sample));
  }
  BaseDictionary dictionary;
  if (samples.empty()) return dictionary;

  const std::vector<std::uint16_t> fine_divisors = Divisors(samples, options.jobs);
  const std::vector<std::uint16_t> coarse_divisors(fine_divisors.begin(),
                                                   fine_divisors.begin() + kernel::kCoarseFeatureCount);
  ParallelFor(samples.size(), options.jobs, [&](std::size_t i) {
    AnalysedSample& s = samples[i];
    s.fine.resize(kernel::kFineFeatureCount);
    s.coarse.resize(kernel::kCoarseFeatureCount);
    kernel::DivideFeatures(s.raw, fine_divisors, s.fine);
    kernel::DivideFeatures(std::span<const std::int32_t>(s.raw).first(kernel::kCoarseFeatureCount),
                           coarse_divisors, s.coarse);
  });

  // Each character's samples are consecutive: its records, in that order.
  std::vector<std::size_t> firsts;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (i == 0 || samples[i].character != samples[i - 1].character) firsts.push_back(i);
  }
  firsts.push_back(samples.size());
  const std::size_t character_count = firsts.size() - 1;
  std::vector<CharacterRecords> per_character(character_count);
  ParallelFor(character_count, options.jobs, [&](std::size_t c) {
    per_character[c] = RecordsOf(
        std::span<const AnalysedSample>(samples).subspan(firsts[c], firsts[c + 1] - firsts[c]),
        static_cast<std::size_t>(options.neat_records), static_cast<std::size_t>(options.hasty_records));
  });
  std::vector<kernel::FeatureRecord> records;
  std::vector<kernel::SegmentList> lists;
  std::vector<std::int32_t> record_of_sample(samples.size());
  for (std::size_t c = 0; c < character_count; ++c) {
    const std::size_t base = records.size();
    for (std::size_t i = firsts[c]; i < firsts[c + 1]; ++i) {
      record_of_sample[i] =
          static_cast<std::int32_t>(base + per_character[c].record_of_sample[i - firsts[c]]);
    }
    std::move(per_character[c].records.begin(), per_character[c].records.end(), std::back_inserter(records));
    std::move(per_character[c].lists.begin(), per_character[c].lists.end(), std::back_inserter(lists));
  }

  std::vector<const AnalysedSample*> clustered;
  const std::size_t taken = std::min(samples.size(), std::max<std::size_t>(options.clustering_samples, 1));
  for (std::size_t n = 0; n < taken; ++n) clustered.push_back(&samples[n * samples.size() / taken]);
  const std::size_t k_count = std::clamp<std::size_t>(options.clusters, 1, clustered.size());
  const auto centroids = KMeans(clustered, k_count, options.iterations, options.jobs);
  // Every sample puts its record into the clusters that the kernel's
  // screening finds nearest to it.
  std::vector<std::vector<std::size_t>> near(samples.size());
  ParallelFor(samples.size(), options.jobs, [&](std::size_t i) {
    near[i] = Nearest(centroids, samples[i].coarse, kNearestClustersPerSample, ScreeningDistance);
  });
  std::vector<kernel::ClusterDefinition> clusters(k_count);
  for (std::size_t k = 0; k < k_count; ++k) clusters[k].centroid = centroids[k];
  for (std::size_t i = 0; i < samples.size(); ++i) {
    for (const std::size_t k : near[i]) clusters[k].members.push_back(record_of_sample[i]);
  }
  for (kernel::ClusterDefinition& cluster : clusters) {
    std::sort(cluster.members.begin(), cluster.members.end());
    cluster.members.erase(std::unique(cluster.members.begin(), cluster.members.end()), cluster.members.end());
  }

  dictionary.features = kernel::WriteFeatureFile(code_page, kBounds, fine_divisors, records);
  dictionary.segment_lists = kernel::WriteSegmentListFile(code_page, 1, kTolerance, 1, lists);
  dictionary.clusters =
      kernel::WriteClusterFile(code_page, coarse_divisors, static_cast<std::int32_t>(records.size()),
                               kFirstStageCapacity, kMergedClusters, clusters);
  dictionary.records = records.size();
  dictionary.characters = character_count;
  return dictionary;
}

}  // namespace build_dictionaries
