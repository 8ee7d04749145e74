#include "engine/NetSearchEngine/hwr_segment_track.h"

namespace vok {
namespace {

// A and B of a three-box resolution go out as one cell when they belong
// together under the allowance and either touch or lie at most half as far
// apart as B and C.
bool PairsBeforeThird(const HwrBox& a, const HwrBox& b, const HwrBox& c, const HwrGapLimits& limits,
                      int32_t allowance) {
  if (!BoxesBelongTogether(a, b, limits, allowance)) return false;
  const int32_t first = BoxGap(a, b);
  return first == 0 || BoxGap(b, c) / first >= 2;
}

}  // namespace

void HwrSegmentTrack::Reset() {
  open_count_ = 0;
  strokes_taken_ = 0;
}

HwrStrokeSpan HwrSegmentTrack::Join(const HwrStrokeSpan& a, const HwrStrokeSpan& b) {
  HwrStrokeSpan joined = a;
  joined.strokes += b.strokes;
  joined.box.Widen(b.box);
  return joined;
}

void HwrSegmentTrack::OpenBox(const HwrBox& stroke) {
  open_[open_count_++] = HwrStrokeSpan{strokes_taken_, 1, stroke};
  ++strokes_taken_;
}

void HwrSegmentTrack::Drop(int n) {
  for (int i = n; i < open_count_; ++i) open_[i - n] = open_[i];
  open_count_ -= n;
}

bool HwrSegmentTrack::TakeStroke(const HwrBox& stroke, const HwrGapLimits& limits, int32_t allowance,
                                 HwrCellSink* sink) {
  if (open_count_ > 0) {
    HwrStrokeSpan& last = open_[open_count_ - 1];
    if (BoxesBelongTogether(last.box, stroke, limits, 0)) {
      last.box.Widen(stroke);
      ++last.strokes;
      ++strokes_taken_;
      return true;
    }
  }
  const bool kept = open_count_ < kMaxOpenBoxes || ResolveThree(limits, allowance, sink);
  OpenBox(stroke);
  return kept;
}

void HwrSegmentTrack::JoinSingle(const HwrBox& stroke) {
  if (open_count_ == 0) {
    OpenBox(stroke);
    return;
  }
  open_[0].box.Widen(stroke);
  ++open_[0].strokes;
  ++strokes_taken_;
}

bool HwrSegmentTrack::ResolveThree(const HwrGapLimits& limits, int32_t allowance, HwrCellSink* sink) {
  const HwrStrokeSpan a = open_[0];
  const HwrStrokeSpan b = open_[1];
  const HwrStrokeSpan c = open_[2];
  if (BoxesBelongTogether(b.box, c.box, limits, 0) && BoxesBelongTogether(a.box, c.box, limits, 0)) {
    open_[0] = Join(Join(a, b), c);
    open_count_ = 1;
    return true;
  }
  if (PairsBeforeThird(a.box, b.box, c.box, limits, allowance)) {
    Drop(2);
    return sink->EmitCell(Join(a, b));
  }
  Drop(1);
  return sink->EmitCell(a);
}

bool HwrSegmentTrack::Close(const HwrGapLimits& limits, int32_t allowance, HwrCellSink* sink) {
  const int n = open_count_;
  open_count_ = 0;
  if (n == 0) return true;
  const HwrStrokeSpan a = open_[0];
  if (n == 1) return sink->EmitCell(a);
  const HwrStrokeSpan b = open_[1];
  if (n == 2) {
    if (BoxesBelongTogether(a.box, b.box, limits, 0)) return sink->EmitCell(Join(a, b));
    return sink->EmitCell(a) && sink->EmitCell(b);
  }
  const HwrStrokeSpan c = open_[2];
  const bool bc = BoxesBelongTogether(b.box, c.box, limits, 0);
  if (bc && BoxesBelongTogether(a.box, c.box, limits, 0)) return sink->EmitCell(Join(Join(a, b), c));
  if (PairsBeforeThird(a.box, b.box, c.box, limits, allowance)) {
    return sink->EmitCell(Join(a, b)) && sink->EmitCell(c);
  }
  if (bc) return sink->EmitCell(a) && sink->EmitCell(Join(b, c));
  return sink->EmitCell(a) && sink->EmitCell(b) && sink->EmitCell(c);
}

}  // namespace vok
