#include "kernel/kernel_core.h"

#include <algorithm>

#include "kernel/dbs_header.h"
#include "kernel/pen_ink_file.h"
#include "kernel/segment_reranker.h"
#include "platform/file_access.h"
#include "platform/system_info.h"

namespace kernel {
namespace {

constexpr std::size_t kMaxFileNameLength = 12;

void Change(std::string& name, const std::optional<std::string>& change) {
  if (change) name = change->substr(0, kMaxFileNameLength);
}

LearningFileNames Changed(LearningFileNames names, const LearningNameChanges& changes) {
  Change(names.features, changes.features);
  Change(names.segment_lists, changes.segment_lists);
  Change(names.pen_ink, changes.pen_ink);
  Change(names.fourth, changes.fourth);
  return names;
}

// A file that exists and whose magic or tag is not this kernel's.
bool ForeignFile(const std::string& path, CodePage code_page, SectionType type) {
  const std::optional<std::vector<std::uint8_t>> bytes = platform::ReadWholeFile(path);
  if (!bytes) return false;
  const auto header = ParseDbsHeader(*bytes, code_page, type);
  const LoadError* error = std::get_if<LoadError>(&header);
  return error != nullptr && *error == LoadError::kMismatch;
}

}  // namespace

std::variant<std::unique_ptr<KernelCore>, LoadError> KernelCore::Create(const KernelConfig& config,
                                                                        const BaseFileNames& base) {
  std::unique_ptr<KernelCore> core(new KernelCore(config));
  auto loaded =
      RecognitionDictionary::LoadBase(config.code_page,
                                      {platform::JoinPath(config.program_directory, base.features),
                                       platform::JoinPath(config.program_directory, base.segment_lists)},
                                      platform::JoinPath(config.program_directory, base.clusters));
  if (auto* error = std::get_if<LoadError>(&loaded)) return *error;
  core->slots_.push_back(std::move(std::get<std::unique_ptr<RecognitionDictionary>>(loaded)));
  core->layout_ = core->slots_[0]->BaseLayout();
  auto learned = RecognitionDictionary::LoadLearned(core->layout_, core->LearnedPaths(core->names_));
  if (auto* dictionary = std::get_if<std::unique_ptr<RecognitionDictionary>>(&learned)) {
    core->slots_.push_back(std::move(*dictionary));
  }
  core->Renumber();
  return core;
}

std::string KernelCore::LearningPath(const std::string& name) const {
  return platform::JoinPath(config_.learning_directory, name);
}

DictionaryPaths KernelCore::LearnedPaths(const LearningFileNames& names) const {
  return {LearningPath(names.features), LearningPath(names.segment_lists)};
}

std::optional<std::size_t> KernelCore::LearnedSlot() const {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i]->learned()) return i;
  }
  if (slots_.size() < kMaxSlots) return slots_.size();
  return std::nullopt;
}

void KernelCore::Renumber() {
  std::int32_t base = 0;
  for (const auto& slot : slots_) {
    slot->set_base_index(base);
    base += static_cast<std::int32_t>(slot->record_count());
  }
}

std::uint16_t KernelCore::CodeOf(std::int32_t record) const {
  for (const auto& slot : slots_) {
    if (slot->Holds(record)) return slot->Code(record);
  }
  return 0;
}

std::span<const SegmentList> KernelCore::SegmentListsOf(std::int32_t record) const {
  for (const auto& slot : slots_) {
    if (slot->Holds(record)) return slot->SegmentLists(record);
  }
  return {};
}

SegmentExtraction KernelCore::QuickSegments(const Cell& cell) const {
  return ExtractSegments(SegmentMode::kQuick, cell.points, config_.segment_limit);
}

CellAnalysis KernelCore::Analyze(const Cell& cell, const std::vector<SegmentRecord>& quick_segments) const {
  return AnalyzeCell(cell, quick_segments, layout_, config_.segment_limit);
}

std::vector<ScoredEntry> KernelCore::Match(const CellAnalysis& analysis, MatchTrace* trace) const {
  ScoredList result(kResultSize);
  for (const auto& slot : slots_)
    slot->Match(analysis.description, result, slot->learned() ? nullptr : trace);
  return result.entries();
}

std::vector<std::uint16_t> KernelCore::AssembleCandidates(std::vector<ScoredEntry> table,
                                                          const CellAnalysis& analysis) const {
  const RerankContext context{config_.code_page, layout_.tolerance,
                              [this](std::int32_t record) { return SegmentListsOf(record); },
                              [this](std::int32_t record) { return CodeOf(record); }};
  RerankBySegments(table, analysis.segments, context);
  // Duplicates are dropped during the walk, so ten distinct codes come back
  // whenever the table holds them.
  std::vector<std::uint16_t> codes;
  for (const ScoredEntry& entry : table) {
    if (codes.size() == kMaxCandidates) break;
    const std::uint16_t code = CodeOf(entry.record);
    if (code == 0 || !FilterCode(config_.code_page, range_flags_, code)) continue;
    if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
  }
  return codes;
}

