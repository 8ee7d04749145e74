#include "engine/NetSearchEngine/hwr_lattice_engine.h"

#include <algorithm>
#include <cstdio>

#include "engine/NetSearchEngine/hwr_stroke_file.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "platform/file_access.h"

namespace vok {
namespace {

int64_t CellKey(int32_t start, int32_t end) { return int64_t{start} << 32 | static_cast<uint32_t>(end); }

// The table score of a candidate that starts from `base`: its recognizer
// score (placeholders and penalised scores included) turned around and held
// inside the 16-bit range, above the empty score.
int16_t TableScore(int32_t candidate_score, int16_t base) {
  const int64_t score = candidate_score / HWRLatticeEngine::kScoreDivisor + int64_t{base};
  return static_cast<int16_t>(std::clamp<int64_t>(score, kEmptyScore + 1, INT16_MAX));
}

// The syllable of a character code: the code's bytes as the pronunciations
// spell them ("%02x%02x"; a Latin letter, code x 256, as its byte and 0).
int SyllableOfCode(const SymbolTable& syllables, uint16_t code) {
  const char text[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), '\0'};
  std::string name;
  WordToCodePron(text, &name);
  return syllables.Find(name.c_str());
}

void PrintRule() { LogPrint("----------------------------------------\n"); }

}  // namespace

HWRLatticeEngine::HWRLatticeEngine(BackTraceTable* table, const SymbolTable* syllables,
                                   const HwrCodeConversion* conversion)
    : LatticeEngine(table),
      record_(std::make_unique<HWRRecognizerRecord>(conversion)),
      syllables_(syllables) {
  cells_.reserve(kCellGrowth);
}

HWRLatticeEngine::~HWRLatticeEngine() = default;

HwrGapLimits HWRLatticeEngine::TrackLimits(int t) const {
  const HwrSettings& s = record_->settings;
  const int32_t gap = int32_t{s.segment_delta} * t + s.initial_segment_delta;
  if (s.writing_direction != 0) return HwrGapLimits{gap, kVerticalLimit};
  return HwrGapLimits{kVerticalLimit, gap};
}

int HWRLatticeEngine::StartUtterance() {
  LatticeEngine::StartUtterance();
  record_->ink.Clear();
  for (HwrSegmentTrack& track : tracks_) track.Reset();
  cells_.clear();
  cell_index_.clear();
  boundaries_.clear();
  segmented_ = false;
  return 0;
}

int HWRLatticeEngine::TakeStroke(const InkPoint* points, int count) {
  return record_->ink.AddStroke(points, count) ? 0 : -1;
}

int HWRLatticeEngine::TrackStep(int stroke_length) {
  const HwrInk& ink = record_->ink;
  const int strokes = ink.stroke_count();
  if (strokes == 0 || stroke_length != ink.stroke_length(strokes - 1)) return -1;
  // Each track catches up from its own count, so that strokes joined by the
  // single-cell step keep their places in every track.
  int result = 0;
  for (int t = 0; t < kTracks; ++t) {
    for (int s = tracks_[t].strokes_taken(); s < strokes; ++s) {
      if (!tracks_[t].TakeStroke(ink.StrokeBox(s), TrackLimits(t), t * 10 / 3, this)) result = -1;
    }
  }
  return result;
}

int HWRLatticeEngine::SingleCellStep(int stroke_length) {
  const HwrInk& ink = record_->ink;
  const int strokes = ink.stroke_count();
  if (strokes == 0 || stroke_length != ink.stroke_length(strokes - 1)) return -1;
  for (int s = tracks_[0].strokes_taken(); s < strokes; ++s) tracks_[0].JoinSingle(ink.StrokeBox(s));
  return 0;
}

const HwrCell* HWRLatticeEngine::FindCell(int32_t start, int32_t end) const {
  const auto found = cell_index_.find(CellKey(start, end));
  return found == cell_index_.end() ? nullptr : &cells_[static_cast<std::size_t>(found->second)];
}

bool HWRLatticeEngine::AddCell(const HwrCell& cell) {
  if (cells_.size() == cells_.capacity()) cells_.reserve(cells_.capacity() + kCellGrowth);
  cell_index_.emplace(CellKey(cell.start, cell.end), static_cast<int>(cells_.size()));
  cells_.push_back(cell);
  return true;
}

