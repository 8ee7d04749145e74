#include "hook/core/stroke_buffer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/stroke_list.h"

namespace wrendle {
bool operator==(const StrokeEntry& a, const StrokeEntry& b) { return a.x == b.x && a.y == b.y; }
}  // namespace wrendle

namespace jebhook {
namespace {

using wrendle::StrokeEntry;
using wrendle::StrokeListView;

std::vector<StrokeEntry> Used(const StrokeBuffer& buffer) {
  const auto span = UsedSpan(buffer);
  return {span.begin(), span.end()};
}

class StrokeBufferTest : public ::testing::Test {
 protected:
  StrokeBufferTest() : buffer_(std::make_unique<StrokeBuffer>()), writer_(*buffer_) { writer_.Clear(); }

  // One stroke of `count` points (i, 2i).
  void Stroke(int count, int first = 1) {
    writer_.BeginStroke();
    for (int i = first; i < first + count; ++i) writer_.Append(i, 2 * i);
    writer_.CloseStroke();
  }

  std::unique_ptr<StrokeBuffer> buffer_;
  StrokeWriter writer_;
};

TEST_F(StrokeBufferTest, StrokesAndEndEntryFormAStrokeList) {
  Stroke(2);
  Stroke(1, 7);
  writer_.Finish();
  const std::vector<StrokeEntry> expected = {{2, 0}, {1, 2}, {2, 4}, {1, 0}, {7, 14}, {0, 0}};
  EXPECT_EQ(Used(*buffer_), expected);
  EXPECT_EQ(buffer_->open_header, -1);
}

TEST_F(StrokeBufferTest, ClosingWritesAnUncountedEndEntry) {
  Stroke(2);
  EXPECT_EQ(UsedEntries(*buffer_), 3);
  EXPECT_TRUE(buffer_->entries[3] == (StrokeEntry{0, 0}));
  // An open stroke's header counts nothing until it is closed.
  writer_.BeginStroke();
  writer_.Append(9, 9);
  EXPECT_EQ(buffer_->open_header, 3);
  EXPECT_TRUE(buffer_->entries[3] == (StrokeEntry{0, 0}));
}

TEST_F(StrokeBufferTest, FinishClosesAnOpenStroke) {
  writer_.BeginStroke();
  writer_.Append(5, 6);
  writer_.Finish();
  const std::vector<StrokeEntry> expected = {{1, 0}, {5, 6}, {0, 0}};
  EXPECT_EQ(Used(*buffer_), expected);
}

TEST_F(StrokeBufferTest, EmptyCaptureIsTheEndEntryAlone) {
  writer_.Finish();
  EXPECT_EQ(Used(*buffer_), (std::vector<StrokeEntry>{{0, 0}}));
}

TEST_F(StrokeBufferTest, AppendingBeyondTheLastEntryIsIgnored) {
  writer_.BeginStroke();
  for (int i = 0; i < 3000; ++i) writer_.Append(i, i);
  EXPECT_EQ(UsedEntries(*buffer_), kStrokeBufferEntries);
  EXPECT_TRUE(buffer_->entries[2047] == (StrokeEntry{2046, 2046}));
  writer_.CloseStroke();
  EXPECT_TRUE(buffer_->spare == (StrokeEntry{0, 0}));
}

// Full buffers at the finish: (points of the strokes before the last one,
// index of the last header) and the count the last stroke is cut to.
struct FullCase {
  const char* name;
  std::vector<int> earlier_strokes;
  int last_header;
  int last_count;  // after the repair; 0 when its header became the end
};

class FullBufferTest : public StrokeBufferTest, public ::testing::WithParamInterface<FullCase> {};

TEST_P(FullBufferTest, IsRepairedToEndInside) {
  for (int count : GetParam().earlier_strokes) Stroke(count);
  writer_.BeginStroke();
  EXPECT_EQ(buffer_->open_header, GetParam().last_header);
  for (int i = 0; i < 3000; ++i) writer_.Append(100 + i, 1);
  writer_.Finish();

  EXPECT_EQ(UsedEntries(*buffer_), kStrokeBufferEntries);
  EXPECT_TRUE(buffer_->entries[2047] == (StrokeEntry{0, 0}));
  EXPECT_EQ(buffer_->entries[GetParam().last_header].x, GetParam().last_count);
  const auto view = StrokeListView::Parse(UsedSpan(*buffer_));
  ASSERT_TRUE(view.has_value());
  EXPECT_EQ(view->stroke_count(), GetParam().earlier_strokes.size() + (GetParam().last_count > 0 ? 1 : 0));
  if (GetParam().last_count > 0) {
    EXPECT_EQ(view->strokes().back().points.back().x, 100 + GetParam().last_count - 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FullBufferTest,
                         ::testing::Values(FullCase{"one_stroke", {}, 0, 2046},
                                           FullCase{"after_a_stroke", {10}, 11, 2035},
                                           FullCase{"two_points_left", {2043}, 2044, 2},
                                           FullCase{"one_point_left", {2044}, 2045, 1},
                                           FullCase{"no_point_left", {2045}, 2046, 0},
                                           FullCase{"header_last", {2046}, 2047, 0}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(StrokeBufferTest, EndEntryFitsInTheLastEntry) {
  Stroke(2046);  // entries 0..2046
  writer_.Finish();
  EXPECT_EQ(UsedEntries(*buffer_), kStrokeBufferEntries);
  EXPECT_EQ(buffer_->entries[0].x, 2046);
  EXPECT_TRUE(buffer_->entries[2047] == (StrokeEntry{0, 0}));
}

TEST_F(StrokeBufferTest, BoundsCoverEveryPoint) {
  writer_.BeginStroke();
  writer_.Append(10, 40);
  writer_.Append(30, 20);
  writer_.CloseStroke();
  writer_.BeginStroke();
  writer_.Append(-5, 25);
  writer_.CloseStroke();
  writer_.Finish();
  EXPECT_EQ(PointBounds(*buffer_), (Rect{-5, 20, 30, 40}));
}

TEST_F(StrokeBufferTest, NoPointsNoBounds) {
  writer_.Finish();
  EXPECT_FALSE(PointBounds(*buffer_).has_value());
}

TEST_F(StrokeBufferTest, ForeignCountsAreClamped) {
  buffer_->used = 99999;
  EXPECT_EQ(UsedEntries(*buffer_), kStrokeBufferEntries);
  buffer_->used = -4;
  EXPECT_EQ(UsedEntries(*buffer_), 0);
  buffer_->open_header = 77;  // beyond the used entries: no open stroke
  writer_.CloseStroke();
  EXPECT_EQ(UsedEntries(*buffer_), 0);
}

}  // namespace
}  // namespace jebhook
