#include "kernel/tests/reference_matching.h"

#include <algorithm>
#include <cstdlib>

namespace kernel_reference {
namespace {

using kernel::ScoredEntry;
using kernel::ScoredList;

std::int32_t L1Slice(std::span<const std::uint8_t> x, std::span<const std::uint8_t> m, std::int32_t from,
                     std::int32_t to) {
  std::int32_t sum = 0;
  for (std::int32_t j = from; j < to; ++j)
    sum += std::abs(x[static_cast<std::size_t>(j)] - m[static_cast<std::size_t>(j)]);
  return sum >> 4;
}

std::int64_t SquaredDistance(std::span<const std::uint8_t> x, std::span<const std::uint8_t> m) {
  std::int64_t sum = 0;
  const std::size_t n = std::min(x.size(), m.size());
  for (std::size_t j = 0; j < n; ++j) {
    const std::int64_t d = static_cast<std::int64_t>(x[j]) - m[j];
    sum += d * d;
  }
  return sum;
}

constexpr std::int32_t kBinBounds[10] = {5, 8, 10, 12, 13, 14, 15, 16, 17, 19};
constexpr std::int32_t kThresholds[9] = {6, 9, 11, 13, 14, 15, 16, 17, 18};

std::int32_t FirstThreshold(const std::vector<std::int32_t>& d1) {
  const std::int64_t n = static_cast<std::int64_t>(d1.size());
  std::int64_t total = 0;
  for (const std::int32_t d : d1) total += d;
  const std::int64_t unit = total / (n * 18) + 1;
  std::int64_t bins[10] = {};
  for (const std::int32_t d : d1) {
    const std::int64_t value = d / unit;
    for (int b = 0; b < 10; ++b) {
      if (value <= kBinBounds[b]) {
        ++bins[b];
        break;
      }
    }
  }
  const std::int64_t e = std::min<std::int64_t>(1000, n);
  std::int64_t running = 0;
  int chosen = 10;
  for (int b = 0; b < 10; ++b) {
    const std::int64_t before = running;
    running += bins[b];
    if (running > e) {
      chosen = b;
      if (running * 10 > 12 * e && before * 10 > 9 * e) --chosen;
      break;
    }
  }
  return static_cast<std::int32_t>(unit * (chosen >= 0 && chosen < 9 ? kThresholds[chosen] : 20));
}

bool PassesSegmentFilter(const kernel::RecognitionDictionary& dictionary, std::int32_t record,
                         int segment_count, int file_tolerance) {
  const int tolerance = std::max(segment_count / 2, file_tolerance);
  for (const kernel::SegmentList& list : dictionary.SegmentLists(record)) {
    if (std::abs(segment_count - static_cast<int>(list.size())) <= tolerance) return true;
  }
  return false;
}

}  // namespace

void ReferenceMatch(const kernel::RecognitionDictionary& dictionary, const kernel::CellDescription& cell,
                    ScoredList& result, kernel::MatchTrace* trace) {
  const std::int32_t base = dictionary.base_index();
  if (dictionary.record_count() == 0 || cell.fine.size() + 2 != dictionary.Record(base).size()) return;
  const auto record_of = [&](std::size_t k) {
    return dictionary.Record(base + static_cast<std::int32_t>(k));
  };
  const kernel::ClusterFile* cluster_file = dictionary.clusters();
  if (cluster_file == nullptr) {
    for (std::size_t k = 0; k < dictionary.record_count(); ++k) {
      const std::int64_t distance = SquaredDistance(cell.fine, record_of(k).first(cell.fine.size()));
      if (distance < kernel::kFinalDistanceLimit) {
        result.Insert(static_cast<std::int32_t>(distance >> 5), base + static_cast<std::int32_t>(k));
      }
    }
    return;
  }
  const kernel::ClusterFile& clusters = *cluster_file;
  if (cell.coarse.size() != clusters.width()) return;
  ScoredList best_clusters(static_cast<std::size_t>(clusters.merged));
  for (std::size_t k = 0; k < clusters.cluster_count(); ++k) {
    const std::span<const std::uint8_t> centroid = clusters.Centroid(k);
    std::int64_t sum = 0;
    for (std::size_t j = 0; j < centroid.size(); ++j) {
      const std::int64_t half = (static_cast<std::int32_t>(centroid[j]) - cell.coarse[j]) >> 1;
      sum += half * half;
    }
    best_clusters.Insert(static_cast<std::int32_t>(sum / 128), static_cast<std::int32_t>(k));
  }
  std::vector<std::uint8_t> mask(clusters.mask_bytes, 0);
  for (const ScoredEntry& entry : best_clusters.entries()) {
    const std::span<const std::uint8_t> member = clusters.Mask(static_cast<std::size_t>(entry.record));
    for (std::size_t b = 0; b < mask.size(); ++b) mask[b] |= member[b];
  }

  // The tolerance of the file is the one the base layout reports.
  const int file_tolerance = dictionary.BaseLayout().tolerance;
  const std::size_t masked =
      std::min(dictionary.record_count(), static_cast<std::size_t>(clusters.base_records));
  std::vector<std::size_t> survivors;
  std::size_t in_mask = 0;
  for (std::size_t k = 0; k < masked; ++k) {
    if ((mask[k / 8] & (0x80 >> (k % 8))) == 0) continue;
    ++in_mask;
    if (PassesSegmentFilter(dictionary, base + static_cast<std::int32_t>(k), cell.segment_count,
                            file_tolerance)) {
      survivors.push_back(k);
    }
  }
  if (trace) {
    trace->in_mask = in_mask;
    trace->after_segment_filter = survivors.size();
  }
  if (survivors.empty()) return;
  if (survivors.size() > static_cast<std::size_t>(clusters.first_stage_capacity)) {
    survivors.resize(static_cast<std::size_t>(clusters.first_stage_capacity));
  }

  const std::span<const std::uint8_t> x = cell.fine;
  const std::array<std::int32_t, 5> r = dictionary.bounds();
  std::vector<std::int32_t> d1(survivors.size());
  for (std::size_t i = 0; i < survivors.size(); ++i) d1[i] = L1Slice(x, record_of(survivors[i]), r[0], r[1]);
  const std::int32_t threshold = FirstThreshold(d1);

  ScoredList second(std::min(survivors.size(), kernel::kSecondStageSize));
  for (std::size_t i = 0; i < survivors.size(); ++i) {
    if (d1[i] >= threshold) continue;
    second.Insert(d1[i] + L1Slice(x, record_of(survivors[i]), r[1], r[2]),
                  static_cast<std::int32_t>(survivors[i]));
  }
  ScoredList third(std::min(kernel::kThirdStageSize, second.size()));
  for (const ScoredEntry& entry : second.entries()) {
    third.Insert(entry.score + L1Slice(x, record_of(static_cast<std::size_t>(entry.record)), r[2], r[3]),
                 entry.record);
  }
  ScoredList fourth(std::min(kernel::kFourthStageSize, third.size()));
  for (const ScoredEntry& entry : third.entries()) {
    fourth.Insert(entry.score + L1Slice(x, record_of(static_cast<std::size_t>(entry.record)), r[3], r[4]),
                  entry.record);
  }
  if (trace) {
    trace->first_scored = survivors.size();
    trace->second_stage = second.size();
    trace->final_stage = fourth.size();
  }
  for (const ScoredEntry& entry : fourth.entries()) {
    const auto record = record_of(static_cast<std::size_t>(entry.record));
    const std::int64_t distance = SquaredDistance(x, record.first(x.size()));
    if (distance < kernel::kFinalDistanceLimit) {
      result.Insert(static_cast<std::int32_t>(distance >> 5), base + entry.record);
    }
  }
}

std::vector<ScoredEntry> ReferenceMatchAll(const kernel::KernelCore& core,
                                           const kernel::CellDescription& cell, kernel::MatchTrace* trace) {
  ScoredList result(kernel::kResultSize);
  for (const auto& slot : core.slots())
    ReferenceMatch(*slot, cell, result, slot->learned() ? nullptr : trace);
  return result.entries();
}

}  // namespace kernel_reference
