#include "hook/core/pen_timing.h"

#include <gtest/gtest.h>

#include <limits>

namespace jebhook {
namespace {

struct WidthCase {
  std::int32_t width;
  std::int32_t base;
  std::int32_t threshold;
};

class SpeedForWidthTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(SpeedForWidthTest, GivesBaseAndThreshold) {
  const SpeedDefaults speed = SpeedForScreenWidth(GetParam().width);
  EXPECT_EQ(speed.base, GetParam().base);
  EXPECT_EQ(speed.threshold, GetParam().threshold);
}

INSTANTIATE_TEST_SUITE_P(Widths, SpeedForWidthTest,
                         ::testing::Values(WidthCase{320, 139, 556}, WidthCase{640, 139, 556},
                                           WidthCase{641, 256, 1024}, WidthCase{800, 256, 1024},
                                           WidthCase{801, 412, 1648}, WidthCase{1920, 412, 1648}));

struct DelayCase {
  std::int32_t pause;
  std::int32_t hold;
  std::int32_t base;
  std::int32_t hold_window;
  std::int32_t threshold;
};

class DelayFormulaTest : public ::testing::TestWithParam<DelayCase> {};

TEST_P(DelayFormulaTest, Computes) {
  const DelayCase& c = GetParam();
  const DelaySettings settings = ComputeDelays(c.pause, c.hold, c.base);
  EXPECT_EQ(settings.pause_delay_ms, c.pause);
  EXPECT_EQ(settings.hold_window_ms, c.hold_window);
  EXPECT_EQ(settings.speed_threshold, c.threshold);
}

// c = 5 - (hold - 300) / 450; threshold = base c^2 8 / 25.
INSTANTIATE_TEST_SUITE_P(
    Table, DelayFormulaTest,
    ::testing::Values(DelayCase{900, 300, 139, 275, 1112},   // c = 5: 139 * 200 / 25
                      DelayCase{900, 500, 412, 325, 3296},   // c = 5
                      DelayCase{500, 749, 256, 387, 2048},   // c = 5
                      DelayCase{500, 750, 256, 387, 1310},   // c = 4: 256 * 128 / 25 = 1310.72
                      DelayCase{1000, 1200, 139, 500, 400},  // c = 3: 139 * 72 / 25 = 400.32
                      DelayCase{1000, 2100, 412, 725, 131},  // c = 1: 412 * 8 / 25 = 131.84 -> 131
                      DelayCase{1000, 2550, 412, 837, 0},    // c = 0
                      DelayCase{1000, 3000, 139, 950, 44}),  // c = -1: 139 * 8 / 25 = 44.48
    [](const auto& param_info) {
      return "hold_" + std::to_string(param_info.param.hold) + "_base_" +
             std::to_string(param_info.param.base);
    });

TEST(DelayFormulaTest, HugeHoldSaturates) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  // c = -4772180: 412 x 8 x c^2 / 25 fits 64 bits but not 32.
  const DelaySettings settings = ComputeDelays(0, kMax, 412);
  EXPECT_EQ(settings.speed_threshold, kMax);
  EXPECT_EQ(settings.hold_window_ms, kMax / 4 + 200);
  // Here already base x 8 x c^2 overflows 64 bits.
  EXPECT_EQ(ComputeDelays(0, kMax, kMax).speed_threshold, kMax);
  EXPECT_EQ(ComputeDelays(0, kMax, kMin).speed_threshold, kMin);
}

}  // namespace
}  // namespace jebhook
