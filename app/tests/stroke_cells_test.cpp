#include "app/core/stroke_cells.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/tests/fakes.h"

namespace {

using app_testing::Line;
using testing::ElementsAre;
using wrendle::StrokeEntry;
using wrendle::StrokeListView;
using namespace wrendle::app;

std::vector<size_t> StrokeCounts(const std::vector<StrokeBuffer>& cells) {
  std::vector<size_t> counts;
  for (const auto& cell : cells) counts.push_back(StrokeListView::Parse(cell)->stroke_count());
  return counts;
}

TEST(SliceLineTest, CellsFollowTheEnds) {
  const auto line = Line(5);
  const auto view = StrokeListView::Parse(line);
  const std::int32_t ends[] = {2, 3, 5};
  const auto cells = SliceLine(*view, ends);
  EXPECT_THAT(StrokeCounts(cells), ElementsAre(2u, 1u, 2u));
  // Cell 1 is stroke 2 as it lies in the line: header, three points, end.
  ASSERT_EQ(cells[1].size(), 5u);
  EXPECT_EQ(cells[1][0].x, 3);
  EXPECT_EQ(cells[1][1].x, line[9].x);
  EXPECT_EQ(cells[1][4].x, 0);
}

TEST(SliceLineTest, BadEndsAreClamped) {
  const auto line = Line(3);
  const auto view = StrokeListView::Parse(line);
  const std::int32_t ends[] = {2, 1, 9};
  EXPECT_THAT(StrokeCounts(SliceLine(*view, ends)), ElementsAre(2u, 0u, 1u));
}

TEST(JoinStrokeListsTest, EarlierThenLater) {
  const auto a = Line(1, 0);
  const auto b = Line(2, 500);
  const auto joined = JoinStrokeLists(a, b);
  EXPECT_EQ(joined.size(), a.size() + b.size() - 1);
  EXPECT_EQ(StrokeListView::Parse(joined)->stroke_count(), 3u);
  EXPECT_EQ(joined[4].x, 3) << "the later strokes follow without the earlier end entry";
  EXPECT_EQ(joined[5].x, 500);
}

TEST(TapPointTest, SmallLineIsATap) {
  wrendle::StrokeListBuilder builder;
  builder.AddStroke({{100, 100}, {132, 132}});
  const auto line = builder.Build();
  const auto point = TapPoint(*StrokeListView::Parse(line));
  ASSERT_TRUE(point);
  EXPECT_EQ(point->x, 100);
}

TEST(TapPointTest, WiderThan32IsNoTap) {
  wrendle::StrokeListBuilder builder;
  builder.AddStroke({{100, 100}, {133, 100}});
  const auto line = builder.Build();
  EXPECT_FALSE(TapPoint(*StrokeListView::Parse(line)));
}

TEST(TapPointTest, EmptyLineIsNoTap) {
  const std::vector<StrokeEntry> empty = {{0, 0}};
  EXPECT_FALSE(TapPoint(*StrokeListView::Parse(empty)));
}

TEST(TapPointTest, BoxStartsFromZeroMaxima) {
  // Negative coordinates (a second screen on the left) measure against the
  // maxima that start at 0.
  wrendle::StrokeListBuilder builder;
  builder.AddStroke({{-100, 10}, {-98, 12}});
  const auto line = builder.Build();
  const TapBox box = TapBounds(*StrokeListView::Parse(line));
  EXPECT_EQ(box.left, -100);
  EXPECT_EQ(box.right, 0);
  EXPECT_FALSE(TapPoint(*StrokeListView::Parse(line)));
}

}  // namespace