std::vector<std::uint16_t> KernelCore::Recognize(const Cell& cell,
                                                 const std::vector<SegmentRecord>& quick_segments) const {
  const CellAnalysis analysis = Analyze(cell, quick_segments);
  return AssembleCandidates(Match(analysis), analysis);
}

void KernelCore::LearnAnalysis(const CellAnalysis& analysis, std::uint16_t code, bool reload) {
  for (const auto& slot : slots_) {
    if (!slot->learned()) continue;
    if (reload) {
      slot->Learn(analysis.description.fine, analysis.segments, code, true);
    } else {
      slot->AddRecord(analysis.description.fine, analysis.segments, code);
    }
  }
}

bool KernelCore::Learn(std::span<const wrendle::StrokeEntry> stroke_list, std::uint16_t code) {
  const std::optional<wrendle::StrokeListView> strokes = wrendle::StrokeListView::Parse(stroke_list);
  if (!strokes) return false;
  const std::optional<Cell> cell = TakeCell(*strokes);
  if (!cell) return false;
  platform::AppendToFile(LearningPath(names_.pen_ink),
                         SerializeInkRecord(code, stroke_list.first(strokes->entry_count())));
  LearnAnalysis(Analyze(*cell, QuickSegments(*cell).segments), code, true);
  Renumber();
  return true;
}

AttachResult KernelCore::AttachLearn(const LearningNameChanges& changes) {
  const std::optional<std::size_t> slot = LearnedSlot();
  if (!slot) return {LoadError::kMemory, false};
  const LearningFileNames names = Changed(names_, changes);
  const DictionaryPaths paths = LearnedPaths(names);
  auto loaded = RecognitionDictionary::LoadLearned(layout_, paths);
  if (auto* error = std::get_if<LoadError>(&loaded)) {
    const bool convertible = *error == LoadError::kMismatch &&
                             !ForeignFile(paths.features, config_.code_page, SectionType::kFeatures) &&
                             !ForeignFile(paths.segment_lists, config_.code_page, SectionType::kSegmentLists);
    return {*error, convertible};
  }
  names_ = names;
  auto dictionary = std::move(std::get<std::unique_ptr<RecognitionDictionary>>(loaded));
  if (*slot < slots_.size()) {
    slots_[*slot] = std::move(dictionary);
  } else {
    slots_.push_back(std::move(dictionary));
  }
  Renumber();
  return {};
}

bool KernelCore::ConvertLearn(const LearningNameChanges& changes,
                              const std::function<void(std::size_t, std::size_t)>& progress) {
  const std::optional<std::size_t> slot = LearnedSlot();
  if (!slot) return false;
  const LearningFileNames names = Changed(names_, changes);
  const DictionaryPaths paths = LearnedPaths(names);
  const std::optional<std::vector<std::uint8_t>> ink = platform::ReadWholeFile(LearningPath(names.pen_ink));
  if (!ink) return false;
  // Files of the other character set are never deleted here.
  if (ForeignFile(paths.features, config_.code_page, SectionType::kFeatures) ||
      ForeignFile(paths.segment_lists, config_.code_page, SectionType::kSegmentLists)) {
    return false;
  }
  // The old files stay until the rebuilt ones are complete.
  const LearningFileNames old_names = names_;
  std::unique_ptr<RecognitionDictionary> old_dictionary;
  if (*slot < slots_.size()) {
    old_dictionary = std::move(slots_[*slot]);
    slots_[*slot] = RecognitionDictionary::NewLearned(layout_, paths);
  } else {
    slots_.push_back(RecognitionDictionary::NewLearned(layout_, paths));
  }
  names_ = names;
  Renumber();

  std::vector<InkRecord> records = ParsePenInkFile(*ink);
  std::erase_if(records, [](const InkRecord& record) { return record.entries.empty(); });
  if (!records.empty()) {
    if (progress) progress(0, records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      const InkRecord& record = records[i];
      const auto strokes = record.entries.size() <= kMaxInkEntries
                               ? wrendle::StrokeListView::Parse(record.entries)
                               : std::nullopt;
      const std::optional<Cell> cell = strokes ? TakeCell(*strokes) : std::nullopt;
      if (cell) {
        std::vector<SegmentRecord> segments =
            ExtractSegments(SegmentMode::kLigatures, cell->points, config_.segment_limit).segments;
        LearnAnalysis(DescribeCell(cell->points, std::move(segments), cell->box, layout_), record.code,
                      false);
      }
      if (progress) progress(i + 1, records.size());
    }
  }
  if (!slots_[*slot]->Save()) {
    names_ = old_names;
    if (old_dictionary) {
      slots_[*slot] = std::move(old_dictionary);
    } else {
      slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(*slot));
    }
    Renumber();
    return false;
  }
  platform::RemoveFile(LearningPath(names.fourth));
  auto reloaded = RecognitionDictionary::LoadLearned(layout_, paths);
  if (auto* fresh = std::get_if<std::unique_ptr<RecognitionDictionary>>(&reloaded))
    slots_[*slot] = std::move(*fresh);
  Renumber();
  return true;
}

}  // namespace kernel
