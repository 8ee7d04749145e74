#include "kernel/segment_extractor.h"

#include <gtest/gtest.h>

namespace {

using kernel::CellPoint;
using kernel::SegmentMode;
using kernel::SegmentRecord;

struct Pt {
  int x;
  int y;
};

// Strokes as cell points, interpolated every `step` units between corners.
std::vector<CellPoint> Cell(std::initializer_list<std::initializer_list<Pt>> strokes, int step = 4) {
  std::vector<CellPoint> points;
  for (const auto& stroke : strokes) {
    const std::vector<Pt> corners(stroke);
    std::vector<CellPoint> line;
    line.push_back({corners[0].x, corners[0].y, 1});
    for (std::size_t c = 0; c + 1 < corners.size(); ++c) {
      const Pt a = corners[c];
      const Pt b = corners[c + 1];
      const int steps = std::max(1, std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) / step);
      for (int i = 1; i <= steps; ++i)
        line.push_back({a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps, 1});
    }
    line.back().pen_continues = 0;
    points.insert(points.end(), line.begin(), line.end());
  }
  return points;
}

std::vector<SegmentRecord> Segments(SegmentMode mode, const std::vector<CellPoint>& points,
                                    std::size_t limit = 45) {
  return kernel::ExtractSegments(mode, points, limit).segments;
}

TEST(SegmentExtractorTest, StraightStrokeOfManyPointsGivesOneSegment) {
  const auto segments = Segments(SegmentMode::kQuick, Cell({{{0, 0}, {200, 100}}}, 1));
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0], (SegmentRecord{1, 1, 80, 40, 0}));
}

TEST(SegmentExtractorTest, DotAddsNoSegment) {
  const auto without = Segments(SegmentMode::kQuick, Cell({{{0, 0}, {200, 0}}, {{0, 100}, {200, 100}}}));
  const auto with =
      Segments(SegmentMode::kQuick, Cell({{{0, 0}, {200, 0}}, {{100, 50}}, {{0, 100}, {200, 100}}}));
  EXPECT_EQ(without.size(), 2u);
  EXPECT_EQ(with, without);
}

TEST(SegmentExtractorTest, ZigzagKeepsItsCorners) {
  const auto segments = Segments(SegmentMode::kQuick, Cell({{{0, 0}, {200, 0}, {0, 20}, {200, 40}}}));
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[0].link, kernel::kLinkNext);
  EXPECT_EQ(segments[1].link, kernel::kLinkBoth);
  EXPECT_EQ(segments[2].link, kernel::kLinkPrevious);
}

TEST(SegmentExtractorTest, ShortSegmentDroppedOnlyWithMinimumLength) {
  // On the grid the hook runs 4 units left and 3 down: longer than 5, but
  // neither direction more than 4.
  std::vector<CellPoint> points;
  for (int x = 0; x <= 200; x += 4) points.push_back({x, 0, 1});
  points.push_back({190, 10, 0});
  EXPECT_EQ(Segments(SegmentMode::kQuick, points).size(), 2u);
  EXPECT_EQ(Segments(SegmentMode::kLigatures, points).size(), 1u);
  EXPECT_EQ(Segments(SegmentMode::kLigaturesAll, points).size(), 2u);
}

TEST(SegmentExtractorTest, SeparateScalesFillTheGridInBothDirections) {
  const auto points = Cell({{{0, 0}, {200, 100}}});
  EXPECT_EQ(Segments(SegmentMode::kSeparateScales, points).at(0), (SegmentRecord{1, 1, 80, 80, 0}));
}

TEST(SegmentExtractorTest, SegmentLimitIsAParameter) {
  std::vector<CellPoint> points;
  for (int s = 0; s < 60; ++s) {
    points.push_back({s * 10, 0, 1});
    points.push_back({s * 10 + 5, 300, 0});
  }
  EXPECT_EQ(Segments(SegmentMode::kQuick, points, 45).size(), 45u);
  EXPECT_EQ(Segments(SegmentMode::kQuick, points, 80).size(), 60u);
}

TEST(SegmentExtractorTest, PointsOfOneStrokeReduceButStrokeEndsStay) {
  const auto points = Cell({{{0, 0}, {100, 0}, {200, 0}}}, 1);
  const auto reduced = kernel::PruneCollinearPoints(kernel::ReducePoints(points));
  ASSERT_EQ(reduced.size(), 2u);
  EXPECT_EQ(reduced[0].x, 0);
  EXPECT_EQ(reduced[1].x, 200);
  EXPECT_EQ(reduced[1].pen_continues, 0);
}

TEST(SegmentExtractorTest, EmptyCellGivesNoSegments) {
  EXPECT_TRUE(Segments(SegmentMode::kLigatures, {}).empty());
}

TEST(LiftMarkedSegmentsTest, ClearsPenFlagsUnderTheMarkedSegment) {
  std::vector<CellPoint> points = Cell({{{0, 0}, {200, 0}, {200, 200}}}, 50);
  auto extraction = kernel::ExtractSegments(SegmentMode::kQuick, points, 45);
  ASSERT_EQ(extraction.segments.size(), 2u);
  extraction.segments[0].link = kernel::kLinkRemoved;
  kernel::LiftMarkedSegments(extraction, points);
  // Points 0 to 4 lie under the first segment, through its end at (200, 0).
  for (std::size_t i = 0; i <= 4; ++i) EXPECT_EQ(points[i].pen_continues, 0) << i;
  for (std::size_t i = 5; i + 1 < points.size(); ++i) EXPECT_EQ(points[i].pen_continues, 1) << i;
}

}  // namespace
