#include "hook/core/capture.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/stroke_list.h"
#include "hook/core/pause_timer.h"
#include "hook/tests/block_fixture.h"

namespace jebhook {
namespace {

using wrendle::StrokeEntry;

std::vector<std::pair<int, int>> Used(const SharedBlock& block) {
  std::vector<std::pair<int, int>> entries;
  for (const StrokeEntry& e : UsedSpan(ReadBuffer(block))) entries.emplace_back(e.x, e.y);
  return entries;
}

class CaptureTest : public ::testing::Test {
 protected:
  std::unique_ptr<SharedBlock> block_ = testing::MakeBlock();
};

TEST_F(CaptureTest, BeginEmptiesTheBufferAndCounts) {
  StrokeWriter(WriteBuffer(*block_)).Append(1, 1);
  EXPECT_EQ(BeginCapture(*block_), 1);
  EXPECT_EQ(UsedEntries(WriteBuffer(*block_)), 0);
  EXPECT_EQ(block_->capture_on, 1);
  EXPECT_EQ(BeginCapture(*block_), 2);
}

TEST_F(CaptureTest, OneStrokeFromPressToRelease) {
  BeginCapture(*block_);
  ASSERT_TRUE(PenDown(*block_, {10, 20}));
  EXPECT_EQ(PenMove(*block_, {11, 20}), (Segment{{10, 20}, {11, 20}}));
  EXPECT_EQ(PenMove(*block_, {11, 20}), std::nullopt);  // same point: nothing
  EXPECT_EQ(PenMove(*block_, {12, 22}), (Segment{{11, 20}, {12, 22}}));
  const PenUpResult up = PenUp(*block_, {12, 22});
  EXPECT_TRUE(up.stroke_closed);
  EXPECT_FALSE(up.segment.has_value());
  EXPECT_EQ(block_->pen_down, 0);

  const auto end = EndCapture(*block_, 2);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->counter, 1);
  EXPECT_EQ(end->ink, (Rect{10 - 5, 20 - 5, 12 + 5, 22 + 5}));
  EXPECT_EQ(Used(*block_), (std::vector<std::pair<int, int>>{{3, 0}, {10, 20}, {11, 20}, {12, 22}, {0, 0}}));
  EXPECT_EQ(block_->capture_on, 0);
}

TEST_F(CaptureTest, ReleaseAtANewPointAppendsIt) {
  BeginCapture(*block_);
  PenDown(*block_, {10, 20});
  const PenUpResult up = PenUp(*block_, {15, 20});
  EXPECT_EQ(up.segment, (Segment{{10, 20}, {15, 20}}));
  EndCapture(*block_, 1);
  EXPECT_EQ(Used(*block_), (std::vector<std::pair<int, int>>{{2, 0}, {10, 20}, {15, 20}, {0, 0}}));
}

TEST_F(CaptureTest, MovesWithThePenUpAddNothing) {
  BeginCapture(*block_);
  PenDown(*block_, {1, 1});
  PenUp(*block_, {1, 1});
  EXPECT_EQ(PenMove(*block_, {5, 5}), std::nullopt);
  EXPECT_EQ(block_->last_point, (Point32{5, 5}));
  EXPECT_FALSE(PenUp(*block_, {6, 6}).stroke_closed);
  EndCapture(*block_, 1);
  EXPECT_EQ(Used(*block_), (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {0, 0}}));
}

TEST_F(CaptureTest, NothingHappensWhileTheCaptureIsOff) {
  EXPECT_FALSE(PenDown(*block_, {1, 1}));
  EXPECT_EQ(PenMove(*block_, {2, 2}), std::nullopt);
  EXPECT_EQ(block_->last_point, (Point32{0, 0}));
  EXPECT_FALSE(PenUp(*block_, {2, 2}).stroke_closed);
}

TEST_F(CaptureTest, ASecondEndReportsNothing) {
  BeginCapture(*block_);
  PenDown(*block_, {1, 1});
  PenUp(*block_, {1, 1});
  ASSERT_TRUE(EndCapture(*block_, 2).has_value());
  EXPECT_FALSE(EndCapture(*block_, 2).has_value());
  // The list of the ended capture stays as it was.
  EXPECT_EQ(Used(*block_), (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {0, 0}}));
}

TEST_F(CaptureTest, APressWithoutReleaseClosesThePreviousStroke) {
  BeginCapture(*block_);
  PenDown(*block_, {1, 1});
  PenMove(*block_, {2, 1});
  PenDown(*block_, {5, 5});
  PenUp(*block_, {5, 5});
  EndCapture(*block_, 1);
  EXPECT_EQ(Used(*block_),
            (std::vector<std::pair<int, int>>{{2, 0}, {1, 1}, {2, 1}, {1, 0}, {5, 5}, {0, 0}}));
}

TEST_F(CaptureTest, EndWithoutPointsHasNoInk) {
  BeginCapture(*block_);
  const auto end = EndCapture(*block_, 2);
  ASSERT_TRUE(end.has_value());
  EXPECT_FALSE(end->ink.has_value());
  EXPECT_EQ(Used(*block_), (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_F(CaptureTest, ForeignBufferIndicesFallBackToTheFirst) {
  block_->write_buffer = 7;
  block_->read_buffer = -1;
  EXPECT_EQ(&WriteBuffer(*block_), &block_->buffers[0]);
  EXPECT_EQ(&ReadBuffer(*block_), &block_->buffers[0]);
}

TEST(PauseTimerTest, OnlyTheArmingThreadIsToldToKillIt) {
  auto block = testing::MakeBlock();
  EXPECT_FALSE(PauseTimerRunning(*block));
  MarkPauseTimerArmed(*block, 10);
  EXPECT_TRUE(PauseTimerRunning(*block));
  EXPECT_TRUE(StopPauseTimer(*block, 10));
  EXPECT_FALSE(PauseTimerRunning(*block));

  MarkPauseTimerArmed(*block, 10);
  EXPECT_FALSE(StopPauseTimer(*block, 11));  // stopped, but 10 still has the timer
  EXPECT_FALSE(PauseTimerRunning(*block));
  EXPECT_FALSE(TakePauseTimerExpiry(*block, 10));  // the orphan fires silently
}

TEST(PauseTimerTest, AnOrphanDoesNotFireForATimerArmedElsewhere) {
  auto block = testing::MakeBlock();
  MarkPauseTimerArmed(*block, 10);
  StopPauseTimer(*block, 11);
  MarkPauseTimerArmed(*block, 11);
  EXPECT_FALSE(TakePauseTimerExpiry(*block, 10));
  EXPECT_TRUE(PauseTimerRunning(*block));
  EXPECT_TRUE(TakePauseTimerExpiry(*block, 11));
  EXPECT_FALSE(PauseTimerRunning(*block));
  EXPECT_FALSE(TakePauseTimerExpiry(*block, 11));
}

}  // namespace
}  // namespace jebhook
