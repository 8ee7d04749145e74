// The handwriting sentence engine: the strokes of one request are grouped
// into character cells under eight gap limits at once, every distinct cell
// is recognized once, neighbouring cells are merged into further cells, and
// the candidates of all cells go into the back-trace table as syllables of
// the pronunciations (the characters' codes), frames two apart per cell
// boundary, for the language-model back end to read sentences from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/NetSearchEngine/hwr_cell_recognizer.h"
#include "engine/NetSearchEngine/hwr_recognizer_record.h"
#include "engine/NetSearchEngine/hwr_segment_track.h"
#include "engine/SyllableLatticeEngine/lattice_engine.h"

namespace vok {

class HwrCodeConversion;
class SymbolTable;

struct HwrCell {
  static constexpr int kMaxCandidates = 20;

  int32_t first_stroke = 0;
  int32_t strokes = 0;
  HwrBox box;
  int32_t points = 0;
  bool penalty = false;
  // Positions in the request's points; end = start + points.
  int32_t start = 0;
  int32_t end = 0;
  int32_t candidate_count = 0;
  int32_t scores[kMaxCandidates] = {};
  uint16_t codes[kMaxCandidates] = {};
};

class HWRLatticeEngine : public LatticeEngine, private HwrCellSink {
 public:
  static constexpr int kTracks = 8;
  static constexpr int kSyllableLength = 2;
  static constexpr int kVerticalLimit = 80;
  static constexpr int kCellGrowth = 50;
  // Cells beyond these get the penalty flag.
  static constexpr int kPenaltyStrokes = 100;
  static constexpr int kPenaltyPoints = 1000;
  static constexpr int kMinCellPoints = 4;
  // A first candidate written with three strokes more than its dictionary
  // count penalises its cell; penalised scores are ten times larger.
  static constexpr int kPenaltyStrokeDifference = -2;
  static constexpr int kPenaltyFactor = 10;
  // The candidate of a cell that no recognizer read.
  static constexpr uint16_t kPlaceholderCode = 35050;
  static constexpr int32_t kPlaceholderScore = 0x7FFFFFFF;
  // Recognizer scores (lower better) become table scores (higher better).
  static constexpr int kScoreDivisor = -18;
  // Too little ink for the segmentation step.
  static constexpr int kMinSegmentPoints = 9;
  static constexpr int kMinSegmentDiagonal = 13;
  // A merged cell takes fewer strokes and points than these.
  static constexpr int kMergeStrokes = 101;
  static constexpr int kMergePoints = 1001;
  static constexpr int kMaxGestureStrokes = 3;

  // The table and the syllable names (those of the pronunciations, whose
  // syllables are the characters' codes as "%02x%02x") are the caller's; so
  // is the conversion table, which may be null.
  HWRLatticeEngine(BackTraceTable* table, const SymbolTable* syllables, const HwrCodeConversion* conversion);
  ~HWRLatticeEngine() override;

  // Starts a request: the table, and the record's ink, cells and tracks.
  int StartUtterance() override;
  // The segmentation step, then the lattice into the table, then the base's
  // finish. -1 when the segmentation step or the lattice failed.
  int FinishUtterance() override;
  int64_t GetMemoryUsage() const override;
  void PrintHeader() const override;

  // Appends the points of a stroke; -1 for an empty stroke or a request
  // that would pass HwrInk::kMaxPoints.
  int TakeStroke(const InkPoint* points, int count);
  // Every track takes the strokes it has not taken yet (the newest of
  // them `stroke_length` points long); -1 when a cell could not be kept or
  // the length is not that of the newest stroke, else 0.
  int TrackStep(int stroke_length);
  // With segmentation off: the strokes join the one cell of track 0.
  int SingleCellStep(int stroke_length);
  // Closes every track, collects the boundaries and merges neighbours; -1
  // for fewer than 9 points, a box diagonal under 13 or boundaries beyond
  // the table's last frame.
  int SegmentationStep();
  // The whole request as one cell: codes and scores of up to `room`
  // candidates; their number.
  int RecognizeSingleCell(uint16_t* codes, int32_t* scores, int room);
  // Reads a stroke file and runs it as one request: 1, 0 when the file
  // cannot be read, -1 when it is malformed (nothing is taken) or a track
  // step fails.
  int ProcessStrokeFile(const char* path);
  // 1 with the name and score of the gesture template that the request
  // matches (range flag 8, one cell of at most three strokes; the
  // anti-gesture model must not match with a lower score), else 0.
  int RecognizeGesture(std::string* name, int64_t* score) const;
  // 1 with the punctuation template that the request matches (range flag
  // 0x100, one cell of at most three strokes), else 0.
  int RecognizePunctuation(std::string* name, int64_t* score) const;

  HWRRecognizerRecord* record() const { return record_.get(); }
  const std::vector<HwrCell>& cells() const { return cells_; }
  const std::vector<int32_t>& boundaries() const { return boundaries_; }
  const HwrSegmentTrack& track(int t) const { return tracks_[t]; }
  // The gap limits of track t under the current settings.
  HwrGapLimits TrackLimits(int t) const;

 private:
  bool EmitCell(const HwrStrokeSpan& span) override;
  // Recognizes the strokes into the cell (steps up to the placeholder).
  void RecognizeCell(HwrCell* cell);
  const HwrCell* FindCell(int32_t start, int32_t end) const;
  bool AddCell(const HwrCell& cell);
  void MergeNeighbours();
  int WriteLattice();
  // The fewest cells that any track sees in the request so far.
  int FewestCells() const;
  bool TemplateTestApplies(int32_t flag) const;

  std::unique_ptr<HWRRecognizerRecord> record_;
  const SymbolTable* syllables_;
  HwrSegmentTrack tracks_[kTracks];
  std::vector<HwrCell> cells_;
  std::unordered_map<int64_t, int> cell_index_;
  std::vector<int32_t> boundaries_;
  HwrCellRecognizer cell_recognizer_;
  HwrCandidate candidates_[HwrCellRecognizer::kMaxCandidates];
  bool segmented_ = false;
};

}  // namespace vok
