// The ink box's mouse strokes and writing pauses, and the wait button,
// driven with the system mouse from a driver thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/tests/wine/controls_fixture.h"
#include "app/win32/ink_box.h"
#include "app/win32/wait_button.h"

namespace {

using app_testing::HostWindow;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::ScreenPixel;
using app_testing::Settle;
using testing_support::DriverThread;
using testing_support::MouseDriver;
using wrendle::StrokeEntry;
using wrendle::StrokeListView;
using wrendle::app::CInkBox;
using wrendle::app::CWaitButton;

constexpr UINT kInkId = 1019;

class InkBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(100, 300, 400, 200));
    // Both boxes carry the id 1019, as the main frame's and the training
    // dialog's do.
    ASSERT_TRUE(first_.Create(RECT{10, 10, 190, 190}, host_.hwnd(), kInkId));
    ASSERT_TRUE(second_.Create(RECT{210, 10, 390, 190}, host_.hwnd(), kInkId));
    UpdateWindow(host_.hwnd());
    PumpFor(100);
  }

  // A stroke through host client points, pressed at the first and released
  // at the last.
  static void Stroke(MouseDriver& mouse, const HostWindow& host, const std::vector<POINT>& points) {
    const POINT start = host.ToScreen(points.front().x, points.front().y);
    mouse.MoveTo(start.x, start.y);
    Settle();
    mouse.Press();
    Settle();
    for (size_t i = 1; i < points.size(); ++i) {
      const POINT p = host.ToScreen(points[i].x, points[i].y);
      mouse.MoveTo(p.x, p.y);
      Settle();
    }
    mouse.Release();
    Settle();
  }

  static std::vector<StrokeEntry> Points(CInkBox& box) {
    const auto view = StrokeListView::Parse(box.Strokes());
    std::vector<StrokeEntry> points;
    if (!view) return points;
    for (const auto& stroke : view->strokes())
      points.insert(points.end(), stroke.points.begin(), stroke.points.end());
    return points;
  }

  HostWindow host_;
  CInkBox first_{300, 3, RGB(0, 0, 255)};
  CInkBox second_{300, 3, RGB(0, 0, 255)};
};

TEST_F(InkBoxTest, StrokeIsSentAfterThePauseInClientPoints) {
  DriverThread driver([&](MouseDriver& mouse) { Stroke(mouse, host_, {{30, 30}, {60, 60}, {90, 40}}); });
  ASSERT_TRUE(PumpUntil([&] { return driver.done(); }));
  PumpFor(100);
  EXPECT_EQ(host_.Count(kInkId), 0u) << "not before the pause";
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 1; }, 3000));
  EXPECT_EQ(host_.commands[0].control, first_.hwnd());
  const auto view = StrokeListView::Parse(first_.Strokes());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->stroke_count(), 1u);
  const auto points = Points(first_);
  ASSERT_GE(points.size(), 2u);
  EXPECT_EQ(points.front().x, 20);
  EXPECT_EQ(points.front().y, 20);
  EXPECT_EQ(points.back().x, 80);
  EXPECT_EQ(points.back().y, 30);
  EXPECT_NE(GetCapture(), first_.hwnd());
}

TEST_F(InkBoxTest, BoxWithoutPauseSendsAtEachPenUp) {
  first_.set_pause(0);
  DriverThread driver([&](MouseDriver& mouse) {
    Stroke(mouse, host_, {{30, 30}, {60, 60}});
    Stroke(mouse, host_, {{40, 100}, {100, 100}});
  });
  ASSERT_TRUE(PumpUntil([&] { return driver.done(); }));
  PumpFor(100);
  EXPECT_EQ(host_.Count(kInkId), 2u);
}

TEST_F(InkBoxTest, PressInTheSecondBoxSendsTheFirstBoxsInkAtOnce) {
  first_.set_pause(5000);
  DriverThread driver([&](MouseDriver& mouse) {
    Stroke(mouse, host_, {{30, 30}, {60, 60}});
    Stroke(mouse, host_, {{230, 30}, {260, 60}});
  });
  ASSERT_TRUE(PumpUntil([&] { return driver.done(); }));
  PumpFor(100);
  ASSERT_EQ(host_.Count(kInkId), 1u);
  EXPECT_EQ(host_.commands[0].control, first_.hwnd()) << "the first box's ink, long before its pause";
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 2; }, 3000));
  EXPECT_EQ(host_.commands[1].control, second_.hwnd()) << "its own command, though the ids are equal";
}

