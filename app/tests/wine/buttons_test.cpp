// The program's own buttons and the tooltip bubble, pressed with the system
// mouse from a driver thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "app/tests/wine/controls_fixture.h"
#include "app/win32/bubble.h"
#include "app/win32/jeb_button.h"
#include "app/win32/resource_module.h"

namespace {

using app_testing::CommandRecord;
using app_testing::ForegroundWindow;
using app_testing::HostWindow;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::ScreenPixel;
using app_testing::Settle;
using testing_support::DriverThread;
using testing_support::MouseDriver;
using wrendle::app::CBubble;
using wrendle::app::CJebBitmapButton;
using wrendle::app::CJebButton;

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

constexpr UINT kToggleId = 501;
constexpr UINT kPlainId = 502;
constexpr UINT kBitmapId = 503;
constexpr UINT kOtherBitmapId = 504;

class ButtonsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { target_ = new ForegroundWindow; }
  static void TearDownTestSuite() {
    delete target_;
    target_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(host_.Create(100, 100, 400, 120));
    ASSERT_TRUE(
        toggle_.Create("Toggle", WS_VISIBLE | BS_CHECKBOX, RECT{10, 10, 90, 40}, host_.hwnd(), kToggleId));
    ASSERT_TRUE(
        plain_.Create("Plain", WS_VISIBLE | BS_PUSHBUTTON, RECT{100, 10, 180, 40}, host_.hwnd(), kPlainId));
    ASSERT_TRUE(bitmap_.Create("Bitmap tip", WS_VISIBLE | BS_PUSHBUTTON, RECT{200, 10, 220, 30}, host_.hwnd(),
                               kBitmapId));
    ASSERT_TRUE(bitmap_.SetBitmaps(111, 112, 0));
    ASSERT_TRUE(other_.Create("Other tip", WS_VISIBLE | BS_PUSHBUTTON, RECT{240, 10, 260, 30}, host_.hwnd(),
                              kOtherBitmapId));
    ASSERT_TRUE(other_.SetBitmaps(113, 114, 0));
    UpdateWindow(host_.hwnd());
    // Showing the host may have taken the foreground (wine activates a new
    // visible popup); the application in front is the target.
    target_->Activate();
    PumpFor(100);
  }
  void TearDown() override {
    // Leave the mouse over nothing of ours.
    MouseDriver().MoveTo(20, 600);
    PumpFor(100);
  }

  // Clicks at a host point: move, press, hold, release.
  void Click(POINT at, DWORD hold_ms = 150) {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(at.x, at.y);
      Settle();
      mouse.Press();
      Sleep(hold_ms);
      mouse.Release();
      Settle();
    });
    PumpUntil([&] { return driver.done(); }, 5000);
    driver.Join();
    PumpFor(150);
  }

  static ForegroundWindow* target_;
  HostWindow host_;
  CJebButton toggle_;
  CJebButton plain_;
  CJebBitmapButton bitmap_{true};
  CJebBitmapButton other_{true};
};

ForegroundWindow* ButtonsTest::target_ = nullptr;

TEST_F(ButtonsTest, ToggleFlipsAndNotifiesOnThePress) {
  Click(host_.ToScreen(50, 25), 400);
  ASSERT_EQ(host_.Count(kToggleId), 1u);
  EXPECT_TRUE(host_.commands[0].button_down) << "sent on the press, before the release";
  EXPECT_EQ(host_.commands[0].control, toggle_.hwnd());
  EXPECT_TRUE(toggle_.IsTicked());
  Click(host_.ToScreen(50, 25));
  EXPECT_EQ(host_.Count(kToggleId), 2u);
  EXPECT_FALSE(toggle_.IsTicked());
  EXPECT_EQ(GetForegroundWindow(), target_->get())
      << "the buttons never take the activation: " << ClassOf(GetForegroundWindow());
}

TEST_F(ButtonsTest, PlainButtonNotifiesOnAReleaseInsideOnly) {
  const POINT inside = host_.ToScreen(140, 25);
  const POINT outside = host_.ToScreen(140, 90);
  {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(inside.x, inside.y);
      Settle();
      mouse.Press();
      Settle();
      mouse.MoveTo(outside.x, outside.y);
      Settle();
      mouse.Release();
      Settle();
    });
    PumpUntil([&] { return driver.done(); }, 5000);
  }
  PumpFor(100);
  EXPECT_EQ(host_.Count(kPlainId), 0u) << "released outside";
  EXPECT_NE(GetCapture(), plain_.hwnd());
  EXPECT_EQ(plain_.state() & CJebButton::kPressed, 0);

  Click(inside);
  ASSERT_EQ(host_.Count(kPlainId), 1u);
  EXPECT_FALSE(host_.commands.back().button_down) << "sent on the release";

  plain_.SetEnabledLook(false);
  Click(inside);
  EXPECT_EQ(host_.Count(kPlainId), 1u) << "drawn disabled: no press";
  EXPECT_EQ(GetForegroundWindow(), target_->get());
}

TEST_F(ButtonsTest, DisabledStyleGivesAnEnabledWindowDrawnDisabled) {
  CJebButton button;
  ASSERT_TRUE(button.Create("Off", WS_VISIBLE | WS_DISABLED, RECT{300, 50, 380, 80}, host_.hwnd(), 505));
  EXPECT_TRUE(IsWindowEnabled(button.hwnd()));
  EXPECT_EQ(button.state() & CJebButton::kDisabled, CJebButton::kDisabled);
}

