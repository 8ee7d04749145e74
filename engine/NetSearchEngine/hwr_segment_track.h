// One track of the sentence segmentation: strokes grouped into character
// cells under one gap limit. Up to three cell boxes stay open; a fourth
// box resolves the oldest ones into cells first, and closing the track at
// the end of a request resolves the rest.
#pragma once

#include <cstdint>

#include "engine/NetSearchEngine/hwr_box.h"

namespace vok {

// A run of consecutive strokes that a track makes a cell of.
struct HwrStrokeSpan {
  int32_t first_stroke = 0;
  int32_t strokes = 0;
  HwrBox box;
};

// Takes the cells that tracks emit; false when a cell cannot be kept.
class HwrCellSink {
 public:
  virtual bool EmitCell(const HwrStrokeSpan& span) = 0;

 protected:
  ~HwrCellSink() = default;
};

class HwrSegmentTrack {
 public:
  static constexpr int kMaxOpenBoxes = 3;

  void Reset();
  // The next stroke of the request. `allowance` widens the limits while the
  // oldest boxes are resolved. False when the sink refused a cell.
  bool TakeStroke(const HwrBox& stroke, const HwrGapLimits& limits, int32_t allowance, HwrCellSink* sink);
  // The next stroke joins the track's one box, whatever the gaps.
  void JoinSingle(const HwrBox& stroke);
  // Emits every open box as cells.
  bool Close(const HwrGapLimits& limits, int32_t allowance, HwrCellSink* sink);

  int open_count() const { return open_count_; }
  int strokes_taken() const { return strokes_taken_; }
  const HwrStrokeSpan& open(int i) const { return open_[i]; }

 private:
  static HwrStrokeSpan Join(const HwrStrokeSpan& a, const HwrStrokeSpan& b);
  void OpenBox(const HwrBox& stroke);
  // The three open boxes A, B, C with C the newest: one box, or cells out
  // of the oldest. False when the sink refused a cell.
  bool ResolveThree(const HwrGapLimits& limits, int32_t allowance, HwrCellSink* sink);
  void Drop(int n);

  HwrStrokeSpan open_[kMaxOpenBoxes];
  int open_count_ = 0;
  int32_t strokes_taken_ = 0;
};

}  // namespace vok
