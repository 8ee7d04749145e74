#include "engine/core/hwr_ink_features.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

using vok::InkPoint;

bool operator==(const InkPoint& a, const InkPoint& b) { return a.y == b.y && a.x == b.x; }

TEST(HwrIntegerDistance, IsTheFloorSquareRoot) {
  // (2, 2), (4, 8) and (12, 12) have sums r^2 + 2r, where a plain Newton
  // loop alternates between r and r + 1.
  const struct {
    int32_t a, b, expected;
  } cases[] = {{0, 0, 0},          {3, 4, 5},    {2, 2, 2},
               {4, 8, 8},          {12, 12, 16}, {-3, 4, 5},
               {1, 1, 1},          {0, -7, 7},   {65535, 65535, 92680},
               {-32768, 0, 32768}, {1, 0, 1},    {99999, 1, 99999}};
  for (const auto& c : cases) EXPECT_EQ(vok::IntegerDistance(c.a, c.b), c.expected) << c.a << "," << c.b;
  std::mt19937 random(5);
  std::uniform_int_distribution<int32_t> coordinate(-70000, 70000);
  for (int i = 0; i < 20000; ++i) {
    const int64_t a = coordinate(random);
    const int64_t b = coordinate(random);
    const int64_t r = vok::IntegerDistance(static_cast<int32_t>(a), static_cast<int32_t>(b));
    EXPECT_LE(r * r, a * a + b * b);
    EXPECT_GT((r + 1) * (r + 1), a * a + b * b);
  }
}

TEST(HwrDirectionCode, EightDirectionsAndNoMove) {
  const struct {
    int32_t a, b;
    int expected;
  } cases[] = {{10, 0, 0},   {-10, 0, 0},  {0, 10, 2}, {0, -10, 2}, {10, 10, 1}, {-10, -10, 1},
               {-10, 10, 3}, {10, -10, 3}, {0, 0, 0},  {10, 3, 0},  {10, 5, 1},  {3, 10, 2}};
  for (const auto& c : cases) EXPECT_EQ(vok::DirectionCode(c.a, c.b), c.expected) << c.a << "," << c.b;
}

TEST(HwrJoinStrokes, RefusesCountsOutsideTheLimits) {
  std::vector<InkPoint> points(1001, InkPoint{0, 0});
  std::vector<int> counts(100, 1);
  std::vector<InkPoint> out(vok::kMaxInkPoints);
  EXPECT_EQ(vok::JoinStrokes(points.data(), counts.data(), 100, out.data()), -1);
  EXPECT_EQ(vok::JoinStrokes(points.data(), counts.data(), 0, out.data()), -1);
  EXPECT_EQ(vok::JoinStrokes(points.data(), counts.data(), 3, out.data()), -1);  // 3 points in all
  const int empty_stroke[] = {4, 0};
  EXPECT_EQ(vok::JoinStrokes(points.data(), empty_stroke, 2, out.data()), -1);
  const int too_many[] = {1001};
  EXPECT_EQ(vok::JoinStrokes(points.data(), too_many, 1, out.data()), -1);
  // Two strokes of 500 points far apart: the fill would pass 1000.
  std::vector<InkPoint> far(1000);
  for (int i = 0; i < 500; ++i) far[i] = {0, static_cast<int16_t>(i % 2)};
  for (int i = 500; i < 1000; ++i) far[i] = {30000, static_cast<int16_t>(i % 2)};
  const int halves[] = {500, 500};
  EXPECT_EQ(vok::JoinStrokes(far.data(), halves, 2, out.data()), -1);
}

TEST(HwrJoinStrokes, FillsOnlyGapsLongerThanTheLargestStep) {
  // First stroke steps of 10 along x; extrapolated end (0, 40).
  const InkPoint points[] = {{0, 0}, {0, 10}, {0, 20}, {0, 30}, {0, 51}, {0, 61}};
  std::array<InkPoint, vok::kMaxInkPoints> out{};
  const int counts[] = {4, 2};
  // Gap from the extrapolated end 11 = largest step (10) + 1: joined as is.
  EXPECT_EQ(vok::JoinStrokes(points, counts, 2, out.data()), 6);
  const InkPoint far_points[] = {{0, 0}, {0, 10}, {0, 20}, {0, 30}, {0, 73}, {0, 83}};
  // d = 33, M = 11: k = 3 fill points E, E + 11, E + 22.
  ASSERT_EQ(vok::JoinStrokes(far_points, counts, 2, out.data()), 9);
  EXPECT_TRUE((out[4] == InkPoint{0, 40}));
  EXPECT_TRUE((out[5] == InkPoint{0, 51}));
  EXPECT_TRUE((out[6] == InkPoint{0, 62}));
  EXPECT_TRUE((out[7] == InkPoint{0, 73}));
  // A single stroke is copied.
  const int one[] = {6};
  EXPECT_EQ(vok::JoinStrokes(far_points, one, 1, out.data()), 6);
}

