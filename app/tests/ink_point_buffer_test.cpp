#include "app/core/ink_point_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/ink_pause.h"

namespace {

using namespace wrendle::app;
using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;
using wrendle::StrokeListView;

TEST(InkPointBufferTest, StrokesGetHeadersOfThePointsTaken) {
  CInkPointBuffer buffer;
  ASSERT_TRUE(buffer.BeginStroke());
  buffer.AddPoint(1, 2);
  buffer.AddPoint(3, 4);
  EXPECT_EQ(buffer.EndStroke(), 2);
  const auto list = buffer.TerminatedList();
  const auto view = StrokeListView::Parse(list);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->stroke_count(), 1u);
  EXPECT_EQ(view->point_count(), 2u);
}

TEST(InkPointBufferTest, StrokeWithoutPointsLeavesNothing) {
  CInkPointBuffer buffer;
  buffer.BeginStroke();
  buffer.AddPoint(5, 5);
  buffer.EndStroke();
  buffer.BeginStroke();
  EXPECT_EQ(buffer.EndStroke(), 0);
  buffer.BeginStroke();
  buffer.AddPoint(7, 7);
  buffer.EndStroke();
  const auto view = StrokeListView::Parse(buffer.TerminatedList());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->stroke_count(), 2u) << "no end entry in the middle";
}

TEST(InkPointBufferTest, FullBufferStillParsesAndCountsOnlyPointsTaken) {
  CInkPointBuffer buffer;
  ASSERT_TRUE(buffer.BeginStroke());
  int taken = 0;
  for (int i = 0; i < 2000; ++i) taken += buffer.AddPoint(i, i) ? 1 : 0;
  EXPECT_EQ(taken, 1022) << "1023 entries: the header and 1022 points";
  EXPECT_EQ(buffer.EndStroke(), 1022);
  EXPECT_EQ(buffer.count(), CInkPointBuffer::kUsableValues);
  EXPECT_FALSE(buffer.BeginStroke()) << "no room for another header";
  EXPECT_FALSE(buffer.AddPoint(1, 1));
  EXPECT_EQ(buffer.EndStroke(), 0);
  EXPECT_FALSE(buffer.Add(1, 1));
  const auto list = buffer.TerminatedList();
  EXPECT_EQ(list.size(), 1024u);
  const auto view = StrokeListView::Parse(list);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->point_count(), 1022u);
}

TEST(InkPointBufferTest, HeaderAtTheLastSlotIsTakenBack) {
  CInkPointBuffer buffer;
  buffer.BeginStroke();
  for (int i = 0; i < 1021; ++i) buffer.AddPoint(i, 0);
  buffer.EndStroke();
  ASSERT_TRUE(buffer.BeginStroke()) << "one entry left: the header fits";
  EXPECT_FALSE(buffer.AddPoint(9, 9));
  EXPECT_EQ(buffer.EndStroke(), 0);
  const auto view = StrokeListView::Parse(buffer.TerminatedList());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->stroke_count(), 1u);
}

TEST(InkPointBufferTest, ClearKeepsNothingAndSetStaysBelowTheEndEntry) {
  CInkPointBuffer buffer;
  EXPECT_TRUE(buffer.Add(4, 4));
  buffer.Clear();
  EXPECT_EQ(buffer.TerminatedList().size(), 1u);
  EXPECT_FALSE(buffer.Set(CInkPointBuffer::kUsableValues, 1, 1));
  EXPECT_FALSE(buffer.Set(3, 1, 1));
  EXPECT_TRUE(buffer.Set(CInkPointBuffer::kUsableValues - 2, 1, 1));
}

TEST(CopyStrokesTest, CopiesWholeStrokesThatFit) {
  StrokeListBuilder builder;
  std::vector<StrokeEntry> points(600, StrokeEntry{3, 4});
  builder.AddStroke(points).AddStroke(points).AddStroke({{1, 1}});
  const auto list = builder.Build();
  ASSERT_GT(list.size(), 1023u) << "longer than the box holds";
  CInkPointBuffer buffer;
  EXPECT_EQ(CopyStrokes(buffer, list), 1u) << "the second stroke does not fit whole";
  const auto view = StrokeListView::Parse(buffer.TerminatedList());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->point_count(), 600u);
}

