#include "engine/NetSearchEngine/hwr_segment_track.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using vok::HwrBox;
using vok::HwrSegmentTrack;
using vok::HwrStrokeSpan;

class RecordingSink : public vok::HwrCellSink {
 public:
  bool EmitCell(const HwrStrokeSpan& span) override {
    cells.push_back({span.first_stroke, span.strokes});
    return accept;
  }
  std::vector<std::pair<int, int>> cells;  // (first stroke, strokes)
  bool accept = true;
};

constexpr vok::HwrGapLimits kLimits{10, 80};

// A 10 x 10 stroke box at x.
HwrBox At(int x) { return HwrBox{x, 0, x + 10, 10}; }

std::vector<std::pair<int, int>> Segment(const std::vector<int>& xs, int allowance = 0) {
  HwrSegmentTrack track;
  RecordingSink sink;
  for (int x : xs) EXPECT_TRUE(track.TakeStroke(At(x), kLimits, allowance, &sink));
  EXPECT_TRUE(track.Close(kLimits, allowance, &sink));
  EXPECT_EQ(track.open_count(), 0);
  return sink.cells;
}

using Cells = std::vector<std::pair<int, int>>;

TEST(HwrSegmentTrackTest, StrokesJoinTheLastBoxWithinTheLimit) {
  // 0 and 15 are 5 apart: one box; 100 is far: a second box.
  EXPECT_EQ(Segment({0, 15, 100}), (Cells{{0, 2}, {2, 1}}));
}

TEST(HwrSegmentTrackTest, FourthBoxResolvesTheOldest) {
  // Far apart everywhere: A goes out alone when D arrives, and so on.
  EXPECT_EQ(Segment({0, 100, 200, 300, 400}), (Cells{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));
}

TEST(HwrSegmentTrackTest, ThreeBoxResolutionCases) {
  struct Case {
    const char* what;
    std::vector<HwrBox> boxes;
    int allowance;
    Cells cells;
  };
  const Case cases[] = {
      // B-C and A-C belong together: one box, which the far stroke follows.
      // A stroke that widens C over A and B.
      {"all three", {At(0), At(30), At(60), {0, 0, 65, 10}, At(300)}, 0, {{0, 4}, {4, 1}}},
      // A-B within the allowance (gap 12 < 10 + 3) and B-C twice as far.
      {"pair before third", {At(0), At(22), At(58), At(300)}, 3, {{0, 2}, {2, 1}, {3, 1}}},
      // B-C not twice the A-B gap: A alone.
      {"ratio too small", {At(0), At(22), At(45), At(300)}, 3, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
      // A-B beyond even the allowance.
      {"beyond allowance", {At(0), At(40), At(200), At(400)}, 3, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
  };
  for (const Case& c : cases) {
    HwrSegmentTrack track;
    RecordingSink sink;
    for (const HwrBox& box : c.boxes) track.TakeStroke(box, kLimits, c.allowance, &sink);
    track.Close(kLimits, c.allowance, &sink);
    EXPECT_EQ(sink.cells, c.cells) << c.what;
  }
}

TEST(HwrSegmentTrackTest, ClosingTwoAndThreeBoxes) {
  struct Case {
    const char* what;
    std::vector<HwrBox> boxes;
    Cells cells;
  };
  const Case cases[] = {
      {"two apart", {At(0), At(100)}, {{0, 1}, {1, 1}}},
      {"two that now belong together", {At(0), At(100), {5, 0, 95, 10}}, {{0, 3}}},
      // The last stroke joins C and widens it up to B.
      {"three: B with C", {At(0), At(100), At(200), {112, 0, 205, 10}}, {{0, 1}, {1, 3}}},
      {"three apart", {At(0), At(100), At(200)}, {{0, 1}, {1, 1}, {2, 1}}},
  };
  for (const Case& c : cases) {
    HwrSegmentTrack track;
    RecordingSink sink;
    for (const HwrBox& box : c.boxes) track.TakeStroke(box, kLimits, 0, &sink);
    track.Close(kLimits, 0, &sink);
    EXPECT_EQ(sink.cells, c.cells) << c.what;
  }
}

TEST(HwrSegmentTrackTest, RefusedCellFailsTheStep) {
  HwrSegmentTrack track;
  RecordingSink sink;
  sink.accept = false;
  for (int x : {0, 100, 200}) EXPECT_TRUE(track.TakeStroke(At(x), kLimits, 0, &sink));
  EXPECT_FALSE(track.TakeStroke(At(300), kLimits, 0, &sink));
  EXPECT_EQ(track.strokes_taken(), 4);
}

}  // namespace
