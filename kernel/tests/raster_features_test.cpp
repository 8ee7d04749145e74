#include <gtest/gtest.h>

#include <cstdlib>

#include "kernel/cell_analysis.h"
#include "kernel/feature_extractor.h"
#include "kernel/raster.h"
#include "kernel/tests/synthetic_dictionary.h"

namespace {

using kernel::CellPoint;
using kernel::Raster;

std::vector<CellPoint> Line(int x0, int y0, int x1, int y1, int steps) {
  std::vector<CellPoint> points;
  for (int i = 0; i <= steps; ++i)
    points.push_back({x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, 1});
  points.back().pen_continues = 0;
  return points;
}

int RowInk(const Raster& raster, int row) {
  int ink = 0;
  for (int c = 0; c < kernel::kRasterSize; ++c) ink += raster.At(row, c);
  return ink;
}

TEST(RasterTest, HorizontalStrokeFillsThreeRowsAcrossTheWidth) {
  const auto points = Line(100, 50, 300, 50, 20);
  const Raster raster = kernel::RasterizeInk(points, kernel::BoundingBox(points));
  // Row 1 before dilation, rows 0 to 2 after it; columns 1 to 80 (the last
  // point lies at 200 x 80 / 201) widened by one on each side.
  for (const int row : {0, 1, 2}) EXPECT_EQ(RowInk(raster, row), 82) << row;
  EXPECT_EQ(RowInk(raster, 3), 0);
  EXPECT_EQ(raster.box.left, 0);
  EXPECT_EQ(raster.box.right, 81);
  EXPECT_EQ(raster.box.top, 0);
  EXPECT_EQ(raster.box.bottom, 2);
}

TEST(RasterTest, InkWithoutPenMovesLeavesEmptyRaster) {
  std::vector<CellPoint> points = Line(0, 0, 200, 200, 10);
  for (CellPoint& point : points) point.pen_continues = 0;
  const Raster raster = kernel::RasterizeInk(points, kernel::BoundingBox(points));
  EXPECT_TRUE(raster.empty);
  const auto raw = kernel::ComputeRawFeatures(raster);
  for (const std::int32_t value : raw) EXPECT_EQ(value, 0);
}

TEST(CutsTest, EqualMassCutsFollowTheCumulativeInk) {
  // Three ink pixels in each of the columns 0 to 81.
  const auto points = Line(100, 50, 300, 50, 20);
  const Raster raster = kernel::RasterizeInk(points, kernel::BoundingBox(points));
  const kernel::Cuts cuts = kernel::EqualMassCuts(raster, 8);
  const double step = 3.0 * 82 / 8;
  EXPECT_EQ(cuts.columns[0], 0);
  EXPECT_EQ(cuts.columns[8], 81);
  // Cut k is the column c with cum[c] = 3 (c + 1) <= k step < cum[c + 1].
  for (int k = 1; k < 8; ++k) EXPECT_EQ(cuts.columns[k], static_cast<int>(k * step / 3) - 1) << k;
}

TEST(CutsTest, AxisWithoutEnoughInkUsesEvenCuts) {
  const auto points = Line(100, 0, 100, 200, 20);
  const Raster raster = kernel::RasterizeInk(points, {90, 0, 110, 200});
  const kernel::Cuts cuts = kernel::EqualMassCuts(raster, 8);
  const int start = raster.box.left;
  const int end = raster.box.right;
  for (int k = 1; k < 8; ++k) EXPECT_EQ(cuts.columns[k], start + k * (end + 1 - start) / 8) << k;
}

std::vector<CellPoint> CellPoints(const std::vector<wrendle::StrokeEntry>& strokes) {
  return kernel::TakeCell(*wrendle::StrokeListView::Parse(strokes))->points;
}

kernel::RawFeatures RawOf(const std::vector<CellPoint>& points) {
  return kernel::ComputeRawFeatures(kernel::RasterizeInk(points, kernel::BoundingBox(points)));
}

long L1(const kernel::RawFeatures& a, const kernel::RawFeatures& b) {
  long sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::labs(static_cast<long>(a[i]) - b[i]);
  return sum;
}

TEST(FeaturesTest, InvariantUnderTranslation) {
  for (std::uint32_t character = 0; character < 5; ++character) {
    const auto points = CellPoints(kernel_testing::SyntheticCharacter(character, 0));
    auto moved = points;
    for (CellPoint& point : moved) {
      point.x += 517;
      point.y += 211;
    }
    EXPECT_EQ(RawOf(points), RawOf(moved)) << character;
  }
}

TEST(FeaturesTest, NearlyInvariantUnderScale) {
  for (std::uint32_t character = 0; character < 5; ++character) {
    const auto points = CellPoints(kernel_testing::SyntheticCharacter(character, 0));
    auto scaled = points;
    for (CellPoint& point : scaled) {
      point.x *= 3;
      point.y *= 3;
    }
    const auto other = CellPoints(kernel_testing::SyntheticCharacter(character + 100, 0));
    EXPECT_LT(L1(RawOf(points), RawOf(scaled)) * 4, L1(RawOf(points), RawOf(other))) << character;
  }
}

TEST(FeaturesTest, DivisionClampsToBytesAndTakesZeroDivisorAsOne) {
  const std::vector<std::int32_t> raw = {1000, 1000, 7, 300};
  const std::vector<std::uint16_t> divisors = {10, 2, 0, 1};
  std::vector<std::uint8_t> out(4);
  kernel::DivideFeatures(raw, divisors, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{100, 255, 7, 255}));
}

TEST(FeaturesTest, FamiliesFillTheirPlaces) {
  const auto raw = RawOf(CellPoints(kernel_testing::SyntheticCharacter(1, 0)));
  // The row and column run ratios of the eight bands add up to about 1000.
  long rows = 0;
  long columns = 0;
  for (int k = 0; k < 8; ++k) {
    rows += raw[16 + 2 * k];
    columns += raw[17 + 2 * k];
  }
  EXPECT_NEAR(rows, 1000, 8);
  EXPECT_NEAR(columns, 1000, 8);
  long directions = 0;
  for (std::size_t i = kernel::kCoarseFeatureCount; i < kernel::kFineFeatureCount; ++i) directions += raw[i];
  EXPECT_GT(directions, 0);
}

}  // namespace
