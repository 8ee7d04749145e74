#include "tools/build_dictionaries/dictionary_builder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "kernel/cell.h"
#include "kernel/cell_analysis.h"
#include "kernel/cluster_file.h"
#include "kernel/code_page.h"
#include "kernel/feature_file.h"
#include "kernel/kernel_core.h"
#include "kernel/olzun.h"
#include "kernel/segment_distance.h"
#include "kernel/segment_extractor.h"
#include "kernel/segment_list_file.h"
#include "platform/file_access.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_dictionaries/variant_groups.h"

namespace build_dictionaries {
namespace {

constexpr std::array<std::int32_t, 5> kBounds = {0, 80, 144, 184, 224};
constexpr std::int32_t kFirstStageCapacity = 5000;
constexpr std::int32_t kMergedClusters = 15;
constexpr std::int32_t kTolerance = 5;

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

void Analyse(AnalysedSample& sample, std::span<const wrendle::StrokeEntry> ink,
             const kernel::DictionaryLayout& layout) {
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

// The segment lists of a group's record, by the distance with which
// re-ranking compares a cell with a record's lists: the member's list that
// lies nearest the others first, then each time the list farthest from
// those taken, so that a record's lists cover the ways its writers joined
// and broke strokes. Lists that re-ranking cannot compare (empty, or of 45
// segments and more) are taken last.
std::vector<kernel::SegmentList> GroupLists(std::span<const AnalysedSample> samples,
                                            const std::vector<std::size_t>& indices,
                                            const std::vector<std::size_t>& members, std::size_t count) {
  const auto list_of = [&](std::size_t m) -> const kernel::SegmentList& {
    return samples[indices[m]].segments;
  };
  const auto comparable = [](const kernel::SegmentList& list) {
    return !list.empty() && list.size() < kernel::kMaxComparedSegments;
  };
  const std::size_t n = members.size();
  constexpr long kFar = std::numeric_limits<long>::max() / 4;
  std::vector<long> distance(n * n, kFar);
  for (std::size_t i = 0; i < n; ++i) {
    if (!comparable(list_of(members[i]))) continue;
    kernel::SegmentComparer comparer(list_of(members[i]));
    for (std::size_t j = 0; j < n; ++j) {
      if (j != i && comparable(list_of(members[j])))
        distance[i * n + j] = comparer.Distance(list_of(members[j]));
    }
    distance[i * n + i] = 0;
  }
  std::vector<std::size_t> taken;
  std::size_t central = 0;
  long least = kFar * 2;
  for (std::size_t i = 0; i < n; ++i) {
    long spread = 0;
    for (std::size_t j = 0; j < n; ++j) spread = std::min(kFar * 2, spread + distance[i * n + j]);
    if (spread < least) {
      least = spread;
      central = i;
    }
  }
  taken.push_back(central);
  std::vector<long> nearest(n);
  for (std::size_t j = 0; j < n; ++j) nearest[j] = distance[central * n + j];
  while (taken.size() < std::min(count, n)) {
    std::size_t farthest = 0;
    long far = -1;
    for (std::size_t j = 0; j < n; ++j) {
      if (std::find(taken.begin(), taken.end(), j) != taken.end()) continue;
      // Below every comparable list's distance, so taken last.
      const long d = comparable(list_of(members[j])) ? nearest[j] : 0;
      if (d > far) {
        far = d;
        farthest = j;
      }
    }
    taken.push_back(farthest);
    for (std::size_t j = 0; j < n; ++j) nearest[j] = std::min(nearest[j], distance[farthest * n + j]);
  }
  std::vector<kernel::SegmentList> lists;
  for (const std::size_t t : taken) lists.push_back(list_of(members[t]));
  // A group smaller than the lists per record repeats its central list.
  while (lists.size() < count) lists.push_back(lists.front());
  return lists;
}

std::size_t ListCount(int lists) {
  return static_cast<std::size_t>(std::clamp(lists, 1, kernel::kMaxListsPerRecord));
}

// The distinct segment lists of a character's records. Re-ranking weighs the
// segment distances of the Big5 second level double, so that its
// characters lose to near-identical ones of the first level: they get more
// lists, to find their ink's nearest, and the first level fewer.
std::size_t DistinctLists(kernel::CodePage code_page, std::uint16_t code, const BuildOptions& options) {
  if (code_page != kernel::CodePage::kBig5) return ListCount(options.lists_per_record);
  return ListCount(kernel::GetCharCategory(code_page, code) == 2 ? options.big5_second_level_lists
                                                                 : options.big5_first_level_lists);
}

// Adds one record per group of the samples at `indices`.
void AddGroups(std::span<const AnalysedSample> samples, const std::vector<std::size_t>& indices,
               std::size_t count, std::size_t distinct_lists, std::size_t stored_lists,
               CharacterRecords& result) {
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
    std::vector<kernel::SegmentList> lists = GroupLists(samples, indices, group.members, distinct_lists);
    // Re-ranking passes over empty lists at no cost.
    lists.resize(stored_lists);
    for (kernel::SegmentList& list : lists) result.lists.push_back(std::move(list));
  }
}

// The neat samples and the others are grouped apart, so that the fine detail
// of neat writing keeps records of its own.
CharacterRecords RecordsOf(std::span<const AnalysedSample> samples, std::size_t neat_records,
                           std::size_t hasty_records, std::size_t distinct_lists, std::size_t stored_lists) {
  std::vector<std::size_t> neat;
  std::vector<std::size_t> others;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    (IsNeatDictionaryVariant(samples[i].variant) ? neat : others).push_back(i);
  }
  CharacterRecords result;
  result.record_of_sample.resize(samples.size());
  AddGroups(samples, neat, neat_records, distinct_lists, stored_lists, result);
  AddGroups(samples, others, hasty_records, distinct_lists, stored_lists, result);
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

namespace {

// Analyses `count` samples of every character of the code page under the
// builder's seeds; in character order, the unusable ones left out.
std::vector<AnalysedSample> AnalyseSamples(const std::vector<StrokeCharacter>& characters,
                                           const std::vector<std::optional<std::uint16_t>>& codes,
                                           std::size_t count, const kernel::DictionaryLayout& layout,
                                           unsigned jobs) {
  std::vector<AnalysedSample> all(characters.size() * count);
  ParallelFor(characters.size(), jobs, [&](std::size_t c) {
    const std::optional<std::uint16_t> code = codes[c];
    if (!code) return;
    for (std::size_t n = 0; n < count; ++n) {
      AnalysedSample& sample = all[c * count + n];
      sample.character = c;
      sample.code = *code;
      sample.variant = n;
      Analyse(sample, SynthesizeInk(characters[c].medians, DictionaryStyle(n), DictionarySeed(c, n)), layout);
    }
  });
  std::vector<AnalysedSample> samples;
  for (AnalysedSample& sample : all) {
    if (sample.usable) samples.push_back(std::move(sample));
  }
  return samples;
}

void Divide(AnalysedSample& sample, const std::vector<std::uint16_t>& fine_divisors,
            const std::vector<std::uint16_t>& coarse_divisors) {
  sample.fine.resize(kernel::kFineFeatureCount);
  sample.coarse.resize(kernel::kCoarseFeatureCount);
  kernel::DivideFeatures(sample.raw, fine_divisors, sample.fine);
  kernel::DivideFeatures(std::span<const std::int32_t>(sample.raw).first(kernel::kCoarseFeatureCount),
                         coarse_divisors, sample.coarse);
}

void DivideAll(std::vector<AnalysedSample>& samples, const std::vector<std::uint16_t>& fine_divisors,
               const std::vector<std::uint16_t>& coarse_divisors, unsigned jobs) {
  ParallelFor(samples.size(), jobs,
              [&](std::size_t i) { Divide(samples[i], fine_divisors, coarse_divisors); });
}

// Where a character's record is put: the cluster nearest to a sample of it.
struct Placement {
  std::size_t cluster;
  std::size_t record;  // among the character's records
};

struct Layout {
  std::vector<std::uint16_t> fine_divisors;
  std::vector<std::uint16_t> coarse_divisors;
  std::vector<std::vector<std::uint8_t>> centroids;
  std::size_t lists_per_record = 1;
};

// The three files of the records of every character in character order.
BaseDictionary WriteFiles(kernel::CodePage code_page, const Layout& layout,
                          const std::vector<CharacterRecords>& per_character,
                          const std::vector<std::vector<Placement>>& placements) {
  std::vector<kernel::FeatureRecord> records;
  std::vector<kernel::SegmentList> lists;
  std::vector<kernel::ClusterDefinition> clusters(layout.centroids.size());
  for (std::size_t k = 0; k < clusters.size(); ++k) clusters[k].centroid = layout.centroids[k];
  for (std::size_t c = 0; c < per_character.size(); ++c) {
    const auto base = static_cast<std::int32_t>(records.size());
    for (const Placement& placement : placements[c])
      clusters[placement.cluster].members.push_back(base + static_cast<std::int32_t>(placement.record));
    records.insert(records.end(), per_character[c].records.begin(), per_character[c].records.end());
    lists.insert(lists.end(), per_character[c].lists.begin(), per_character[c].lists.end());
  }
  for (kernel::ClusterDefinition& cluster : clusters) {
    std::sort(cluster.members.begin(), cluster.members.end());
    cluster.members.erase(std::unique(cluster.members.begin(), cluster.members.end()), cluster.members.end());
  }
  BaseDictionary files;
  files.features = kernel::WriteFeatureFile(code_page, kBounds, layout.fine_divisors, records);
  files.segment_lists = kernel::WriteSegmentListFile(
      code_page, static_cast<std::int32_t>(layout.lists_per_record), kTolerance, 1, lists);
  files.clusters =
      kernel::WriteClusterFile(code_page, layout.coarse_divisors, static_cast<std::int32_t>(records.size()),
                               kFirstStageCapacity, kMergedClusters, clusters);
  files.records = records.size();
  files.characters = per_character.size();
  return files;
}

// Recognizers that read a dictionary's files, one per worker: they keep
// their matching workspace to themselves. The files lie in a folder of the
// builder's own for as long as the recognizers load.
std::vector<std::unique_ptr<kernel::Olzun>> LoadRecognizers(kernel::CodePage code_page,
                                                            const BaseDictionary& files, unsigned count) {
  static std::atomic<unsigned> serial{0};
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("build_dictionaries_" + std::to_string(std::random_device{}()) + "_" + std::to_string(serial++));
  std::filesystem::create_directories(folder);
  const kernel::BaseFileNames names;
  std::vector<std::unique_ptr<kernel::Olzun>> recognizers;
  if (platform::WriteWholeFile((folder / names.features).string(), files.features) &&
      platform::WriteWholeFile((folder / names.segment_lists).string(), files.segment_lists) &&
      platform::WriteWholeFile((folder / names.clusters).string(), files.clusters)) {
    for (unsigned k = 0; k < count; ++k) {
      // The learned files are looked for in a folder that holds none.
      auto recognizer = kernel::Olzun::Create({code_page, folder.string(), (folder / "none").string()});
      if (!recognizer) break;
      recognizer->SetRange(kernel::kRangeChinese);
      recognizers.push_back(std::move(recognizer));
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (recognizers.size() != count) recognizers.clear();
  return recognizers;
}

// Whether the recognizer puts the ink's character first.
bool PutsFirst(kernel::Olzun& recognizer, std::span<const wrendle::StrokeEntry> ink, std::uint16_t code) {
  std::array<std::uint16_t, 10> codes{};
  const int found = recognizer.Recognize(ink, codes, 0);
  return found >= 1 && found <= 10 && codes[0] == code;
}

// Writes probes of every character under seeds of the pass, recognizes them
// with the dictionary as it stands, and gives each character records for
// the probes it lost: one per group of them, put where they lie.
// `character_of` gives the character of each entry of `per_character`.
// False when the dictionary does not load.
bool AddRecordsForLostProbes(kernel::CodePage code_page, const BaseDictionary& files,
                             const std::vector<StrokeCharacter>& characters,
                             const std::vector<std::size_t>& character_of, const Layout& layout,
                             const BuildOptions& options, int pass,
                             std::vector<CharacterRecords>& per_character,
                             std::vector<std::vector<Placement>>& placements) {
  const unsigned jobs = std::max(1u, options.jobs);
  const auto recognizers = LoadRecognizers(code_page, files, jobs);
  if (recognizers.empty()) return false;
  const kernel::DictionaryLayout unit = UnitLayout(code_page);
  const auto probes = static_cast<std::size_t>(std::clamp<int>(options.probes, 0, kMaxProbes));
  std::vector<std::vector<AnalysedSample>> lost(per_character.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < jobs; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t r = next++; r < per_character.size(); r = next++) {
        const std::size_t c = character_of[r];
        const std::uint16_t code = per_character[r].records.front().code;
        for (std::size_t n = 0; n < probes; ++n) {
          const auto ink = SynthesizeInk(characters[c].medians, DictionaryStyle(ProbeVariant(n)),
                                         ProbeSeed(static_cast<std::size_t>(pass), c, n));
          if (PutsFirst(*recognizers[t], ink, code)) continue;
          AnalysedSample probe;
          probe.character = c;
          probe.code = code;
          probe.variant = ProbeVariant(n);
          Analyse(probe, ink, unit);
          if (!probe.usable) continue;
          Divide(probe, layout.fine_divisors, layout.coarse_divisors);
          lost[r].push_back(std::move(probe));
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  ParallelFor(per_character.size(), jobs, [&](std::size_t r) {
    if (lost[r].empty()) return;
    std::vector<std::size_t> indices(lost[r].size());
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = i;
    CharacterRecords added;
    added.record_of_sample.resize(lost[r].size());
    const std::size_t groups =
        std::min(lost[r].size(), static_cast<std::size_t>(std::max(options.records_per_pass, 1)));
    AddGroups(lost[r], indices, groups, DistinctLists(code_page, lost[r].front().code, options),
              layout.lists_per_record, added);
    CharacterRecords& records = per_character[r];
    const std::size_t first = records.records.size();
    records.records.insert(records.records.end(), added.records.begin(), added.records.end());
    records.lists.insert(records.lists.end(), added.lists.begin(), added.lists.end());
    for (std::size_t i = 0; i < lost[r].size(); ++i) {
      const std::size_t cluster = Nearest(layout.centroids, lost[r][i].coarse, 1, ScreeningDistance)[0];
      placements[r].push_back({cluster, first + added.record_of_sample[i]});
    }
  });
  return true;
}

}  // namespace

BaseDictionary BuildBaseDictionary(kernel::CodePage code_page, const std::vector<StrokeCharacter>& characters,
                                   const CodePageMap& map, const BuildOptions& options) {
  const auto variants = static_cast<std::size_t>(std::clamp<int>(options.samples, 1, kMaxDictionaryVariants));
  const kernel::DictionaryLayout unit = UnitLayout(code_page);
  // The conversion handles of the map are not shared between threads.
  std::vector<std::optional<std::uint16_t>> codes;
  for (const StrokeCharacter& character : characters) codes.push_back(map.CodeOf(character.utf8));
  std::vector<AnalysedSample> samples = AnalyseSamples(characters, codes, variants, unit, options.jobs);
  BaseDictionary dictionary;
  if (samples.empty()) return dictionary;

  Layout layout;
  layout.fine_divisors = Divisors(samples, options.jobs);
  layout.coarse_divisors.assign(layout.fine_divisors.begin(),
                                layout.fine_divisors.begin() + kernel::kCoarseFeatureCount);
  layout.lists_per_record =
      code_page == kernel::CodePage::kBig5
          ? std::max(ListCount(options.big5_first_level_lists), ListCount(options.big5_second_level_lists))
          : ListCount(options.lists_per_record);
  DivideAll(samples, layout.fine_divisors, layout.coarse_divisors, options.jobs);

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
        static_cast<std::size_t>(options.neat_records), static_cast<std::size_t>(options.hasty_records),
        DistinctLists(code_page, samples[firsts[c]].code, options), layout.lists_per_record);
  });

  std::vector<const AnalysedSample*> clustered;
  const std::size_t taken = std::min(samples.size(), std::max<std::size_t>(options.clustering_samples, 1));
  for (std::size_t n = 0; n < taken; ++n) clustered.push_back(&samples[n * samples.size() / taken]);
  const std::size_t k_count = std::clamp<std::size_t>(options.clusters, 1, clustered.size());
  layout.centroids = KMeans(clustered, k_count, options.iterations, options.jobs);
  const auto nearest_cluster = [&](const AnalysedSample& sample) {
    return Nearest(layout.centroids, sample.coarse, 1, ScreeningDistance)[0];
  };
  // Each of the first samples of a character puts its record into the
  // cluster that the kernel's screening finds nearest to it.
  std::vector<std::vector<Placement>> placements(character_count);
  std::vector<std::size_t> near(samples.size());
  ParallelFor(samples.size(), options.jobs, [&](std::size_t i) { near[i] = nearest_cluster(samples[i]); });
  for (std::size_t c = 0; c < character_count; ++c) {
    const std::vector<std::size_t>& record_of = per_character[c].record_of_sample;
    std::vector<bool> placed(per_character[c].records.size(), false);
    for (std::size_t i = firsts[c]; i < firsts[c + 1]; ++i) {
      if (samples[i].variant >= static_cast<std::size_t>(options.placing_samples)) continue;
      placements[c].push_back({near[i], record_of[i - firsts[c]]});
      placed[record_of[i - firsts[c]]] = true;
    }
    // A record whose samples all come later is placed by them.
    for (std::size_t i = firsts[c]; i < firsts[c + 1]; ++i) {
      if (!placed[record_of[i - firsts[c]]]) placements[c].push_back({near[i], record_of[i - firsts[c]]});
    }
  }
  std::vector<std::size_t> character_of;
  for (std::size_t c = 0; c < character_count; ++c) character_of.push_back(samples[firsts[c]].character);
  const int passes = std::min<int>(options.refining_passes, kMaxRefiningPasses);
  int pass = 0;
  for (; pass < passes; ++pass) {
    const BaseDictionary files = WriteFiles(code_page, layout, per_character, placements);
    if (!AddRecordsForLostProbes(code_page, files, characters, character_of, layout, options, pass,
                                 per_character, placements)) {
      break;
    }
  }
  BaseDictionary files = WriteFiles(code_page, layout, per_character, placements);
  files.refining_passes = static_cast<std::size_t>(pass);
  return files;
}

}  // namespace build_dictionaries
