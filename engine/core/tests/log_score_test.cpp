#include "engine/core/log_score.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using vok::CostHistogram;
using vok::kLogZero;
using vok::LogValue;
using vok::ScoreByte;
using vok::ScoreCost;

// Independent of the product's constant: base 1.0001 through log1p in long
// double.
int64_t OracleLog(long double p) {
  return static_cast<int64_t>(std::trunc(std::log(p) / std::log1p(1e-4L) + 0.5L));
}

TEST(LogValueTest, AgreesWithLongDoubleOracle) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> exponent(-300.0, 0.0);
  for (int i = 0; i < 20000; ++i) {
    const double p = std::pow(10.0, exponent(random));
    ASSERT_EQ(LogValue(p), OracleLog(p)) << p;
  }
}

TEST(LogValueTest, EdgeCases) {
  struct Case {
    double p;
    int32_t expected;
  } cases[] = {
      {1.0, 0},
      {1.0001, 1},
      {0.5, -6931},
      {1e-4, -92107},
      {0.0, kLogZero},
      {-0.5, kLogZero},
      {std::nan(""), kLogZero},
      {std::numeric_limits<double>::denorm_min(), -7444772},
      {std::numeric_limits<double>::infinity(), std::numeric_limits<int32_t>::max()},
  };
  for (const Case& c : cases) EXPECT_EQ(LogValue(c.p), c.expected) << c.p;
}

TEST(ScoreByteTest, EdgeCases) {
  struct Case {
    double p;
    int shift;
    int32_t bias;
    int expected;
  } cases[] = {
      {1.0, 0, 0, 0},
      {1.0, 5, 0, 0},
      {0.5, 5, 0, 217},  // -6931 >> 5 rounds toward -inf
      {0.5, 5, 100, 117},
      {0.5, 5, 200, 17},
      {0.5, 2, 6000, 233},  // a bias above 255 is shifted too:
                            // 1733 - 1500
      {0.5, 2, 7000, 0},
      {0.01, 2, 1000, 255},
      {0.9, 0, 0, 255},
      {0.9, 0, 900, 153},
      {1e-30, 10, 0, 255},
      {2.0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const int64_t v =
        -((static_cast<int64_t>(LogValue(c.p)) >> c.shift) + (c.bias > 255 ? c.bias >> c.shift : c.bias));
    const int oracle = static_cast<int>(std::clamp<int64_t>(v, 0, 255));
    EXPECT_EQ(ScoreByte(c.p, c.shift, c.bias), oracle) << c.p << " " << c.shift << " " << c.bias;
    EXPECT_EQ(ScoreByte(c.p, c.shift, c.bias), c.expected);
  }
}

TEST(ScoreByteTest, ZeroProbabilityIsTheFloorForEveryShiftUpTo19) {
  for (int shift = 0; shift <= 19; ++shift) {
    EXPECT_EQ(ScoreByte(0.0, shift, 0), 255) << shift;
    EXPECT_EQ(ScoreByte(-1.0, shift, 0), 255) << shift;
  }
}

TEST(ScoreByteTest, OutOfRangeShiftIsClamped) {
  EXPECT_EQ(ScoreByte(0.5, -3, 0), ScoreByte(0.5, 0, 0));
  EXPECT_EQ(ScoreByte(0.5, 99, 0), ScoreByte(0.5, vok::kMaxScoreShift, 0));
}

TEST(ScoreCostTest, UndoesTheQuantisationWithinOneStep) {
  // A byte strictly inside 0..255 stands for a cost within one step of the
  // log value.
  for (int shift : {0, 3, 7}) {
    for (double p : {0.3, 0.01, 0.002}) {
      const int32_t bias = -20;
      const int s = ScoreByte(p, shift, bias);
      if (s == 0 || s == 255) continue;
      const int64_t cost = ScoreCost(s, bias, shift);
      const int64_t exact = -static_cast<int64_t>(LogValue(p));
      EXPECT_LE(std::llabs(cost - exact), int64_t{1} << shift) << p << " " << shift;
    }
  }
  EXPECT_EQ(ScoreCost(255, 1000, 30), int64_t{1255} << 30);  // no 32-bit overflow
  EXPECT_EQ(ScoreCost(3, -5, 4), -32);
}

TEST(CostHistogramTest, ValueAtFraction) {
  CostHistogram h(0.0f, 1.0f);
  EXPECT_EQ(h.ValueAt(0.5), -1);  // empty
  for (int x : {10, 10, 20, 30, 40, 40, 40, 50}) h.Add(x);
  struct Case {
    double f;
    float expected;
  } cases[] = {{0.0, -1},  {0.1, 10},   {0.25, 10}, {0.26, 20}, {0.5, 30},
               {0.51, 40}, {0.875, 40}, {1.0, 50},  {1.1, -1}};
  for (const Case& c : cases) EXPECT_EQ(h.ValueAt(c.f), c.expected) << c.f;
}

TEST(CostHistogramTest, OffsetScaleUnderflowAndOverflow) {
  CostHistogram h(100.0f, 0.5f);
  h.Add(-150);          // underflow
  h.Add(std::nan(""));  // underflow, never converted
  h.Add(1e30);          // last bin
  h.Add(-100);          // bin 0
  EXPECT_EQ(h.total(), 4);
  EXPECT_EQ(h.underflow(), 2);
  EXPECT_FLOAT_EQ(h.ValueAt(0.25), -100.0f);            // bin 0
  EXPECT_FLOAT_EQ(h.ValueAt(0.5), 10000 / 0.5f - 100);  // last bin
  EXPECT_EQ(h.ValueAt(0.75), -1);                       // the underflow counts in the total only
}

}  // namespace
