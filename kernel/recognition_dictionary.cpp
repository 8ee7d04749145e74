#include "kernel/recognition_dictionary.h"

#include <algorithm>
#include <cstdlib>

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

// Upper bounds of the bins of d1 / unit and the thresholds in units.
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

std::variant<std::unique_ptr<RecognitionDictionary>, LoadError> RecognitionDictionary::LoadLearned(
    const DictionaryLayout& layout, const DictionaryPaths& paths) {
  std::unique_ptr<RecognitionDictionary> dictionary(new RecognitionDictionary());
  dictionary->layout_ = layout;
  dictionary->paths_ = paths;
  auto features = LoadFile<FeatureFile>(paths.features, [&](std::span<const std::uint8_t> bytes) {
    return ParseFeatureFile(bytes, layout.code_page);
  });
  if (auto* error = std::get_if<LoadError>(&features)) {
    if (*error != LoadError::kMissing) return *error;
    dictionary->features_.header =
        DbsHeader::Make(layout.code_page, SectionType::kFeatures, 0,
                        static_cast<std::int32_t>(layout.fine_divisors.size()), layout.bounds);
    dictionary->features_.divisors = layout.fine_divisors;
    dictionary->features_.records = PagedRecords(layout.fine_divisors.size() + 2);
  } else {
    dictionary->features_ = std::move(std::get<FeatureFile>(features));
    if (dictionary->features_.divisors != layout.fine_divisors) return LoadError::kMismatch;
  }
  auto lists = LoadFile<SegmentListFile>(paths.segment_lists, [&](std::span<const std::uint8_t> bytes) {
    return ParseSegmentListFile(bytes, layout.code_page);
  });
  if (auto* error = std::get_if<LoadError>(&lists)) {
    if (*error != LoadError::kMissing) return *error;
    dictionary->segment_lists_.tolerance = layout.tolerance;
    dictionary->segment_lists_.further_value = layout.further_value;
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

bool RecognitionDictionary::PassesSegmentFilter(std::size_t record, int segment_count) const {
  const int tolerance = std::max(segment_count / 2, segment_lists_.tolerance);
  for (const SegmentList& list : SegmentLists(base_index_ + static_cast<std::int32_t>(record))) {
    if (std::abs(segment_count - static_cast<int>(list.size())) <= tolerance) return true;
  }
  return false;
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
        SquaredDistance(cell.fine, features_.records.Record(k).first(cell.fine.size()));
    if (distance < kFinalDistanceLimit) {
      result.Insert(static_cast<std::int32_t>(distance >> 5), base_index_ + static_cast<std::int32_t>(k));
    }
  }
}

void RecognitionDictionary::MatchBase(const CellDescription& cell, ScoredList& result,
                                      MatchTrace* trace) const {
  const ClusterFile& clusters = *clusters_;
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
  // Only the bits of records this dictionary holds are merged.
  const std::size_t masked = std::min(record_count(), static_cast<std::size_t>(clusters.base_records));
  std::vector<std::uint8_t> mask((masked + 7) / 8, 0);
  for (const ScoredEntry& entry : best_clusters.entries()) {
    const std::span<const std::uint8_t> member = clusters.Mask(static_cast<std::size_t>(entry.record));
    for (std::size_t b = 0; b < mask.size(); ++b) mask[b] |= member[b];
  }

  std::vector<std::size_t> survivors;
  std::size_t in_mask = 0;
  for (std::size_t k = 0; k < masked; ++k) {
    if ((mask[k / 8] & (0x80 >> (k % 8))) == 0) continue;
    ++in_mask;
    if (PassesSegmentFilter(k, cell.segment_count)) survivors.push_back(k);
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
  const std::array<std::int32_t, 5>& r = features_.header.parameters;
  std::vector<std::int32_t> d1(survivors.size());
  for (std::size_t i = 0; i < survivors.size(); ++i) {
    d1[i] = L1Slice(x, features_.records.Record(survivors[i]), r[0], r[1]);
  }
  const std::int32_t threshold = FirstThreshold(d1);

  ScoredList second(std::min(survivors.size(), kSecondStageSize));
  for (std::size_t i = 0; i < survivors.size(); ++i) {
    if (d1[i] >= threshold) continue;
    second.Insert(d1[i] + L1Slice(x, features_.records.Record(survivors[i]), r[1], r[2]),
                  static_cast<std::int32_t>(survivors[i]));
  }
  ScoredList third(std::min(kThirdStageSize, second.size()));
  for (const ScoredEntry& entry : second.entries()) {
    const auto record = features_.records.Record(static_cast<std::size_t>(entry.record));
    third.Insert(entry.score + L1Slice(x, record, r[2], r[3]), entry.record);
  }
  ScoredList fourth(std::min(kFourthStageSize, third.size()));
  for (const ScoredEntry& entry : third.entries()) {
    const auto record = features_.records.Record(static_cast<std::size_t>(entry.record));
    fourth.Insert(entry.score + L1Slice(x, record, r[3], r[4]), entry.record);
  }
  if (trace) {
    trace->first_scored = survivors.size();
    trace->second_stage = second.size();
    trace->final_stage = fourth.size();
  }
  for (const ScoredEntry& entry : fourth.entries()) {
    const auto record = features_.records.Record(static_cast<std::size_t>(entry.record));
    const std::int64_t distance = SquaredDistance(x, record.first(x.size()));
    if (distance < kFinalDistanceLimit) {
      result.Insert(static_cast<std::int32_t>(distance >> 5), base_index_ + entry.record);
    }
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
}

bool RecognitionDictionary::SaveFeatures() const {
  return platform::WriteWholeFile(
      paths_.features,
      SerializeFeatureFile(layout_.code_page, features_.bounds(), features_.divisors, features_.records));
}

bool RecognitionDictionary::SaveSegmentLists() const {
  return platform::WriteWholeFile(
      paths_.segment_lists,
      WriteSegmentListFile(layout_.code_page, segment_lists_.lists_per_record, segment_lists_.tolerance,
                           segment_lists_.further_value, segment_lists_.lists));
}

bool RecognitionDictionary::Save() const { return SaveFeatures() && SaveSegmentLists(); }

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
