#include "kernel/recognition_dictionary.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kernel/feature_distance.h"
#include "kernel/feature_extractor.h"
#include "platform/file_access.h"

namespace kernel {
namespace {

template <typename File, typename Parser>
std::variant<File, LoadError> LoadFile(const std::string& path, Parser parse) {
  if (!platform::FileExists(path)) return LoadError::kMissing;
  const std::optional<std::vector<std::uint8_t>> bytes = platform::ReadWholeFile(path);
  if (!bytes) return LoadError::kMissing;
  return parse(*bytes);
}

std::int32_t L1Slice(const std::uint8_t* x, const std::uint8_t* m, std::int32_t from, std::int32_t to) {
  return AbsoluteDifferenceSum(x + from, m + from, static_cast<std::size_t>(to - from)) >> 4;
}

void OrBytes(std::uint8_t* target, const std::uint8_t* source, std::size_t n) {
  std::size_t b = 0;
#if defined(__SSE2__)
  for (; b + 16 <= n; b += 16) {
    const __m128i merged = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(target + b)),
                                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + b)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + b), merged);
  }
#endif
  for (; b < n; ++b) target[b] |= source[b];
}

// How many turns ahead the matching loops ask for the bytes of a record.
constexpr std::size_t kAhead = 24;

// A list length that never passes the segment-count filter.
constexpr std::int32_t kNoList = -0x40000000;

// Stage lists as sortable keys: the score (never negative) in the high half,
// the order of entry in the low half. The `capacity` lowest keys in order are
// what a ScoredList of that capacity holds after taking the same entries in
// the same order: lower scores first, the earlier entry first among equal
// ones.
std::uint64_t StageKey(std::int32_t score, std::uint32_t order) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(score)) << 32 | order;
}
std::int32_t KeyScore(std::uint64_t key) { return static_cast<std::int32_t>(key >> 32); }
std::uint32_t KeyOrder(std::uint64_t key) { return static_cast<std::uint32_t>(key); }

// Score ranges up to this are counted; wider ones are sorted.
constexpr std::int32_t kCountedRange = 4096;

// Keeps the `capacity` lowest keys, in order. The keys come in ascending
// order of entry, so among equal scores they are in order already: counting
// the scores finds the cut and the place of every kept key without comparing
// keys. `counts` and `kept` are work areas.
void KeepLowest(std::vector<std::uint64_t>& keys, std::size_t capacity, std::vector<std::uint32_t>& counts,
                std::vector<std::uint64_t>& kept) {
  if (keys.empty()) return;
  std::int32_t low = KeyScore(keys[0]);
  std::int32_t high = low;
  for (const std::uint64_t key : keys) {
    low = std::min(low, KeyScore(key));
    high = std::max(high, KeyScore(key));
  }
  if (high - low >= kCountedRange) {
    if (keys.size() > capacity) {
      std::nth_element(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(capacity), keys.end());
      keys.resize(capacity);
    }
    std::sort(keys.begin(), keys.end());
    return;
  }
  counts.assign(static_cast<std::size_t>(high - low + 1), 0);
  for (const std::uint64_t key : keys) ++counts[static_cast<std::size_t>(KeyScore(key) - low)];
  // Scores below `cut` are all kept, and the first `at_cut` keys of score
  // `cut`; counts become the place of the next key of each score.
  const std::uint32_t wanted = static_cast<std::uint32_t>(std::min(capacity, keys.size()));
  std::uint32_t placed = 0;
  std::size_t cut = 0;
  for (;; ++cut) {
    const std::uint32_t count = counts[cut];
    counts[cut] = placed;
    if (placed + count >= wanted) break;
    placed += count;
  }
  std::uint32_t at_cut = wanted - placed;
  kept.resize(wanted);
  for (const std::uint64_t key : keys) {
    const std::size_t score = static_cast<std::size_t>(KeyScore(key) - low);
    if (score > cut) continue;
    if (score == cut) {
      if (at_cut == 0) continue;
      --at_cut;
    }
    kept[counts[score]++] = key;
  }
  keys.swap(kept);
}

