// The ink box's tablet context on the stand-in "Wintab32.dll": the context
// it opens, strokes taken from pen packets with pressure ink, and the
// enable and overlap calls of the layout switch.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/tests/wine/controls_fixture.h"
#include "app/win32/ink_box.h"
#include "hook/tests/wine/wintab_standin.h"
#include "tests/support/executable_directory.h"

namespace {

using app_testing::HostWindow;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::ScreenPixel;
using app_testing::Settle;
using jebhook::wine_test::FindContext;
using jebhook::wine_test::StandInArmFn;
using jebhook::wine_test::StandInConfigureFn;
using jebhook::wine_test::StandInContext;
using jebhook::wine_test::StandInDevice;
using jebhook::wine_test::StandInPacket;
using jebhook::wine_test::StandInReadStateFn;
using jebhook::wine_test::StandInState;
using testing_support::DriverThread;
using testing_support::MouseDriver;
using wrendle::StrokeEntry;
using wrendle::StrokeListView;
using wrendle::app::CInkBox;

constexpr UINT kInkId = 1019;
constexpr COLORREF kInk = RGB(0, 0, 255);

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class TabletInkTest : public testing::Test {
 protected:
  void SetUp() override {
    wintab_ = LoadLibraryA((testing_support::ExecutableDirectory() / "Wintab32.dll").string().c_str());
    ASSERT_NE(wintab_, nullptr);
    configure_ = Entry<StandInConfigureFn>(wintab_, "StandInConfigure");
    arm_ = Entry<StandInArmFn>(wintab_, "StandInArm");
    read_state_ = Entry<StandInReadStateFn>(wintab_, "StandInReadState");
    ASSERT_TRUE(configure_ && arm_ && read_state_) << "the builtin wintab32 was loaded, not the stand-in";
    // A pen whose tip is button 0, pressure up to 1023 with the press mark
    // at 23; the second cursor is the first active one with pressure.
    StandInDevice device{};
    device.pressure_max = 1023;
    device.press_mark = 23;
    device.cursor_count = 2;
    device.cursor_active[0] = FALSE;
    device.cursor_packet_data[0] = 0x5C0;
    device.cursor_active[1] = TRUE;
    device.cursor_packet_data[1] = 0x5C0;
    configure_(&device);

    ASSERT_TRUE(host_.Create(100, 300, 400, 200));
    box_.set_pressure(true);
    ASSERT_TRUE(box_.Create(RECT{10, 10, 190, 190}, host_.hwnd(), kInkId));
    UpdateWindow(host_.hwnd());
    PumpFor(100);
  }
  void TearDown() override {
    // The boxes' own loader keeps the library loaded.
    FreeLibrary(wintab_);
  }

  StandInContext PadContext() const {
    StandInState state{};
    read_state_(&state);
    const StandInContext* context = FindContext(state, wrendle::app::CTabletContext::kContextName);
    return context != nullptr ? *context : StandInContext{};
  }

  // Packets every 8 ms from the box's client point (30, 30) down to the
  // right, pressure rising, the tip lifted in the last one.
  std::vector<StandInPacket> Script() const {
    std::vector<StandInPacket> packets;
    for (int i = 0; i < 50; ++i) {
      const POINT at = host_.ToScreen(10 + 30 + 2 * i, 10 + 30 + i);
      packets.push_back(
          {static_cast<DWORD>(i * 8), i < 49 ? 1u : 0u, at.x, at.y, static_cast<UINT>(23 + 20 * i)});
    }
    return packets;
  }

  // Presses at the script's start with the script armed, keeps the button
  // down past its end and releases.
  void PenStroke(const std::vector<StandInPacket>& script) {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(script[0].x, script[0].y);
      Settle();
      arm_(script.data(), static_cast<int>(script.size()));
      mouse.Press();
      Sleep(script.back().at_ms + 300);
      mouse.Release();
      Settle();
    });
    ASSERT_TRUE(PumpUntil([&] { return driver.done(); }));
  }

  static std::vector<StrokeEntry> Points(CInkBox& box) {
    const auto view = StrokeListView::Parse(box.Strokes());
    std::vector<StrokeEntry> points;
    if (!view) return points;
    for (const auto& stroke : view->strokes())
      points.insert(points.end(), stroke.points.begin(), stroke.points.end());
    return points;
  }

  HMODULE wintab_ = nullptr;
  StandInConfigureFn configure_ = nullptr;
  StandInArmFn arm_ = nullptr;
  StandInReadStateFn read_state_ = nullptr;
  HostWindow host_;
  CInkBox box_{300, 4, kInk};
};