TEST(HwrNormalise, OneAndCoincidentPoints) {
  InkPoint one[] = {{500, -300}};
  vok::Normalise(one, 1, 10000);
  EXPECT_TRUE((one[0] == InkPoint{0, 0}));
  InkPoint same[] = {{7, 7}, {7, 7}, {7, 7}};
  vok::Normalise(same, 3, 10000);
  for (const auto& p : same) EXPECT_TRUE((p == InkPoint{0, 0}));
  // Spreads 10 (y) and 5 (x): D = 20; the ends land at +-scale / 2 in y.
  InkPoint line[] = {{-10, -5}, {10, 5}};
  vok::Normalise(line, 2, 1000);
  EXPECT_TRUE((line[0] == InkPoint{-500, -250}));
  EXPECT_TRUE((line[1] == InkPoint{500, 250}));
  // Results past 16 bits are clamped.
  InkPoint wide[] = {{-32768, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {32767, 0}};
  vok::Normalise(wide, 9, 30000);
  EXPECT_EQ(wide[0].y, -32767);
}

TEST(HwrResample, KeepsTheEndsAndStepsEvenly) {
  const InkPoint line[] = {{0, 0}, {0, 90}};
  std::array<InkPoint, 16> out{};
  ASSERT_EQ(vok::Resample(line, 2, out.data(), 10), 10);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(out[k].x, 10 * k) << k;
  const InkPoint three[] = {{0, 0}, {100, 0}, {100, 100}};
  ASSERT_EQ(vok::Resample(three, 3, out.data(), 5), 5);
  const InkPoint expected[] = {{0, 0}, {50, 0}, {100, 0}, {100, 50}, {100, 100}};
  for (int k = 0; k < 5; ++k) EXPECT_TRUE((out[k] == expected[k])) << k;
  // No division by m - 1 = 0, and one input point fills every output.
  EXPECT_EQ(vok::Resample(three, 3, out.data(), 1), 1);
  EXPECT_TRUE((out[0] == InkPoint{0, 0}));
  ASSERT_EQ(vok::Resample(three + 1, 1, out.data(), 4), 4);
  EXPECT_TRUE((out[3] == InkPoint{100, 0}));
  // Down-sampling lands on input points.
  std::array<InkPoint, 7> seven{};
  for (int i = 0; i < 7; ++i) seven[i] = {0, static_cast<int16_t>(i * i)};
  ASSERT_EQ(vok::Resample(seven.data(), 7, out.data(), 4), 4);
  const int16_t landed[] = {0, 4, 16, 36};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(out[k].x, landed[k]);
}

TEST(HwrSmooth, MeansOverThreeAndFive) {
  const InkPoint in[] = {{0, 0}, {3, 30}, {6, 0}, {9, 30}, {12, 0}, {15, 30}};
  InkPoint out3[6];
  vok::SmoothBy3(in, 6, out3);
  EXPECT_TRUE((out3[0] == in[0]));
  EXPECT_TRUE((out3[1] == InkPoint{3, 10}));
  EXPECT_TRUE((out3[4] == InkPoint{12, 20}));
  EXPECT_TRUE((out3[5] == in[5]));
  InkPoint out5[6];
  vok::SmoothBy5(in, 6, out5);
  EXPECT_TRUE((out5[1] == in[1]));
  EXPECT_TRUE((out5[2] == InkPoint{6, 12}));
  EXPECT_TRUE((out5[3] == InkPoint{9, 18}));
  EXPECT_TRUE((out5[4] == in[4]));
  InkPoint short_out[4];
  vok::SmoothBy5(in, 4, short_out);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE((short_out[i] == in[i]));
}

TEST(HwrHistogram, PointAndLine) {
  std::array<int32_t, vok::kHistogramCounters> histogram{};
  histogram.fill(9);
  const InkPoint point[] = {{5, 5}};
  vok::TraceDirectionHistogram(point, 1, histogram.data());
  EXPECT_EQ(std::accumulate(histogram.begin(), histogram.end(), 0), 0);
  // A horizontal line through the centre: spread 36 in x, D = 72, box 288
  // wide from x = -72: grid x runs 10, 37, 64, 90, 117 in row 64 (cell 3).
  std::array<InkPoint, 5> line{};
  for (int i = 0; i < 5; ++i) line[i] = {0, static_cast<int16_t>(-60 + 30 * i)};
  vok::TraceDirectionHistogram(line.data(), 5, histogram.data());
  int32_t total = 0;
  for (int i = 0; i < vok::kHistogramCounters; ++i) {
    if (histogram[i] == 0) continue;
    EXPECT_EQ(i / 4 / 6, 3) << i;  // row of y = 0
    EXPECT_EQ(i % 4, 2) << i;      // along the second coordinate
    total += histogram[i];
  }
  // Every step crosses a cell border: 27 + 27 + 26 + 27 grid units walked,
  // plus the last point.
  EXPECT_EQ(total, 108);
}

TEST(HwrHistogram, StrokesLeaveOutThePenUpMove) {
  // Two vertical strokes side by side: no step along x may be counted.
  const InkPoint points[] = {{0, 0}, {50, 0}, {100, 0}, {0, 100}, {50, 100}, {100, 100}};
  const int counts[] = {3, 3};
  std::array<int32_t, vok::kHistogramCounters> by_strokes{};
  vok::StrokeDirectionHistogram(points, counts, 2, by_strokes.data());
  std::array<int32_t, vok::kHistogramCounters> trace{};
  vok::TraceDirectionHistogram(points, 6, trace.data());
  int32_t along_x = 0;
  int32_t trace_diagonal = 0;
  for (int i = 0; i < vok::kHistogramCounters; ++i) {
    if (i % 4 != 0) along_x += by_strokes[i];
    if (i % 4 == 3) trace_diagonal += trace[i];
  }
  EXPECT_EQ(along_x, 0);
  EXPECT_GT(trace_diagonal, 0);
  std::array<int32_t, 16> block{};
  vok::HistogramBlock(by_strokes.data(), 0, 0, block.data());
  for (int c = 0; c < 4; ++c) {
    const int cells[4] = {0, 1, 6, 7};
    for (int d = 0; d < 4; ++d) EXPECT_EQ(block[c * 4 + d], by_strokes[cells[c] * 4 + d]);
  }
}

TEST(HwrQuantise, NearestCodeAndTies) {
  const int32_t book[] = {0, 0, 10, 10, -10, 10};
  const int16_t vectors[] = {5, 5, 6, 6, -5, 5, 0, 10, 100, 100};
  uint8_t out[5];
  vok::QuantiseInt16(vectors, 5, 2, book, 3, out);
  // (5, 5) ties codes 0 and 1, (-5, 5) codes 0 and 2, (0, 10) all three:
  // the lowest index wins.
  const uint8_t expected[] = {0, 1, 0, 0, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], expected[i]) << i;
  const int32_t wide[] = {2000000000, -2000000000};
  vok::QuantiseInt32(wide, 1, 2, book, 3, out);
  EXPECT_LT(out[0], 3);
}