void HWRLatticeEngine::RecognizeCell(HwrCell* cell) {
  const HwrInk& ink = record_->ink;
  cell->points = cell->end - cell->start;
  cell->penalty =
      cell->strokes > kPenaltyStrokes || cell->points > kPenaltyPoints || cell->points < kMinCellPoints;
  const int found = cell_recognizer_.Recognize(*record_, ink.points() + cell->start, cell->strokes,
                                               ink.stroke_lengths() + cell->first_stroke, candidates_);
  const int kept = std::min(found, HwrCell::kMaxCandidates);
  if (kept > 0 && candidates_[0].stroke_difference < kPenaltyStrokeDifference) cell->penalty = true;
  for (int i = 0; i < kept; ++i) {
    const int64_t score = int64_t{candidates_[i].score} * (cell->penalty ? kPenaltyFactor : 1);
    cell->codes[i] = candidates_[i].code;
    cell->scores[i] = static_cast<int32_t>(std::min<int64_t>(score, INT32_MAX));
  }
  cell->candidate_count = kept;
  if (kept == 0) {
    cell->candidate_count = 1;
    cell->codes[0] = kPlaceholderCode;
    cell->scores[0] = kPlaceholderScore;
  }
}

bool HWRLatticeEngine::EmitCell(const HwrStrokeSpan& span) {
  const HwrInk& ink = record_->ink;
  HwrCell cell;
  cell.first_stroke = span.first_stroke;
  cell.strokes = span.strokes;
  cell.box = span.box;
  cell.start = ink.stroke_start(span.first_stroke);
  cell.end = ink.stroke_start(span.first_stroke + span.strokes);
  if (FindCell(cell.start, cell.end)) return true;
  RecognizeCell(&cell);
  return AddCell(cell);
}

void HWRLatticeEngine::MergeNeighbours() {
  for (std::size_t k = 0; k + 2 < boundaries_.size(); ++k) {
    const int32_t b0 = boundaries_[k], b1 = boundaries_[k + 1], b2 = boundaries_[k + 2];
    const HwrCell* left = FindCell(b0, b1);
    const HwrCell* right = FindCell(b1, b2);
    if (!left || !right || FindCell(b0, b2)) continue;
    if (left->strokes + right->strokes >= kMergeStrokes || b2 - b0 >= kMergePoints) continue;
    const bool near =
        BoxRelation(left->box, right->box) == HwrBoxRelation::kMeet ||
        BoxGap(left->box, right->box) < std::max(left->box.longest_side(), right->box.longest_side());
    if (!near) continue;
    HwrCell merged;
    merged.first_stroke = left->first_stroke;
    merged.strokes = left->strokes + right->strokes;
    merged.box = left->box;
    merged.box.Widen(right->box);
    merged.start = b0;
    merged.end = b2;
    const int32_t limit = 2 * std::min(AspectRatio(left->box), AspectRatio(right->box));
    if (AspectRatio(merged.box) >= limit) continue;
    RecognizeCell(&merged);
    AddCell(merged);
  }
}

int HWRLatticeEngine::SegmentationStep() {
  const HwrInk& ink = record_->ink;
  if (ink.point_count() < kMinSegmentPoints ||
      IntegerDistance(ink.box().width(), ink.box().height()) < kMinSegmentDiagonal) {
    return -1;
  }
  int result = 0;
  for (int t = 0; t < kTracks; ++t) {
    if (!tracks_[t].Close(TrackLimits(t), t * 10 / 3, this)) result = -1;
  }
  boundaries_.clear();
  if (cells_.empty()) return -1;
  boundaries_.push_back(cells_.front().start);
  for (const HwrCell& cell : cells_) boundaries_.push_back(cell.end);
  std::sort(boundaries_.begin(), boundaries_.end());
  boundaries_.erase(std::unique(boundaries_.begin(), boundaries_.end()), boundaries_.end());
  // The last boundary's frame must be one that the table can still close.
  if (static_cast<int>(boundaries_.size() - 1) * kSyllableLength >= BackTraceTable::kMaxFrame) {
    ErrorSet("HWRLatticeEngine::SegmentationStep", -1, "errTooManyCells");
    return -1;
  }
  MergeNeighbours();
  return result;
}

int HWRLatticeEngine::WriteLattice() {
  if (!table_) return -1;
  std::vector<std::vector<int>> ending(boundaries_.size());
  for (std::size_t c = 0; c < cells_.size(); ++c) {
    const auto end = std::lower_bound(boundaries_.begin(), boundaries_.end(), cells_[c].end);
    const auto start = std::lower_bound(boundaries_.begin(), boundaries_.end(), cells_[c].start);
    if (end == boundaries_.end() || start == boundaries_.end() || *start != cells_[c].start) continue;
    ending[static_cast<std::size_t>(end - boundaries_.begin())].push_back(static_cast<int>(c));
  }
  for (std::size_t k = 1; k < boundaries_.size(); ++k) {
    const int frame = static_cast<int>(k) * kSyllableLength;
    while (table_->current_frame() < frame) {
      if (AdvanceFrame() < 0) return -1;
    }
    for (const int c : ending[k]) {
      const HwrCell& cell = cells_[static_cast<std::size_t>(c)];
      const int start_frame =
          static_cast<int>(std::lower_bound(boundaries_.begin(), boundaries_.end(), cell.start) -
                           boundaries_.begin()) *
          kSyllableLength;
      const int16_t base = table_->best_score(start_frame);
      for (int i = 0; i < cell.candidate_count; ++i) {
        const int syllable = syllables_ ? SyllableOfCode(*syllables_, cell.codes[i]) : -1;
        if (syllable < 0) continue;
        if (table_->AddRecord(static_cast<uint16_t>(syllable), TableScore(cell.scores[i], base),
                              start_frame) < 0)
          return -1;
      }
    }
  }
  return AdvanceFrame();
}