TEST(CopyStrokesTest, MalformedListLeavesTheBufferEmpty) {
  CInkPointBuffer buffer;
  buffer.Add(1, 1);
  const std::vector<StrokeEntry> bad{{3, 0}, {1, 1}, {0, 0}};
  EXPECT_EQ(CopyStrokes(buffer, bad), 0u);
  EXPECT_EQ(buffer.count(), 0u);
}

// Records what the arbiter asks of the boxes' windows.
class RecordingHost : public InkPauseHost {
 public:
  std::vector<std::string> log;
  bool timers_work = true;
  bool StartPauseTimer(InkBoxKey box, std::uint32_t ms) override {
    log.push_back("start " + std::to_string(box) + " " + std::to_string(ms));
    return timers_work;
  }
  void StopPauseTimer(InkBoxKey box) override { log.push_back("stop " + std::to_string(box)); }
  void RecognizeInk(InkBoxKey box) override { log.push_back("ink " + std::to_string(box)); }
  std::vector<std::string> Take() { return std::exchange(log, {}); }
};

using Log = std::vector<std::string>;

TEST(InkPauseTest, PauseEndsWithTheTimer) {
  RecordingHost host;
  InkPauseArbiter arbiter(host);
  arbiter.Press(1, 500);
  arbiter.PenUp(1, 500);
  EXPECT_EQ(host.Take(), (Log{"start 1 500"}));
  arbiter.Press(1, 500);  // a second stroke in the same box restarts the pause
  arbiter.PenUp(1, 500);
  EXPECT_EQ(host.Take(), (Log{"stop 1", "start 1 500"}));
  arbiter.Timer(1);
  EXPECT_EQ(host.Take(), (Log{"stop 1", "ink 1"}));
  EXPECT_EQ(arbiter.pending(), kNoInkBox);
}

TEST(InkPauseTest, PressInAnotherBoxRecognizesTheWaitingInkFirst) {
  RecordingHost host;
  InkPauseArbiter arbiter(host);
  arbiter.Press(1, 500);
  arbiter.PenUp(1, 500);
  host.Take();
  arbiter.Press(2, 500);
  EXPECT_EQ(host.Take(), (Log{"stop 1", "ink 1"})) << "the timer is stopped on the window it was set on";
  arbiter.PenUp(2, 500);
  arbiter.Timer(2);
  EXPECT_EQ(host.Take(), (Log{"start 2 500", "stop 2", "ink 2"}));
}

TEST(InkPauseTest, BoxWithoutPauseSendsAtEachPenUp) {
  RecordingHost host;
  InkPauseArbiter arbiter(host);
  arbiter.Press(1, 0);
  arbiter.PenUp(1, 0);
  arbiter.Press(1, 0);
  arbiter.PenUp(1, 0);
  EXPECT_EQ(host.Take(), (Log{"ink 1", "ink 1"}));
}

TEST(InkPauseTest, DestroyedBoxLeavesNothingPending) {
  RecordingHost host;
  InkPauseArbiter arbiter(host);
  arbiter.Press(1, 500);
  arbiter.PenUp(1, 500);
  arbiter.Forget(1);
  EXPECT_EQ(arbiter.pending(), kNoInkBox);
  arbiter.Press(2, 500);
  EXPECT_EQ(host.Take(), (Log{"start 1 500", "stop 1"}));
}

TEST(InkPauseTest, FailedTimerSendsTheInkAtOnce) {
  RecordingHost host;
  host.timers_work = false;
  InkPauseArbiter arbiter(host);
  arbiter.PenUp(3, 500);
  EXPECT_EQ(host.Take(), (Log{"start 3 500", "ink 3"}));
  EXPECT_EQ(arbiter.pending(), kNoInkBox);
}

}  // namespace