TEST(HwrObservationTrace, Limits) {
  // Normalising makes every path at least about 10000 long (19 steps for a
  // line); only coincident points come down to the 6-step floor.
  std::array<InkPoint, vok::kMaxInkPoints> trace{};
  for (int i = 0; i < 5; ++i) trace[i] = {0, static_cast<int16_t>(i)};
  EXPECT_EQ(vok::ObservationTrace(trace.data(), 5), 19);
  for (int i = 0; i < 5; ++i) trace[i] = {3, 3};
  EXPECT_EQ(vok::ObservationTrace(trace.data(), 5), 6);
  // A zigzag far longer than 1,001,000 units at scale 10000 is refused.
  for (int i = 0; i < 1000; ++i) trace[i] = {static_cast<int16_t>(i % 2 ? 300 : -300), 0};
  EXPECT_EQ(vok::ObservationTrace(trace.data(), 1000), -1);
  // A long trace never passes 400 steps.
  for (int i = 0; i < 200; ++i) trace[i] = {static_cast<int16_t>(i % 2 ? 10 : -10), static_cast<int16_t>(i)};
  const int steps = vok::ObservationTrace(trace.data(), 200);
  EXPECT_GE(steps, 6);
  EXPECT_LE(steps, vok::kMaxObservationSteps);
  uint8_t codes[vok::kMaxObservationSteps];
  int32_t book[64] = {};
  for (int c = 0; c < 32; ++c) book[2 * c] = c * 100;
  EXPECT_EQ(vok::StepCodes(trace.data(), steps, book, codes), steps);
}

}  // namespace