int HWRLatticeEngine::FinishUtterance() {
  int result = -1;
  if (!segmented_) {
    segmented_ = true;
    result = SegmentationStep();
    if (result == 0) result = WriteLattice();
  }
  LatticeEngine::FinishUtterance();
  return result;
}

int HWRLatticeEngine::RecognizeSingleCell(uint16_t* codes, int32_t* scores, int room) {
  const HwrInk& ink = record_->ink;
  if (ink.stroke_count() == 0 || room < 1) return 0;
  const int found = cell_recognizer_.Recognize(*record_, ink.points(), ink.stroke_count(),
                                               ink.stroke_lengths(), candidates_);
  const int n = std::min(found, room);
  for (int i = 0; i < n; ++i) {
    codes[i] = candidates_[i].code;
    scores[i] = candidates_[i].score;
  }
  return n;
}

int HWRLatticeEngine::ProcessStrokeFile(const char* path) {
  const auto bytes = platform::ReadWholeFile(path ? path : "");
  if (!bytes) return 0;
  HwrStrokeFileContent content;
  if (ParseStrokeFile(bytes->data(), bytes->size(), HwrInk::kMaxPoints, &content) < 0) return -1;
  StartUtterance();
  int result = 1;
  const InkPoint* points = content.points.data();
  for (const int length : content.lengths) {
    if (TakeStroke(points, length) < 0 || TrackStep(length) < 0) result = -1;
    points += length;
  }
  FinishUtterance();
  return result;
}

int HWRLatticeEngine::FewestCells() const {
  int fewest = 0;
  for (const HwrSegmentTrack& track : tracks_) {
    if (track.strokes_taken() == 0) continue;
    if (fewest == 0 || track.open_count() < fewest) fewest = track.open_count();
  }
  return fewest;
}

bool HWRLatticeEngine::TemplateTestApplies(int32_t flag) const {
  const int strokes = record_->ink.stroke_count();
  return (record_->settings.range & flag) && strokes >= 1 && strokes <= kMaxGestureStrokes &&
         FewestCells() <= 1;
}

int HWRLatticeEngine::RecognizeGesture(std::string* name, int64_t* score) const {
  const CHWRGestureModel* gesture = record_->gesture();
  if (!gesture || !TemplateTestApplies(kHwrRangeGesture)) return 0;
  const HwrInk& ink = record_->ink;
  std::string found;
  int64_t found_score = 0;
  if (!gesture->Match(ink.points(), ink.stroke_count(), ink.stroke_lengths(), &found, &found_score)) return 0;
  const CHWRGestureModel* anti = record_->anti_gesture();
  int64_t anti_score = 0;
  if (anti && anti->Match(ink.points(), ink.stroke_count(), ink.stroke_lengths(), nullptr, &anti_score) &&
      found_score > anti_score) {
    return 0;
  }
  if (name) *name = found;
  if (score) *score = found_score;
  return 1;
}

int HWRLatticeEngine::RecognizePunctuation(std::string* name, int64_t* score) const {
  const CHWRGestureModel* punctuation = record_->punctuation();
  if (!punctuation || !TemplateTestApplies(kHwrRangePunctuation)) return 0;
  const HwrInk& ink = record_->ink;
  return punctuation->Match(ink.points(), ink.stroke_count(), ink.stroke_lengths(), name, score);
}

int64_t HWRLatticeEngine::GetMemoryUsage() const {
  return static_cast<int64_t>(sizeof(*this)) + record_->ink.capacity_bytes() +
         static_cast<int64_t>(cells_.capacity() * sizeof(HwrCell)) +
         static_cast<int64_t>(boundaries_.capacity() * sizeof(int32_t));
}

void HWRLatticeEngine::PrintHeader() const {
  LogPrint("\nHWRLatticeEngine Header\n");
  PrintRule();
  LogPrint("%-12s    %d\n", "# Syllables:", syllables_ ? syllables_->GetCount() : 0);
  LogPrint("%-12s    %d\n", "Syllable length", kSyllableLength);
  LogPrint("%-12s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  PrintRule();
}

}  // namespace vok