// Upper bounds of the bins of d1 / unit and the thresholds in units.
constexpr std::int32_t kBinBounds[10] = {5, 8, 10, 12, 13, 14, 15, 16, 17, 19};
constexpr std::int32_t kThresholds[9] = {6, 9, 11, 13, 14, 15, 16, 17, 18};

std::int32_t FirstThreshold(std::span<const std::int32_t> d1) {
  const std::int64_t n = static_cast<std::int64_t>(d1.size());
  std::int64_t total = 0;
  for (const std::int32_t d : d1) total += d;
  const std::int64_t unit = total / (n * 18) + 1;
  // d / unit <= bound exactly when d < (bound + 1) x unit, so the bins up
  // to b hold the values below the b-th such limit, counted without a
  // division. A limit beyond every value is INT32_MAX.
  std::int32_t limits[10];
  for (int b = 0; b < 10; ++b)
    limits[b] = static_cast<std::int32_t>(std::min<std::int64_t>((kBinBounds[b] + 1) * unit, INT32_MAX));
  std::int64_t below[10] = {};
  std::size_t i = 0;
#if defined(__SSE2__)
  __m128i counts[10];
  for (__m128i& count : counts) count = _mm_setzero_si128();
  for (; i + 4 <= d1.size(); i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d1.data() + i));
    for (int b = 0; b < 10; ++b)
      counts[b] = _mm_sub_epi32(counts[b], _mm_cmplt_epi32(v, _mm_set1_epi32(limits[b])));
  }
  for (int b = 0; b < 10; ++b) {
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), counts[b]);
    below[b] = static_cast<std::int64_t>(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
  }
#endif
  for (; i < d1.size(); ++i) {
    for (int b = 0; b < 10; ++b) below[b] += d1[i] < limits[b] ? 1 : 0;
  }
  const std::int64_t e = std::min<std::int64_t>(1000, n);
  int chosen = 10;
  for (int b = 0; b < 10; ++b) {
    if (below[b] > e) {
      chosen = b;
      const std::int64_t before = b == 0 ? 0 : below[b - 1];
      if (below[b] * 10 > 12 * e && before * 10 > 9 * e) --chosen;
      break;
    }
  }
  return static_cast<std::int32_t>(unit * (chosen >= 0 && chosen < 9 ? kThresholds[chosen] : 20));
}

}  // namespace

std::variant<std::unique_ptr<RecognitionDictionary>, LoadError> RecognitionDictionary::LoadBase(
    CodePage code_page, const DictionaryPaths& paths, const std::string& cluster_path) {
  std::unique_ptr<RecognitionDictionary> dictionary(new RecognitionDictionary());
  dictionary->paths_ = paths;
  dictionary->layout_.code_page = code_page;
  auto features = LoadFile<FeatureFile>(paths.features, [&](std::span<const std::uint8_t> bytes) {
    return ParseFeatureFile(bytes, code_page);
  });
  if (auto* error = std::get_if<LoadError>(&features)) return *error;
  dictionary->features_ = std::move(std::get<FeatureFile>(features));
  if (dictionary->features_.feature_count() != kFineFeatureCount) return LoadError::kMismatch;

  auto lists = LoadFile<SegmentListFile>(paths.segment_lists, [&](std::span<const std::uint8_t> bytes) {
    return ParseSegmentListFile(bytes, code_page);
  });
  if (auto* error = std::get_if<LoadError>(&lists)) return *error;
  dictionary->segment_lists_ = std::move(std::get<SegmentListFile>(lists));

  auto clusters = LoadFile<ClusterFile>(
      cluster_path, [&](std::span<const std::uint8_t> bytes) { return ParseClusterFile(bytes, code_page); });
  if (auto* error = std::get_if<LoadError>(&clusters)) return *error;
  dictionary->clusters_ = std::move(std::get<ClusterFile>(clusters));
  if (dictionary->clusters_->width() != kCoarseFeatureCount) return LoadError::kMismatch;

  dictionary->layout_ = dictionary->BaseLayout();
  dictionary->IndexSegmentCounts();
  dictionary->ReserveWorkspace();
  return dictionary;
}