// The colour of pixel (x, y) of a bitmap of the resource library.
COLORREF BitmapPixel(int id, int x, int y) {
  HBITMAP bitmap = LoadBitmapA(wrendle::app::ResourceModule(), MAKEINTRESOURCEA(id));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return colour;
}

TEST_F(ButtonsTest, BitmapButtonShowsItsPressedPicture) {
  const POINT centre = host_.ToScreen(210, 20);
  const COLORREF normal_colour = BitmapPixel(111, 10, 10), pressed_colour = BitmapPixel(112, 10, 10);
  ASSERT_NE(normal_colour, pressed_colour) << "the pictures differ at the centre";
  COLORREF pressed = 0;
  {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(centre.x, centre.y);
      Settle();
      mouse.Press();
      Sleep(400);
      mouse.Release();
      Settle();
    });
    PumpFor(300);
    UpdateWindow(bitmap_.hwnd());
    pressed = ScreenPixel(centre);
    PumpFor(400);
  }
  PumpFor(100);
  EXPECT_EQ(pressed, pressed_colour) << "bitmap 112";
  EXPECT_EQ(ScreenPixel(centre), normal_colour) << "bitmap 111 again";
  EXPECT_EQ(host_.Count(kBitmapId), 1u);
}

TEST_F(ButtonsTest, HoverShowsTheBubbleExceptSoonAfterAClickAndAKeyEndsIt) {
  // No click for the last 3 s: wait the quiet time of earlier tests out.
  Sleep(CJebBitmapButton::kClickQuietMs);
  const POINT over = host_.ToScreen(210, 20);
  DriverThread([&](MouseDriver& mouse) {
    mouse.MoveTo(over.x, over.y - 1);
    Settle();
    mouse.MoveTo(over.x, over.y);
    Settle();
  });
  ASSERT_TRUE(PumpUntil([&] { return CBubble::Shared().shown(); }, 2000)) << "no bubble while hovering";
  EXPECT_TRUE(bitmap_.hovering());
  EXPECT_EQ(GetCapture(), bitmap_.hwnd());
  char text[64] = {};
  GetWindowTextA(CBubble::Shared().hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "Bitmap tip");
  testing_support::SaveScreenshot("bubble");

  // Onto the other bitmap button: the hover moves over.
  const POINT other = host_.ToScreen(250, 20);
  DriverThread([&](MouseDriver& mouse) {
    mouse.MoveTo(other.x, other.y);
    Settle();
  });
  ASSERT_TRUE(PumpUntil([&] { return other_.hovering(); }, 2000));
  EXPECT_FALSE(bitmap_.hovering());

  // A key ends the hover.
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyA(VK_F9, 0));
  keybd_event(VK_F9, scan, 0, 0);
  keybd_event(VK_F9, scan, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([&] { return CJebBitmapButton::hover_button() == nullptr; }, 2000));
  EXPECT_NE(GetCapture(), other_.hwnd());

  // After a click the hover stays quiet for 3 s.
  Click(over);
  DriverThread([&](MouseDriver& mouse) {
    mouse.MoveTo(over.x + 1, over.y);
    Settle();
    mouse.MoveTo(over.x, over.y + 1);
    Settle();
  });
  PumpFor(400);
  EXPECT_FALSE(CBubble::Shared().shown()) << "hovering within 3 s of a click";
  EXPECT_EQ(CJebBitmapButton::hover_button(), nullptr);
}

TEST_F(ButtonsTest, DestroyedHoverButtonLeavesNoHoverAndKeepsTheHookCount) {
  const int before = CJebBitmapButton::live_count();
  {
    CJebBitmapButton extra(true);
    ASSERT_TRUE(extra.Create("Extra", WS_VISIBLE, RECT{300, 60, 320, 80}, host_.hwnd(), 506));
    EXPECT_EQ(CJebBitmapButton::live_count(), before + 1);
  }
  EXPECT_EQ(CJebBitmapButton::live_count(), before);
  EXPECT_EQ(CJebBitmapButton::hover_button(), nullptr);
}

TEST(BubbleTest, NearTheBottomRightCornerItOpensAboveAndToTheLeft) {
  CBubble bubble;
  const int x = GetSystemMetrics(SM_CXSCREEN) - 3;
  const int y = GetSystemMetrics(SM_CYSCREEN) - 3;
  bubble.Show(x, y, "Corner bubble");
  PumpFor(100);
  ASSERT_TRUE(bubble.shown());
  RECT place;
  GetWindowRect(bubble.hwnd(), &place);
  EXPECT_LT(place.right, x);
  EXPECT_LT(place.bottom, y);
  EXPECT_EQ(ScreenPixel(POINT{place.left + 2, place.top + 2}), RGB(255, 255, 0)) << "yellow";
  ASSERT_TRUE(PumpUntil([&] { return !bubble.shown(); }, 2000)) << "the timer hides it";
  EXPECT_FALSE(IsWindowVisible(bubble.hwnd()));
}

// The application object and the resource library for every test of the
// binary.
testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new app_testing::ControlsEnvironment);

}  // namespace
