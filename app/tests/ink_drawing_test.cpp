#include "app/core/ink_drawing.h"

#include <gtest/gtest.h>

namespace {

using namespace wrendle::app;
using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;

TEST(StrokeBoundsTest, BoxOfEveryPoint) {
  const auto list = StrokeListBuilder().AddStroke({{10, 50}, {30, 20}}).AddStroke({{5, 40}}).Build();
  EXPECT_EQ(StrokeBounds(list), (Rect{5, 20, 31, 51}));
}

TEST(StrokeBoundsTest, EmptyOrMalformedListHasNone) {
  const std::vector<StrokeEntry> empty{{0, 0}};
  EXPECT_FALSE(StrokeBounds(empty));
  const std::vector<StrokeEntry> runs_past{{5, 0}, {1, 1}, {0, 0}};
  EXPECT_FALSE(StrokeBounds(runs_past));
}

TEST(InkRunsTest, OnePointIsOneByOne) {
  const auto list = StrokeListBuilder().AddStroke({{700, 300}}).Build();
  const auto runs = MakeInkRuns(list);
  ASSERT_TRUE(runs);
  EXPECT_EQ(runs->box.width(), 1);
  EXPECT_EQ(runs->box.height(), 1);
  ASSERT_EQ(runs->points.size(), 1u);
  EXPECT_EQ(runs->points[0], (Point{0, 0}));
}

TEST(InkRunsTest, StrokesAreShiftedAndSeparatedByTheMarker) {
  const auto list = StrokeListBuilder().AddStroke({{10, 20}, {12, 25}}).AddStroke({{30, 22}}).Build();
  const auto runs = MakeInkRuns(list);
  ASSERT_TRUE(runs);
  EXPECT_EQ(runs->box, (Rect{10, 20, 31, 26}));
  const std::vector<Point> expected{{0, 0}, {2, 5}, {kInkRunMarker, kInkRunMarker}, {20, 2}};
  EXPECT_EQ(runs->points, expected);
}

TEST(InkRunsTest, ListsLargerThanAThousandPointsAreKeptWhole) {
  StrokeListBuilder builder;
  for (int s = 0; s < 30; ++s) {
    std::vector<StrokeEntry> points;
    for (int i = 0; i < 60; ++i) points.push_back({s * 3 + i, 20000 + i});
    builder.AddStroke(points);
  }
  const auto runs = MakeInkRuns(builder.Build());
  ASSERT_TRUE(runs);
  EXPECT_EQ(runs->points.size(), 30u * 60u + 29u);
  // Sized from the list, not from a start at (10000, 10000) and (0, 0).
  EXPECT_EQ(runs->box, (Rect{0, 20000, 147, 20060}));
}

TEST(InkRunsTest, EmptyListPastesNothing) {
  const std::vector<StrokeEntry> empty{{0, 0}};
  EXPECT_FALSE(MakeInkRuns(empty));
}

TEST(ScaleStrokesTest, KeepsProportionsAndCentres) {
  const auto list = StrokeListBuilder().AddStroke({{100, 100}, {200, 150}}).Build();
  const auto scaled = ScaleStrokesInto(list, {10, 10, 211, 211});
  const std::vector<StrokeEntry> expected{{2, 0}, {10, 60}, {210, 160}, {0, 0}};
  ASSERT_EQ(scaled.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(scaled[i].x, expected[i].x) << i;
    EXPECT_EQ(scaled[i].y, expected[i].y) << i;
  }
}

TEST(ScaleStrokesTest, ZeroSizeBoxesAndMalformedLists) {
  const auto dot = StrokeListBuilder().AddStroke({{7, 9}}).Build();
  const auto one = ScaleStrokesInto(dot, {0, 0, 101, 51});
  ASSERT_EQ(one.size(), 3u);
  EXPECT_EQ(one[1].x, 50);
  EXPECT_EQ(one[1].y, 25);
  const auto vertical = StrokeListBuilder().AddStroke({{5, 0}, {5, 10}}).Build();
  const auto line = ScaleStrokesInto(vertical, {0, 0, 101, 51});
  ASSERT_EQ(line.size(), 4u);
  EXPECT_EQ(line[1].x, 50);
  EXPECT_EQ(line[2].y, 50);
  EXPECT_EQ(ScaleStrokesInto(vertical, {0, 0, 0, 0}).size(), 4u) << "an empty client divides nothing";
  const std::vector<StrokeEntry> bad{{9, 0}, {0, 0}};
  EXPECT_TRUE(ScaleStrokesInto(bad, {0, 0, 10, 10}).empty());
}

TEST(PlaceBubbleTest, TriesFourCornersInOrder) {
  const Rect screen{0, 0, 800, 600};
  const Point cursor_size{32, 32};
  const Point size{60, 20};
  // Room above and to the left: bottom-right corner at (x - 8, y - 8).
  EXPECT_EQ(PlaceBubble({400, 300}, cursor_size, size, screen), (Rect{332, 272, 392, 292}));
  // Near the left edge: bottom-left at (x + 8, y - 8).
  EXPECT_EQ(PlaceBubble({20, 300}, cursor_size, size, screen), (Rect{28, 272, 88, 292}));
  // Near the top-left corner: top-left at (x + 8, y + 8).
  EXPECT_EQ(PlaceBubble({20, 10}, cursor_size, size, screen), (Rect{28, 18, 88, 38}));
  // Near the top-right corner: top-right at (x - 8, y + 8).
  EXPECT_EQ(PlaceBubble({790, 10}, cursor_size, size, screen), (Rect{722, 18, 782, 38}));
  // Bottom-right corner: above and to the left.
  EXPECT_EQ(PlaceBubble({795, 595}, cursor_size, size, screen), (Rect{727, 567, 787, 587}));
}

}  // namespace