DictionaryLayout RecognitionDictionary::BaseLayout() const {
  DictionaryLayout layout;
  layout.code_page = layout_.code_page;
  layout.bounds = features_.bounds();
  layout.fine_divisors = features_.divisors;
  if (clusters_) layout.coarse_divisors = clusters_->divisors;
  layout.tolerance = segment_lists_.tolerance;
  layout.further_value = segment_lists_.further_value;
  return layout;
}

std::unique_ptr<RecognitionDictionary> RecognitionDictionary::NewLearned(const DictionaryLayout& layout,
                                                                         const DictionaryPaths& paths) {
  std::unique_ptr<RecognitionDictionary> dictionary(new RecognitionDictionary());
  dictionary->layout_ = layout;
  dictionary->paths_ = paths;
  dictionary->features_.header =
      DbsHeader::Make(layout.code_page, SectionType::kFeatures, 0,
                      static_cast<std::int32_t>(layout.fine_divisors.size()), layout.bounds);
  dictionary->features_.divisors = layout.fine_divisors;
  dictionary->features_.records = PagedRecords(layout.fine_divisors.size() + 2);
  dictionary->segment_lists_.tolerance = layout.tolerance;
  dictionary->segment_lists_.further_value = layout.further_value;
  return dictionary;
}

std::variant<std::unique_ptr<RecognitionDictionary>, LoadError> RecognitionDictionary::LoadLearned(
    const DictionaryLayout& layout, const DictionaryPaths& paths) {
  std::unique_ptr<RecognitionDictionary> dictionary = NewLearned(layout, paths);
  auto features = LoadFile<FeatureFile>(paths.features, [&](std::span<const std::uint8_t> bytes) {
    return ParseFeatureFile(bytes, layout.code_page);
  });
  if (auto* error = std::get_if<LoadError>(&features)) {
    if (*error != LoadError::kMissing) return *error;
  } else {
    dictionary->features_ = std::move(std::get<FeatureFile>(features));
    if (dictionary->features_.divisors != layout.fine_divisors) return LoadError::kMismatch;
  }
  auto lists = LoadFile<SegmentListFile>(paths.segment_lists, [&](std::span<const std::uint8_t> bytes) {
    return ParseSegmentListFile(bytes, layout.code_page);
  });
  if (auto* error = std::get_if<LoadError>(&lists)) {
    if (*error != LoadError::kMissing) return *error;
  } else {
    dictionary->segment_lists_ = std::move(std::get<SegmentListFile>(lists));
  }
  return dictionary;
}

bool RecognitionDictionary::Holds(std::int32_t global_index) const {
  return global_index >= base_index_ &&
         static_cast<std::size_t>(global_index - base_index_) < features_.records.size();
}

std::span<const std::uint8_t> RecognitionDictionary::Record(std::int32_t global_index) const {
  if (!Holds(global_index)) return {};
  return features_.records.Record(static_cast<std::size_t>(global_index - base_index_));
}

std::uint16_t RecognitionDictionary::Code(std::int32_t global_index) const {
  return RecordCode(Record(global_index));
}

std::span<const SegmentList> RecognitionDictionary::SegmentLists(std::int32_t global_index) const {
  if (!Holds(global_index)) return {};
  const std::size_t per_record = static_cast<std::size_t>(segment_lists_.lists_per_record);
  const std::size_t first = static_cast<std::size_t>(global_index - base_index_) * per_record;
  if (first >= segment_lists_.lists.size()) return {};
  return std::span<const SegmentList>(segment_lists_.lists)
      .subspan(first, std::min(per_record, segment_lists_.lists.size() - first));
}

void RecognitionDictionary::IndexSegmentCounts() {
  const std::size_t per_record = static_cast<std::size_t>(segment_lists_.lists_per_record);
  list_sizes_.assign(record_count() * per_record, kNoList);
  const std::size_t held = std::min(list_sizes_.size(), segment_lists_.lists.size());
  for (std::size_t i = 0; i < held; ++i) {
    list_sizes_[i] = static_cast<std::int32_t>(std::min<std::size_t>(segment_lists_.lists[i].size(), 0xFFFF));
  }
}

