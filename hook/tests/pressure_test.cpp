#include "hook/core/pressure.h"

#include <gtest/gtest.h>

namespace jebhook {
namespace {

TEST(MulDivTest, RoundsLikeWindows) {
  EXPECT_EQ(MulDiv(10, 1, 4), 3);  // 2.5 -> 3
  EXPECT_EQ(MulDiv(-10, 1, 4), -3);
  EXPECT_EQ(MulDiv(10, 1, -4), -3);
  EXPECT_EQ(MulDiv(7, 1, 4), 2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);
}

struct PressureCase {
  const char* name;
  std::uint32_t buttons;
  std::int32_t bit;
  std::int32_t pressure;
  std::int32_t mark;
  std::int32_t range;
  std::int32_t expected;
};

class PacketPressureTest : public ::testing::TestWithParam<PressureCase> {};

TEST_P(PacketPressureTest, Computes) {
  const PressureCase& c = GetParam();
  EXPECT_EQ(PacketPressure(c.buttons, c.bit, c.pressure, c.mark, c.range), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PacketPressureTest,
                         ::testing::Values(PressureCase{"full", 0x1, 0, 1023, 23, 1000, 255},
                                           PressureCase{"half", 0x1, 0, 523, 23, 1000, 128},  // 127.5 -> 128
                                           PressureCase{"at_mark", 0x1, 0, 23, 23, 1000, 0},
                                           PressureCase{"below_mark", 0x1, 0, 10, 23, 1000, 0},
                                           PressureCase{"button_up", 0x2, 0, 900, 23, 1000, 0},
                                           PressureCase{"other_bit", 0x4, 2, 123, 23, 1000, 26},
                                           PressureCase{"above_axis", 0x1, 0, 5000, 23, 1000, 255},
                                           PressureCase{"range_zero", 0x1, 0, 24, 23, 0, 255},
                                           PressureCase{"range_zero_at_mark", 0x1, 0, 23, 23, 0, 0},
                                           PressureCase{"range_negative", 0x1, 0, 50, 23, -5, 255},
                                           PressureCase{"bad_bit", 0xFFFFFFFF, 40, 500, 0, 100, 0}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(DotPenTest, FactorTwentyGrowsFromTwoToTwoPlusTwiceTheWidth) {
  const DotPen pen = MakeDotPen(6, 20);
  EXPECT_EQ(pen.extra, 12);
  EXPECT_EQ(pen.base, 2);
  EXPECT_EQ(DotSize(pen, 0), 2);
  EXPECT_EQ(DotSize(pen, 255), 14);
  EXPECT_EQ(DotSize(pen, 128), 8);
}

TEST(DotPenTest, FactorZeroKeepsTheWidth) {
  const DotPen pen = MakeDotPen(6, 0);
  EXPECT_EQ(pen.extra, 0);
  EXPECT_EQ(DotSize(pen, 0), 6);
  EXPECT_EQ(DotSize(pen, 255), 6);
}

TEST(DotPenTest, PressureAtOrBelowTheMarkDrawsBaseDots) {
  const DotPen pen = MakeDotPen(4, 20);
  const std::int32_t pressure = PacketPressure(0x1, 0, 23, 23, 1000);
  EXPECT_EQ(DotSize(pen, pressure), pen.base);
}

TEST(InterpolateTest, IsLinearAlongTheSegment) {
  EXPECT_EQ(InterpolatePressure(0, 200, 0, 10), 0);
  EXPECT_EQ(InterpolatePressure(0, 200, 5, 10), 100);
  EXPECT_EQ(InterpolatePressure(200, 0, 5, 10), 100);
  EXPECT_EQ(InterpolatePressure(0, 200, 10, 10), 200);
  EXPECT_EQ(InterpolatePressure(50, 60, 3, 0), 60);     // no length: the end
  EXPECT_EQ(InterpolatePressure(0, 100, 20, 10), 100);  // held to the segment
}

TEST(DotBoxTest, CentresAndChoosesTheShape) {
  EXPECT_EQ(DotAround(10, 20, 5), (DotBox{8, 18, 13, 23, true}));
  EXPECT_EQ(DotAround(10, 20, 3), (DotBox{9, 19, 12, 22, false}));
  EXPECT_EQ(DotAround(10, 20, 2), (DotBox{9, 19, 11, 21, false}));
}

}  // namespace
}  // namespace jebhook