TEST_F(InkBoxTest, CancelModeEndsTheStroke) {
  DriverThread driver([&](MouseDriver& mouse) {
    const POINT start = host_.ToScreen(30, 30);
    mouse.MoveTo(start.x, start.y);
    Settle();
    mouse.Press();
    Settle();
    const POINT middle = host_.ToScreen(60, 60);
    mouse.MoveTo(middle.x, middle.y);
    Settle();
    SendMessageA(first_.hwnd(), WM_CANCELMODE, 0, 0);
    Settle();
    const POINT later = host_.ToScreen(120, 150);
    mouse.MoveTo(later.x, later.y);
    Sleep(800);
    mouse.Release();
    Settle();
  });
  // The stroke ends and its pause runs out while the button is still down.
  ASSERT_TRUE(PumpUntil([&] { return host_.Count(kInkId) == 1; }, 3000));
  EXPECT_TRUE(host_.commands[0].button_down);
  ASSERT_TRUE(PumpUntil([&] { return driver.done(); }));
  const auto points = Points(first_);
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.back().x, 50) << "no point after the cancel";
}

// Records the wait button's calls into the hook library.
class RecordingHook final : public wrendle::app::HookLibrary {
 public:
  std::vector<std::string> calls;
  platform::WindowHandle GetFocusWindow() override { return 0; }
  bool PostImeString(std::string_view) override { return false; }
  int SetWaitingRecognize(int waiting, int flag, platform::WindowHandle window) override {
    calls.push_back(std::to_string(waiting) + "," + std::to_string(flag) + "," + std::to_string(window));
    return 0;
  }
};

class WaitButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(20, 20, 60, 40));
    ASSERT_TRUE(button_.Create(host_.hwnd()));
    EXPECT_FALSE(IsWindowVisible(button_.hwnd()));
  }
  // Shows the button at (x, y) holding the capture, as the main frame does.
  void ShowAt(int x, int y) {
    SetWindowPos(button_.hwnd(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCapture(button_.hwnd());
    UpdateWindow(button_.hwnd());
    PumpFor(50);
  }
  void PressAt(POINT at) {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(at.x, at.y);
      Settle();
      mouse.Press();
      Settle();
      mouse.Release();
      Settle();
    });
    PumpUntil([&] { return driver.done(); });
    PumpFor(100);
  }

  HostWindow host_;
  RecordingHook hook_;
  CWaitButton button_{hook_};
};

TEST_F(WaitButtonTest, RoundTurningButtonRecognizesOnAPressInside) {
  const POINT corner{400, 400};
  const COLORREF behind = ScreenPixel(corner);
  ShowAt(400, 400);
  EXPECT_TRUE(button_.turning());
  EXPECT_EQ(ScreenPixel(corner), behind) << "the corner lies outside the round region";
  EXPECT_NE(ScreenPixel(POINT{416, 416}), behind);
  const int first = button_.frame();
  PumpFor(400);
  EXPECT_NE(button_.frame(), first) << "the picture turns every 300 ms";
  RECT area{380, 380, 450, 450};
  testing_support::SaveScreenshot("wait_button", &area);

  PressAt(POINT{416, 416});
  EXPECT_EQ(hook_.calls, (std::vector<std::string>{"0,0,0"}));
  EXPECT_FALSE(IsWindowVisible(button_.hwnd()));
  EXPECT_NE(GetCapture(), button_.hwnd());
  EXPECT_FALSE(button_.turning()) << "the timer stops when hidden";
}

TEST_F(WaitButtonTest, PressOutsideAndNonClientPressStopWaiting) {
  ShowAt(400, 400);
  PressAt(POINT{600, 300});
  EXPECT_EQ(hook_.calls, (std::vector<std::string>{"0,1,0"}));
  EXPECT_FALSE(IsWindowVisible(button_.hwnd()));
  EXPECT_NE(GetCapture(), button_.hwnd());

  ShowAt(400, 400);
  SendMessageA(button_.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(416, 416));
  EXPECT_EQ(hook_.calls, (std::vector<std::string>{"0,1,0", "0,1,0"}));
  EXPECT_FALSE(IsWindowVisible(button_.hwnd()));
  EXPECT_NE(GetCapture(), button_.hwnd());
}

}  // namespace
