#include "hook/core/capture_decision.h"

#include <gtest/gtest.h>

namespace jebhook {
namespace {

TEST(CaptureHitTestTest, AcceptsTheClientAreaAndItsKin) {
  for (int code : {0, 1, 18, -2, -1}) EXPECT_TRUE(IsCaptureHitTest(code)) << code;
  // HTCAPTION, HTSYSMENU, HTVSCROLL, HTCLOSE
  for (int code : {2, 3, 7, 20}) EXPECT_FALSE(IsCaptureHitTest(code)) << code;
}

TEST(ExcludedClassTest, NamesInAnyCase) {
  for (const char* name : {"Button", "BUTTON", "combobox", "ListBox", "JebWrite"}) {
    EXPECT_TRUE(IsExcludedClass(name)) << name;
  }
  for (const char* name : {"Edit", "Buttons", "", "ZEZIRAREVI"}) EXPECT_FALSE(IsExcludedClass(name)) << name;
}

struct PressCase {
  const char* name;
  PressFacts facts;
  PressVerdict verdict;
};

class JudgePressTest : public ::testing::TestWithParam<PressCase> {};

TEST_P(JudgePressTest, Decides) { EXPECT_EQ(JudgePress(GetParam().facts), GetParam().verdict); }

constexpr PressFacts kClear{kMouseAtOnce, false, false, false, true};

INSTANTIATE_TEST_SUITE_P(
    Table, JudgePressTest,
    ::testing::Values(
        PressCase{"mode2", kClear, PressVerdict::kCapture},
        PressCase{"mode1", {kMouseHoldAndMove, false, false, false, true}, PressVerdict::kHoldTest},
        PressCase{"mode0", {kMouseOff, false, false, false, true}, PressVerdict::kRefuse},
        PressCase{"unknown_mode", {7, false, false, false, true}, PressVerdict::kRefuse},
        PressCase{"menu", {kMouseAtOnce, true, false, false, true}, PressVerdict::kRefuse},
        PressCase{"button", {kMouseAtOnce, false, true, false, true}, PressVerdict::kRefuse},
        PressCase{"owner", {kMouseAtOnce, false, false, true, true}, PressVerdict::kRefuse},
        PressCase{"outside", {kMouseAtOnce, false, false, false, false}, PressVerdict::kRefuse}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// A clock that moves on by `step_ms` at each pause, a cursor that moves by
// `dx` pixels per step, and a button released at `release_at_ms`.
class FakeProbe final : public PointerProbe {
 public:
  FakeProbe(std::uint32_t start_ms, std::uint32_t step_ms, std::int32_t dx, std::uint32_t release_after_ms)
      : start_(start_ms), now_(start_ms), step_(step_ms), dx_(dx), release_after_(release_after_ms) {}

  std::uint32_t NowMs() override { return now_; }
  Point32 Cursor() override { return {100 + dx_ * static_cast<std::int32_t>((now_ - start_) / step_), 50}; }
  bool LeftButtonDown() override { return now_ - start_ < release_after_; }
  void Pause() override { now_ += step_; }

  std::uint32_t Elapsed() const { return now_ - start_; }

 private:
  std::uint32_t start_;
  std::uint32_t now_;
  std::uint32_t step_;
  std::int32_t dx_;
  std::uint32_t release_after_;
};

constexpr std::uint32_t kHeld = 100000;

struct HoldCase {
  const char* name;
  std::uint32_t start_ms;
  std::uint32_t step_ms;
  std::int32_t dx;  // speed = dx^2 x 1000 / step
  std::uint32_t release_after_ms;
  std::int32_t threshold;
  std::int32_t hold_window_ms;
  bool pass;
  std::uint32_t decided_by_ms;  // the test has ended by then
};

class HoldTestTest : public ::testing::TestWithParam<HoldCase> {};

TEST_P(HoldTestTest, Decides) {
  const HoldCase& c = GetParam();
  FakeProbe probe(c.start_ms, c.step_ms, c.dx, c.release_after_ms);
  EXPECT_EQ(RunHoldTest(probe, c.threshold, c.hold_window_ms), c.pass);
  EXPECT_LE(probe.Elapsed(), c.decided_by_ms);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HoldTestTest,
    ::testing::Values(
        // 3 px per 10 ms: 900 > 556.
        HoldCase{"fast_move_passes", 1000, 10, 3, kHeld, 556, 325, true, 30},
        // Exactly the threshold is not above it: 2 px per 10 ms is 400.
        HoldCase{"at_threshold_runs_to_the_end", 1000, 10, 2, kHeld, 400, 325, false, 340},
        // 400 lies between 556 / 8 and 556: undecided until the window ends.
        HoldCase{"moderate_speed_fails_at_the_end", 1000, 10, 2, kHeld, 556, 500, false, 520},
        // Still: fails just after 300 ms although the window is longer.
        HoldCase{"still_fails_after_300ms", 1000, 10, 0, kHeld, 556, 500, false, 320},
        // 1 px per 10 ms: 100 > 556 / 8 = 69, so it is not too slow.
        HoldCase{"slow_but_not_still_waits", 1000, 10, 1, kHeld, 556, 500, false, 520},
        HoldCase{"released_before_the_tick_moves", 1000, 10, 3, 0, 556, 325, false, 10},
        HoldCase{"released_during_the_window", 1000, 10, 1, 150, 556, 500, false, 170},
        // The tick count wraps during the test.
        HoldCase{"wrapping_clock", 0xFFFFFFF0u, 10, 3, kHeld, 556, 325, true, 30}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace jebhook