void RecognitionDictionary::ReserveWorkspace() {
  if (!clusters_) return;
  const std::size_t scored =
      std::min(record_count(), static_cast<std::size_t>(std::max(clusters_->first_stage_capacity, 0)));
  workspace_.mask.reserve(clusters_->mask_bytes + 8);
  workspace_.survivors.reserve(scored);
  workspace_.features.reserve(scored);
  workspace_.first_distances.reserve(scored);
  workspace_.below.reserve(scored);
  workspace_.keys.reserve(std::max(scored, clusters_->cluster_count()));
  workspace_.records.reserve(kSecondStageSize);
  workspace_.next_records.reserve(kSecondStageSize);
  workspace_.stage.reserve(kSecondStageSize);
  workspace_.next_stage.reserve(kSecondStageSize);
  workspace_.counts.reserve(static_cast<std::size_t>(kCountedRange));
  workspace_.kept.reserve(workspace_.keys.capacity());
}

void RecognitionDictionary::Match(const CellDescription& cell, ScoredList& result, MatchTrace* trace) const {
  if (record_count() == 0 || cell.fine.size() != features_.feature_count()) return;
  if (clusters_) {
    MatchBase(cell, result, trace);
  } else {
    MatchAll(cell, result);
  }
}

void RecognitionDictionary::MatchAll(const CellDescription& cell, ScoredList& result) const {
  for (std::size_t k = 0; k < record_count(); ++k) {
    const std::int64_t distance =
        SquaredDifferenceSum(cell.fine.data(), features_.records.Record(k).data(), cell.fine.size());
    if (distance < kFinalDistanceLimit) {
      result.Insert(static_cast<std::int32_t>(distance >> 5), base_index_ + static_cast<std::int32_t>(k));
    }
  }
}

