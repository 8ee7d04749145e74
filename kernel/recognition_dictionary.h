// One feature dictionary (base or learned) with its stored segment lists and,
// for the base dictionary, its cluster masks: matching of a cell against its
// records and learning of new records.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "kernel/cluster_file.h"
#include "kernel/feature_file.h"
#include "kernel/scored_list.h"
#include "kernel/segment_list_file.h"

namespace kernel {

// What the base files fix for every dictionary of the kernel.
struct DictionaryLayout {
  CodePage code_page = CodePage::kBig5;
  std::array<std::int32_t, 5> bounds{};
  std::vector<std::uint16_t> fine_divisors;
  std::vector<std::uint16_t> coarse_divisors;
  std::int32_t tolerance = 5;
  std::int32_t further_value = 1;
};

// The cell as the dictionaries compare it.
struct CellDescription {
  std::vector<std::uint8_t> fine;    // N bytes
  std::vector<std::uint8_t> coarse;  // M bytes
  int segment_count = 0;
};

// Stage sizes of the screening cascade.
inline constexpr std::size_t kFirstStageSize = 1000;
inline constexpr std::size_t kSecondStageSize = 300;
inline constexpr std::size_t kThirdStageSize = 150;
inline constexpr std::size_t kFourthStageSize = 75;
inline constexpr std::size_t kResultSize = 20;
// Squared distances from here on never make a candidate.
inline constexpr std::int64_t kFinalDistanceLimit = 0x100000;

// Counts of the cascade's stages of one match, for benchmarks and tests.
struct MatchTrace {
  std::size_t in_mask = 0;
  std::size_t after_segment_filter = 0;
  std::size_t first_scored = 0;
  std::size_t second_stage = 0;
  std::size_t final_stage = 0;
};

struct DictionaryPaths {
  std::string features;
  std::string segment_lists;
};

class RecognitionDictionary {
 public:
  // The base files; the layout comes from them (see BaseLayout).
  static std::variant<std::unique_ptr<RecognitionDictionary>, LoadError> LoadBase(
      CodePage code_page, const DictionaryPaths& paths, const std::string& cluster_path);
  // A learned dictionary whose files must agree with `layout`. A missing
  // feature file gives an empty dictionary that creates its files on the
  // first learning.
  static std::variant<std::unique_ptr<RecognitionDictionary>, LoadError> LoadLearned(
      const DictionaryLayout& layout, const DictionaryPaths& paths);

  // An empty learned dictionary that writes its files at `paths` when saved,
  // whatever files are there now.
  static std::unique_ptr<RecognitionDictionary> NewLearned(const DictionaryLayout& layout,
                                                           const DictionaryPaths& paths);

  // The layout of a base dictionary.
  DictionaryLayout BaseLayout() const;

  bool learned() const { return !clusters_; }
  std::size_t record_count() const { return features_.records.size(); }
  std::int32_t base_index() const { return base_index_; }
  void set_base_index(std::int32_t index) { base_index_ = index; }
  bool Holds(std::int32_t global_index) const;
  // Empty or 0 outside this dictionary.
  std::span<const std::uint8_t> Record(std::int32_t global_index) const;
  std::uint16_t Code(std::int32_t global_index) const;
  // The stored lists of a record, empty when it has none.
  std::span<const SegmentList> SegmentLists(std::int32_t global_index) const;

  // The cluster file of a base dictionary, null for a learned one.
  const ClusterFile* clusters() const { return clusters_ ? &*clusters_ : nullptr; }
  // Bounds r0..r4 of the fine vector's ranges.
  std::array<std::int32_t, 5> bounds() const { return features_.bounds(); }

  // Adds this dictionary's candidates to `result` under global indices.
  void Match(const CellDescription& cell, ScoredList& result, MatchTrace* trace = nullptr) const;

  // Appends a record to both files (each written whole through a replacement,
  // so a failed write leaves the file and its header count as they were) and
  // to memory; with `reload` the files are read back. False when a file
  // could not be written.
  bool Learn(std::span<const std::uint8_t> fine, std::span<const SegmentRecord> segments, std::uint16_t code,
             bool reload);

  // For rebuilding: records added in memory only, then written once.
  void AddRecord(std::span<const std::uint8_t> fine, std::span<const SegmentRecord> segments,
                 std::uint16_t code);
  // Writes both files in full beside the old ones before either replaces
  // its old file, so a failed write leaves both old files as they were.
  bool Save() const;

 private:
  RecognitionDictionary() = default;
  void MatchBase(const CellDescription& cell, ScoredList& result, MatchTrace* trace) const;
  void MatchAll(const CellDescription& cell, ScoredList& result) const;
  void IndexSegmentCounts();
  void ReserveWorkspace();
  bool Reload();
  std::vector<std::uint8_t> FeatureFileBytes() const;
  std::vector<std::uint8_t> SegmentListFileBytes() const;
  bool SaveFeatures() const;
  bool SaveSegmentLists() const;

  DictionaryLayout layout_;
  DictionaryPaths paths_;
  FeatureFile features_;
  SegmentListFile segment_lists_;
  std::optional<ClusterFile> clusters_;
  std::int32_t base_index_ = 0;
  // Segment count of every stored list, L per record (kNoList for a list the
  // file does not hold), so that the segment-count filter reads one array.
  std::vector<std::int32_t> list_sizes_;

  // Working arrays of one match, kept between calls so that matching does not
  // allocate; the kernel runs one recognition at a time.
  struct MatchWorkspace {
    std::vector<std::uint8_t> mask;
    std::vector<std::uint32_t> survivors;
    std::vector<const std::uint8_t*> features;  // of each survivor
    std::vector<std::int32_t> first_distances;
    std::vector<std::uint32_t> below;  // survivors under the first threshold
    std::vector<std::uint64_t> keys;
    std::vector<std::int32_t> records;  // of the current stage, best first
    std::vector<std::int32_t> next_records;
    std::vector<const std::uint8_t*> stage;  // their features
    std::vector<const std::uint8_t*> next_stage;
    std::vector<std::uint32_t> counts;  // of the scores of a stage
    std::vector<std::uint64_t> kept;
  };
  mutable MatchWorkspace workspace_;
};

}  // namespace kernel
