// The recognizer kernel's dictionaries and the stages of one recognition:
// segments, raster, features, matching, re-ranking and candidate assembly,
// plus learning and the rebuilding of learned files from the pen ink. The code
// page is a value of the object, so one build serves both character sets.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "common/stroke_list.h"
#include "kernel/cell.h"
#include "kernel/cell_analysis.h"
#include "kernel/feature_extractor.h"
#include "kernel/recognition_dictionary.h"
#include "kernel/segment_extractor.h"

namespace kernel {

struct KernelConfig {
  CodePage code_page = CodePage::kBig5;
  // Where the base files lie (the host program's directory).
  std::string program_directory;
  // Where the learned and pen-ink files lie (the Windows directory).
  std::string learning_directory;
  std::size_t segment_limit = kKernelSegmentLimit;
};

// File names of the dictionaries, without a directory.
struct BaseFileNames {
  std::string features = "bqothfet.dbs";
  std::string segment_lists = "bqothseg.dbs";
  std::string clusters = "bqothcla.dbs";
};

struct LearningFileNames {
  std::string features = "tlrnst0.dbs";
  std::string segment_lists = "tlrnsg0.dbs";
  std::string pen_ink = "tpenink.dbs";
  std::string fourth = "tlrncls.dbs";
};

// Replacement names; an empty optional keeps the current name. File names
// are cut to 12 characters.
struct LearningNameChanges {
  std::optional<std::string> features;
  std::optional<std::string> segment_lists;
  std::optional<std::string> pen_ink;
  std::optional<std::string> fourth;
};

struct AttachResult {
  LoadError error = LoadError::kNone;
  // A mismatch of the feature layout only (magic and tag are this kernel's):
  // the learned files may be rebuilt from the pen ink.
  bool convertible = false;
};

// Most dictionary slots; slot 0 holds the base dictionary.
inline constexpr std::size_t kMaxSlots = 10;
inline constexpr std::size_t kMaxCandidates = 10;
// Ink records longer than this are skipped by the converter.
inline constexpr std::size_t kMaxInkEntries = 5000;

class KernelCore {
 public:
  // Loads the base dictionary (failure: its error) and the learned one under
  // the default names (failure: no learned dictionary).
  static std::variant<std::unique_ptr<KernelCore>, LoadError> Create(const KernelConfig& config,
                                                                     const BaseFileNames& base = {});

  CodePage code_page() const { return config_.code_page; }
  const DictionaryLayout& layout() const { return layout_; }
  const LearningFileNames& learning_names() const { return names_; }
  int range_flags() const { return range_flags_; }
  void set_range_flags(int flags) { range_flags_ = flags; }
  std::span<const std::unique_ptr<RecognitionDictionary>> slots() const { return slots_; }

  // The quick pass: mode-0 segments of the cell.
  SegmentExtraction QuickSegments(const Cell& cell) const;
  // Ligature removal (when the quick pass found more than four segments),
  // raster and feature vectors.
  CellAnalysis Analyze(const Cell& cell, const std::vector<SegmentRecord>& quick_segments) const;
  // Matching over all dictionaries, best first (at most 20).
  std::vector<ScoredEntry> Match(const CellAnalysis& analysis, MatchTrace* trace = nullptr) const;
  // Re-ranking, range filter and duplicate removal: at most ten codes in the
  // caller's form.
  std::vector<std::uint16_t> AssembleCandidates(std::vector<ScoredEntry> table,
                                                const CellAnalysis& analysis) const;
  // All stages after the quick pass.
  std::vector<std::uint16_t> Recognize(const Cell& cell,
                                       const std::vector<SegmentRecord>& quick_segments) const;

  // Appends the ink to the pen-ink file and learns the cell as `code` (the
  // caller's form) in every learned dictionary, from this cell's own
  // segments. False when the list does not make a cell.
  bool Learn(std::span<const wrendle::StrokeEntry> stroke_list, std::uint16_t code);

  // Loads the learned dictionary under the changed names into the first
  // empty or learned slot. Names and dictionary change only on success (or a
  // missing feature file, which gives an empty dictionary).
  AttachResult AttachLearn(const LearningNameChanges& changes);

  // Rebuilds the learned files from the pen-ink file. `progress` hears (done,
  // total) once before the first record and after each one, when there is at
  // least one. Returns false when no slot is free, the pen-ink file cannot be
  // read, or the existing learned feature file belongs to another code page.
  bool ConvertLearn(const LearningNameChanges& changes,
                    const std::function<void(std::size_t, std::size_t)>& progress = {});

  std::uint16_t CodeOf(std::int32_t record) const;
  std::span<const SegmentList> SegmentListsOf(std::int32_t record) const;

 private:
  explicit KernelCore(const KernelConfig& config) : config_(config) {}
  std::string LearningPath(const std::string& name) const;
  DictionaryPaths LearnedPaths(const LearningFileNames& names) const;
  std::optional<std::size_t> LearnedSlot() const;
  void Renumber();
  CellAnalysis Describe(std::vector<CellPoint> points, std::vector<SegmentRecord> segments,
                        const Box& box) const;
  void LearnAnalysis(const CellAnalysis& analysis, std::uint16_t code, bool reload);

  KernelConfig config_;
  DictionaryLayout layout_;
  LearningFileNames names_;
  int range_flags_ = kRangeChinese;
  std::vector<std::unique_ptr<RecognitionDictionary>> slots_;
};

}  // namespace kernel