void RecognitionDictionary::MatchBase(const CellDescription& cell, ScoredList& result,
                                      MatchTrace* trace) const {
  const ClusterFile& clusters = *clusters_;
  if (cell.coarse.size() != clusters.width()) return;
  MatchWorkspace& work = workspace_;
  std::vector<std::uint64_t>& keys = work.keys;

  // Cluster screening: the K nearest centroids, their masks merged.
  keys.clear();
  for (std::size_t k = 0; k < clusters.cluster_count(); ++k) {
    const std::int64_t sum =
        HalvedSquaredDifferenceSum(clusters.Centroid(k).data(), cell.coarse.data(), clusters.width());
    keys.push_back(StageKey(static_cast<std::int32_t>(sum / 128), static_cast<std::uint32_t>(k)));
  }
  KeepLowest(keys, static_cast<std::size_t>(std::max(clusters.merged, 0)), work.counts, work.kept);
  // Only the bits of records this dictionary holds are merged.
  const std::size_t masked = std::min(record_count(), static_cast<std::size_t>(clusters.base_records));
  std::vector<std::uint8_t>& mask = work.mask;
  // Whole words of eight bytes, the last one padded with zeros.
  mask.assign((masked + 63) / 64 * 8, 0);
  const std::size_t merged_bytes = (masked + 7) / 8;
  for (const std::uint64_t key : keys)
    OrBytes(mask.data(), clusters.Mask(KeyOrder(key)).data(), merged_bytes);

  // Segment-count filter over the records of the mask, in record order.
  std::vector<std::uint32_t>& survivors = work.survivors;
  std::vector<const std::uint8_t*>& features = work.features;
  survivors.clear();
  features.clear();
  const std::size_t capacity = static_cast<std::size_t>(clusters.first_stage_capacity);
  std::size_t in_mask = 0;
  std::size_t passed = 0;
  const int segment_count = cell.segment_count;
  const int tolerance = std::max(segment_count / 2, segment_lists_.tolerance);
  const std::size_t per_record = static_cast<std::size_t>(segment_lists_.lists_per_record);
  const auto passes_segment_filter = [&](std::size_t record) {
    const std::int32_t* sizes = &list_sizes_[record * per_record];
    for (std::size_t l = 0; l < per_record; ++l) {
      if (std::abs(segment_count - sizes[l]) <= tolerance) return true;
    }
    return false;
  };
  // Eight mask bytes at a time, most significant bit first, so that every
  // set bit is one turn of the loop.
  for (std::size_t first = 0; first < masked; first += 64) {
    const std::uint8_t* word = &mask[first / 8];
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < 8; ++b) bits |= static_cast<std::uint64_t>(word[b]) << (56 - 8 * b);
    if (masked - first < 64) bits &= ~std::uint64_t{0} << (64 - (masked - first));
    while (bits != 0) {
      const int offset = std::countl_zero(bits);
      bits &= ~(std::uint64_t{1} << (63 - offset));
      const std::size_t k = first + static_cast<std::size_t>(offset);
      ++in_mask;
      if (!passes_segment_filter(k)) continue;
      ++passed;
      if (survivors.size() < capacity) survivors.push_back(static_cast<std::uint32_t>(k));
    }
  }
  if (trace) {
    trace->in_mask = in_mask;
    trace->after_segment_filter = passed;
  }
  if (survivors.empty()) return;
  for (const std::uint32_t k : survivors) features.push_back(features_.records.Record(k).data());

  // The stages read the records of a few thousand survivors spread over the
  // dictionary: each loop asks for the bytes of the record kAhead turns on.
  const std::array<std::int32_t, 5>& r = features_.header.parameters;
  const std::uint8_t* x = cell.fine.data();
  const auto prefetch = [](const std::uint8_t* m, std::int32_t from, std::int32_t to) {
    PrefetchBytes(m + from, static_cast<std::size_t>(to - from));
  };

  // First distance over [r0, r1) and its threshold.
  std::vector<std::int32_t>& d1 = work.first_distances;
  d1.resize(survivors.size());
  for (std::size_t i = 0; i < survivors.size(); ++i) {
    if (i + kAhead < survivors.size()) prefetch(features[i + kAhead], r[0], r[1]);
    d1[i] = L1Slice(x, features[i], r[0], r[1]);
  }
  const std::int32_t threshold = FirstThreshold(d1);

  // Survivors are in record order, so the record is also the order of entry.
  std::vector<std::uint32_t>& below = work.below;
  below.clear();
  for (std::size_t i = 0; i < survivors.size(); ++i) {
    if (d1[i] < threshold) below.push_back(static_cast<std::uint32_t>(i));
  }
  keys.clear();
  for (std::size_t n = 0; n < below.size(); ++n) {
    if (n + kAhead < below.size()) prefetch(features[below[n + kAhead]], r[1], r[2]);
    const std::uint32_t i = below[n];
    keys.push_back(StageKey(d1[i] + L1Slice(x, features[i], r[1], r[2]), survivors[i]));
  }
  KeepLowest(keys, std::min(survivors.size(), kSecondStageSize), work.counts, work.kept);
  std::vector<const std::uint8_t*>& stage = work.stage;
  stage.clear();
  for (const std::uint64_t key : keys) stage.push_back(features_.records.Record(KeyOrder(key)).data());
  std::vector<std::int32_t>& records = work.records;
  records.clear();
  for (const std::uint64_t key : keys) records.push_back(static_cast<std::int32_t>(KeyOrder(key)));
  const std::size_t second_size = keys.size();

  // Each refinement adds the next range to the previous stage's score and
  // keeps the best; the order of entry is the position in the previous stage.
  const auto refine = [&](std::int32_t from, std::int32_t to, std::size_t stage_size) {
    const std::size_t stage_capacity = std::min(stage_size, keys.size());
    for (std::size_t p = 0; p < keys.size(); ++p) {
      if (p + kAhead < keys.size()) prefetch(stage[p + kAhead], from, to);
      keys[p] = StageKey(KeyScore(keys[p]) + L1Slice(x, stage[p], from, to), static_cast<std::uint32_t>(p));
    }
    KeepLowest(keys, stage_capacity, work.counts, work.kept);
    work.next_records.clear();
    work.next_stage.clear();
    for (const std::uint64_t key : keys) {
      work.next_records.push_back(records[KeyOrder(key)]);
      work.next_stage.push_back(stage[KeyOrder(key)]);
    }
    records.swap(work.next_records);
    stage.swap(work.next_stage);
  };
  refine(r[2], r[3], kThirdStageSize);
  refine(r[3], r[4], kFourthStageSize);
  if (trace) {
    trace->first_scored = survivors.size();
    trace->second_stage = second_size;
    trace->final_stage = keys.size();
  }
  for (std::size_t p = 0; p < records.size(); ++p) {
    const std::int64_t distance = SquaredDifferenceSum(x, stage[p], cell.fine.size());
    if (distance < kFinalDistanceLimit)
      result.Insert(static_cast<std::int32_t>(distance >> 5), base_index_ + records[p]);
  }
}