TEST_F(TabletInkTest, TheBoxOpensItsOwnContextAndClosesItWithTheWindow) {
  const StandInContext context = PadContext();
  ASSERT_NE(context.handle, nullptr);
  EXPECT_TRUE(context.open);
  EXPECT_TRUE(context.enabled);
  EXPECT_EQ(context.window, box_.hwnd());
  EXPECT_EQ(context.packet_data, 0x5C0u);
  EXPECT_EQ(context.move_mask, 0x5C0u);
  EXPECT_EQ(context.packet_mode, 0u);
  EXPECT_EQ(context.out_extent_x, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(context.out_extent_y, -GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(box_.tablet().handle(), context.handle);

  DestroyWindow(box_.hwnd());
  EXPECT_FALSE(PadContext().open);
}

TEST_F(TabletInkTest, PointsComeFromPacketsInClientCoordinates) {
  const auto script = Script();
  PenStroke(script);
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 1; }, 3000));
  const auto view = StrokeListView::Parse(box_.Strokes());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->stroke_count(), 1u) << "the release after the pen-up adds no mouse stroke";
  const auto points = Points(box_);
  ASSERT_GE(points.size(), 10u);
  // The press point, then scripted positions in order (those flushed at the
  // stroke's start are missing), ending with the last.
  EXPECT_EQ(points[0].x, 30);
  EXPECT_EQ(points[0].y, 30);
  std::size_t next = 1;
  for (std::size_t i = 1; i < points.size(); ++i) {
    while (next < script.size() &&
           !(points[i].x == 30 + 2 * static_cast<int>(next) && points[i].y == 30 + static_cast<int>(next)))
      ++next;
    ASSERT_LT(next, script.size()) << "point " << i << " is not scripted in order";
    ++next;
  }
  EXPECT_EQ(points.back().x, 30 + 2 * 49);
  EXPECT_EQ(points.back().y, 30 + 49);
  EXPECT_GT(PadContext().packets_read, 10);

  // Pressure ink: the dots grow with the pressure, so the line is wider at
  // its end than at its start.
  const auto inked = [&](int x, int y) { return ScreenPixel(host_.ToScreen(10 + x, 10 + y)) == kInk; };
  EXPECT_TRUE(inked(30 + 2 * 45, 30 + 45 + 4));
  EXPECT_FALSE(inked(30 + 2 * 5, 30 + 5 + 4));
  RECT area{100, 300, 300, 500};
  testing_support::SaveScreenshot("pressure_ink_tablet", &area);
}

TEST_F(TabletInkTest, ADisabledContextLeavesTheStrokeToTheMouse) {
  ASSERT_TRUE(box_.tablet().Enable(false));
  StandInContext context = PadContext();
  EXPECT_EQ(context.disable_calls, 1);
  EXPECT_FALSE(context.enabled);

  const auto script = Script();
  PenStroke(script);
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 1; }, 3000));
  const auto points = Points(box_);
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.size(), 1u) << "the mouse never moved";
  EXPECT_EQ(PadContext().packets_read, 0);

  ASSERT_TRUE(box_.tablet().Enable(true));
  ASSERT_TRUE(box_.tablet().Overlap(true));
  context = PadContext();
  EXPECT_EQ(context.enable_calls, 1);
  EXPECT_EQ(context.to_top_calls, 1);
  EXPECT_TRUE(context.enabled);
}

TEST_F(TabletInkTest, PacketsGoToTheContextOnTop) {
  CInkBox second{300, 4, kInk};
  second.set_pressure(true);
  ASSERT_TRUE(second.Create(RECT{210, 10, 390, 190}, host_.hwnd(), kInkId));
  // The second box's context was opened last and lies on top: the first
  // box gets no packets until its context is put on top.
  const auto script = Script();
  PenStroke(script);
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 1; }, 3000));
  EXPECT_EQ(Points(box_).size(), 1u);

  box_.Clear();
  ASSERT_TRUE(box_.tablet().Overlap(true));
  PenStroke(script);
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 2; }, 3000));
  EXPECT_GE(Points(box_).size(), 10u);
  DestroyWindow(second.hwnd());
}

}  // namespace
