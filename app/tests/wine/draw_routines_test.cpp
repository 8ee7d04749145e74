// The drawing routines, the ink bitmap and its paste, pressure ink and the
// popup menu on a Win32 menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/framework/gdi.h"
#include "app/framework/scopes.h"
#include "app/tests/wine/controls_fixture.h"
#include "app/win32/draw_routines.h"
#include "app/win32/ink_box.h"
#include "app/win32/popup_menu.h"
#include "app/zezividudu/string_table.h"

namespace {

using app_testing::HostWindow;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::ScreenPixel;
using app_testing::Settle;
using testing_support::DriverThread;
using testing_support::MouseDriver;
using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;
using namespace wrendle::app;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

TEST(InkToBitmapTest, SizedFromTheListAndEmptyListsGiveNone) {
  HostWindow host;
  ASSERT_TRUE(host.Create(50, 50, 100, 100));
  const auto dot = StrokeListBuilder().AddStroke({{700, 300}}).Build();
  wrendle::framework::CBitmap one(InkToBitmap(host.hwnd(), dot, 3));
  ASSERT_TRUE(one);
  EXPECT_EQ(BitmapSize(one.get()).cx, 1);
  EXPECT_EQ(BitmapSize(one.get()).cy, 1);

  // Far more than a thousand points, far from (10000, 10000).
  std::vector<StrokeEntry> points;
  for (int i = 0; i < 1500; ++i) points.push_back({20000 + i / 10, 15000 + (i % 40)});
  const auto many = StrokeListBuilder().AddStroke(points).Build();
  wrendle::framework::CBitmap large(InkToBitmap(host.hwnd(), many, 1));
  ASSERT_TRUE(large);
  EXPECT_EQ(BitmapSize(large.get()).cx, 150);
  EXPECT_EQ(BitmapSize(large.get()).cy, 40);

  const std::vector<StrokeEntry> empty{{0, 0}};
  EXPECT_EQ(InkToBitmap(host.hwnd(), empty, 3), nullptr);
  EXPECT_FALSE(PasteInk(nullptr, host.hwnd(), empty, 3)) << "an empty list pastes nothing";
}

// A top-level window that logs Ctrl+V.
LRESULT CALLBACK PasteTargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN && wparam == 'V' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
    SetPropA(window, "pasted", reinterpret_cast<HANDLE>(1));
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

TEST(PasteInkTest, BitmapOfTheInkSizeReachesTheClipboardAndCtrlVTheTarget) {
  HostWindow owner;
  ASSERT_TRUE(owner.Create(50, 50, 100, 100));
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &PasteTargetProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "PasteTarget";
  RegisterClassA(&window_class);
  HWND target = CreateWindowExA(0, "PasteTarget", "Paste target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(target, nullptr);
  const auto ink =
      StrokeListBuilder().AddStroke({{10, 10}, {50, 30}}).AddStroke({{20, 40}, {30, 44}}).Build();
  ASSERT_TRUE(PasteInk(target, owner.hwnd(), ink, 2));
  EXPECT_TRUE(PumpUntil([&] { return GetPropA(target, "pasted") != nullptr; }, 3000))
      << "Ctrl+V reached the target";
  {
    wrendle::framework::ClipboardScope clipboard(nullptr);
    ASSERT_TRUE(clipboard.is_open());
    const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BitmapSize(bitmap).cx, 41);
    EXPECT_EQ(BitmapSize(bitmap).cy, 35);
  }
  RemovePropA(target, "pasted");
  DestroyWindow(target);
}

TEST(PasteBitmapTest, ClipboardHeldElsewhereDeletesTheBitmap) {
  HostWindow owner;
  ASSERT_TRUE(owner.Create(50, 50, 100, 100));
  // This thread holds the clipboard open for another window: the paste
  // cannot open it.
  HostWindow holder;
  ASSERT_TRUE(holder.Create(60, 60, 10, 10));
  DriverThread other([&](MouseDriver&) {
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    OpenClipboard(window);
    Sleep(600);
    CloseClipboard();
    DestroyWindow(window);
  });
  Sleep(200);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
  EXPECT_FALSE(PasteBitmap(nullptr, owner.hwnd(), bitmap));
  EXPECT_EQ(GetObjectType(bitmap), 0u) << "deleted, not leaked";
}

TEST(DrawRoutinesTest, FramesCellsAndPressureInk) {
  HostWindow host;
  ASSERT_TRUE(host.Create(100, 100, 300, 160));
  UpdateWindow(host.hwnd());
  PumpFor(300);
  {
    wrendle::framework::CClientDC dc(host.hwnd());
    DrawFrame3D(dc.get(), RECT{10, 10, 60, 40}, 2, true);
    DrawSunkenCell(dc.get(), RECT{70, 10, 120, 40});
    SetBkMode(dc.get(), TRANSPARENT);
    DrawCharCentered(dc.get(), "A", RECT{70, 10, 120, 40});
    wrendle::framework::CBrush brush(CreateSolidBrush(RGB(0, 0, 255)));
    wrendle::framework::CSelectObject selected(dc.get(), brush.get());
    PressureInk ink;
    ink.last = POINT{20, 120};
    for (int i = 1; i <= 26; ++i)
      DrawPressureLine(dc.get(), ink, 20 + 10 * i, 120 + (i % 3) * 4, i * 10, 6, 20);
    // A zero-length move only records the pressure.
    DrawPressureLine(dc.get(), ink, ink.last.x, ink.last.y, 7, 6, 20);
    EXPECT_EQ(ink.last_pressure, 7);
  }
  PumpFor(100);
  EXPECT_EQ(ScreenPixel(host.ToScreen(10, 10)), GetSysColor(COLOR_WINDOWFRAME)) << "outer line";
  EXPECT_EQ(ScreenPixel(host.ToScreen(11, 11)), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised: light top-left";
  EXPECT_EQ(ScreenPixel(host.ToScreen(58, 38)), GetSysColor(COLOR_BTNSHADOW))
      << "raised: shadow bottom-right";
  EXPECT_EQ(ScreenPixel(host.ToScreen(70, 10)), GetSysColor(COLOR_BTNSHADOW)) << "sunken: outer top-left";
  EXPECT_EQ(ScreenPixel(host.ToScreen(71, 11)), GetSysColor(COLOR_WINDOWFRAME)) << "sunken: inner top-left";
  EXPECT_EQ(ScreenPixel(host.ToScreen(119, 39)), GetSysColor(COLOR_BTNHIGHLIGHT))
      << "sunken: outer bottom-right";
  EXPECT_EQ(ScreenPixel(host.ToScreen(250, 124)), RGB(0, 0, 255)) << "pressure ink";
  RECT area;
  GetWindowRect(host.hwnd(), &area);
  testing_support::SaveScreenshot("pressure_ink", &area);
}

TEST(InkBoxShowStrokesTest, CopiesValidStrokesScaledAndRefusesBadLists) {
  HostWindow host;
  ASSERT_TRUE(host.Create(100, 100, 200, 200));
  CInkBox box(0, 3, RGB(0, 0, 0));
  ASSERT_TRUE(box.Create(RECT{0, 0, 140, 140}, host.hwnd(), 1019));
  const auto list = StrokeListBuilder().AddStroke({{1000, 1000}, {1100, 1100}}).Build();
  EXPECT_TRUE(box.ShowStrokes(list.data(), list.size() * sizeof(StrokeEntry)));
  const auto shown = box.Strokes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[1].x, 20) << "a seventh of the width in from the left";
  EXPECT_EQ(shown[2].x, 119);
  // A list that claims more points than its bytes hold.
  const std::vector<StrokeEntry> bad{{500, 0}, {1, 1}, {0, 0}};
  EXPECT_FALSE(box.ShowStrokes(bad.data(), bad.size() * sizeof(StrokeEntry)));
  EXPECT_EQ(box.buffer().count(), 0u);
  const auto dot = StrokeListBuilder().AddStroke({{5, 5}}).Build();
  EXPECT_TRUE(box.ShowStrokes(dot.data(), dot.size() * sizeof(StrokeEntry))) << "a zero-size box";
}

TEST(PopupMenuTest, ItemsAndTextsOnAWin32MenuTrackedUnderTheMouse) {
  HostWindow host;
  ASSERT_TRUE(host.Create(100, 100, 200, 60));
  PopupMenuState state;
  state.layout = 1;
  state.mode = 0;
  state.display_language = 0;
  state.recognizer_language = 2000;
  state.system_language = 2000;
  state.sign_and_draw = true;
  state.resource_library = true;
  wrendle::framework::CMenu menu;
  const int appended =
      BuildPopupMenu(menu.get(), state, [](unsigned id, int language) -> std::optional<std::string> {
        const auto text = zezividudu::FindString(language, id);
        if (!text) return std::nullopt;
        return std::string(*text);
      });
  EXPECT_EQ(appended, static_cast<int>(PopupMenuItems(state).size()));
  EXPECT_EQ(GetMenuItemCount(menu.get()), appended);
  EXPECT_NE(GetMenuState(menu.get(), 1050, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(menu.get(), 1053, MF_BYCOMMAND) & MF_CHECKED, 0u);
  char text[64] = {};
  GetMenuStringA(menu.get(), 1053, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Homophones");
  GetMenuStringA(menu.get(), 1093, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text), *zezividudu::FindString(2000, 500)) << "in the recognizer's language";

  // Tracked under the host, photographed, closed by a click elsewhere.
  DriverThread driver([&](MouseDriver& mouse) {
    Sleep(700);
    testing_support::SaveScreenshot("popup_menu");
    mouse.MoveTo(900, 50);
    Settle();
    mouse.Press();
    Settle();
    mouse.Release();
  });
  const POINT at = host.ToScreen(0, 60);
  SetForegroundWindow(host.hwnd());
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, 0, host.hwnd(),
                 nullptr);
  driver.Join();
  SwallowClickOn(host.hwnd());
}

// A white 24-bit bitmap on a memory DC with a black 1-pixel pen.
class Canvas {
 public:
  Canvas(int width, int height) : screen_(nullptr), dc_(CreateCompatibleDC(screen_.get())) {
    bitmap_ = CreateCompatibleBitmap(screen_.get(), width, height);
    old_bitmap_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    old_pen_ = SelectObject(dc_, GetStockObject(BLACK_PEN));
  }
  ~Canvas() {
    SelectObject(dc_, old_pen_);
    SelectObject(dc_, old_bitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  bool Inked(int x, int y) const { return GetPixel(dc_, x, y) == RGB(0, 0, 0); }
  int InkedCount(int width, int height) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += Inked(x, y) ? 1 : 0;
    return n;
  }

 private:
  wrendle::framework::CClientDC screen_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  HGDIOBJ old_pen_ = nullptr;
};

TEST(ReplayStrokesTest, DrawsEveryStrokeAfterItsDelayAndNothingOfABadList) {
  Canvas canvas(60, 60);
  const auto list = StrokeListBuilder()
                        .AddStroke({{5, 10}, {40, 10}})
                        .AddStroke({{20, 20}, {20, 50}})
                        .AddStroke({{50, 50}})
                        .Build();
  const DWORD start = GetTickCount();
  ReplayStrokes(canvas.dc(), list, 50);
  EXPECT_GE(GetTickCount() - start, 140u) << "the delay comes before each of the three strokes";
  EXPECT_TRUE(canvas.Inked(5, 10));
  EXPECT_TRUE(canvas.Inked(30, 10));
  EXPECT_TRUE(canvas.Inked(20, 35));
  EXPECT_TRUE(canvas.Inked(50, 50)) << "a one-point stroke still shows";
  EXPECT_FALSE(canvas.Inked(30, 30)) << "no line joins one stroke to the next";

  Canvas untouched(60, 60);
  const std::vector<StrokeEntry> bad{{500, 0}, {1, 1}, {2, 2}, {0, 0}};
  ReplayStrokes(untouched.dc(), bad, 0);
  EXPECT_EQ(untouched.InkedCount(60, 60), 0);
}

TEST(ForegroundTest, RestoreBringsBackTheRememberedWindowOnlyWhenAnotherCameInFront) {
  app_testing::ForegroundWindow target;
  ASSERT_EQ(GetForegroundWindow(), target.get());
  RememberForeground();

  RestoreForeground();
  EXPECT_EQ(GetForegroundWindow(), target.get()) << "already in front: nothing changes";

  {
    HWND other = CreateWindowExA(0, "ControlsTestTarget", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200,
                                 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    PumpFor(100);
    ASSERT_EQ(GetForegroundWindow(), other);
    RestoreForeground();
    PumpFor(100);
    EXPECT_EQ(GetForegroundWindow(), target.get());
    DestroyWindow(other);
  }

  // A remembered window that is gone is left alone.
  HWND gone = CreateWindowExA(0, "ControlsTestTarget", "Gone", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                              200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(gone);
  PumpFor(100);
  RememberForeground();
  DestroyWindow(gone);
  target.Activate();
  RestoreForeground();
  PumpFor(50);
  EXPECT_EQ(GetForegroundWindow(), target.get());
}

}  // namespace