void RecognitionDictionary::AddRecord(std::span<const std::uint8_t> fine,
                                      std::span<const SegmentRecord> segments, std::uint16_t code) {
  features_.records.Append(
      SerializeFeatureRecord(fine.first(std::min(fine.size(), features_.feature_count())), code));
  features_.header.record_count = static_cast<std::int32_t>(features_.records.size());
  // Lists stay aligned with the records: a record without lists gets empty
  // ones, and each record fills all L of its entries.
  const std::size_t per_record = static_cast<std::size_t>(segment_lists_.lists_per_record);
  std::vector<SegmentList>& lists = segment_lists_.lists;
  lists.resize((features_.records.size() - 1) * per_record);
  lists.emplace_back(segments.begin(), segments.end());
  lists.resize(features_.records.size() * per_record);
  segment_lists_.header.record_count = features_.header.record_count;
  if (clusters_) IndexSegmentCounts();
}

std::vector<std::uint8_t> RecognitionDictionary::FeatureFileBytes() const {
  return SerializeFeatureFile(layout_.code_page, features_.bounds(), features_.divisors, features_.records);
}

std::vector<std::uint8_t> RecognitionDictionary::SegmentListFileBytes() const {
  return WriteSegmentListFile(layout_.code_page, segment_lists_.lists_per_record, segment_lists_.tolerance,
                              segment_lists_.further_value, segment_lists_.lists);
}

bool RecognitionDictionary::SaveFeatures() const {
  return platform::WriteWholeFile(paths_.features, FeatureFileBytes());
}

bool RecognitionDictionary::SaveSegmentLists() const {
  return platform::WriteWholeFile(paths_.segment_lists, SegmentListFileBytes());
}

bool RecognitionDictionary::Save() const {
  const std::string new_features = paths_.features + ".new";
  const std::string new_lists = paths_.segment_lists + ".new";
  if (!platform::WriteNewFile(new_features, FeatureFileBytes())) return false;
  if (!platform::WriteNewFile(new_lists, SegmentListFileBytes())) {
    platform::RemoveFile(new_features);
    return false;
  }
  if (!platform::ReplaceWithNewFile(new_features, paths_.features)) {
    platform::RemoveFile(new_lists);
    return false;
  }
  return platform::ReplaceWithNewFile(new_lists, paths_.segment_lists);
}

bool RecognitionDictionary::Learn(std::span<const std::uint8_t> fine, std::span<const SegmentRecord> segments,
                                  std::uint16_t code, bool reload) {
  if (clusters_ || fine.size() != features_.feature_count()) return false;
  const FeatureFile old_features = features_;
  const SegmentListFile old_lists = segment_lists_;
  AddRecord(fine, segments, code);
  if (!SaveFeatures()) {
    features_ = old_features;
    segment_lists_ = old_lists;
    return false;
  }
  const bool lists_saved = SaveSegmentLists();
  if (!lists_saved) segment_lists_ = old_lists;
  if (reload) Reload();
  return lists_saved;
}

bool RecognitionDictionary::Reload() {
  auto reloaded = LoadLearned(layout_, paths_);
  auto* dictionary = std::get_if<std::unique_ptr<RecognitionDictionary>>(&reloaded);
  if (dictionary == nullptr) return false;
  features_ = std::move((*dictionary)->features_);
  segment_lists_ = std::move((*dictionary)->segment_lists_);
  return true;
}

}  // namespace kernel
