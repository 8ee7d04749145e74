// What the tests of the program's own controls share: the resource library
// as the application's resource module, a host window that records the
// commands its children send, a foreground window of "another program",
// the mouse driver and screen pixels.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/framework/frame_wnd.h"
#include "app/framework/win_app.h"
#include "app/tests/wine/test_frame.h"
#include "tests/support/mouse_driver.h"
#include "tests/support/screenshot.h"

namespace app_testing {

struct CommandRecord {
  UINT id;
  HWND control;
  bool button_down;  // the left button was down when it arrived
};

// A non-activating popup that logs WM_COMMAND.
class HostWindow : public wrendle::framework::CFrameWnd {
 public:
  std::vector<CommandRecord> commands;

  bool Create(int x, int y, int width, int height) {
    const std::string window_class = wrendle::framework::RegisterWindowClass(
        CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, window_class.c_str(), "Host",
                    WS_POPUP | WS_VISIBLE, RECT{x, y, x + width, y + height}, nullptr, nullptr);
  }
  POINT ToScreen(int x, int y) const {
    POINT p{x, y};
    ClientToScreen(hwnd(), &p);
    return p;
  }
  size_t Count(UINT id) const {
    size_t n = 0;
    for (const auto& c : commands) n += c.id == id ? 1 : 0;
    return n;
  }

 protected:
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  bool OnCommand(UINT id, UINT, HWND control) override {
    commands.push_back({id, control, (GetKeyState(VK_LBUTTON) & 0x8000) != 0});
    return true;
  }
};

// An ordinary top-level window that holds the foreground, as the
// application the user writes into would.
class ForegroundWindow {
 public:
  ForegroundWindow() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = &DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = "ControlsTestTarget";
    RegisterClassA(&window_class);
    window_ = CreateWindowExA(0, "ControlsTestTarget", "Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500,
                              300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window_);
    PumpFor(100);
  }
  ~ForegroundWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }
  void Activate() const {
    SetForegroundWindow(window_);
    PumpFor(50);
  }

 private:
  HWND window_ = nullptr;
};

inline COLORREF ScreenPixel(POINT p) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// The application object of the controls' tests, with the resource library
// as its resource module.
class ControlsEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    module_ = LoadLibraryA("zezividudu.dll");
    ASSERT_NE(module_, nullptr);
    app_ = std::make_unique<wrendle::framework::CWinApp>();
    app_->set_resource_handle(module_);
    testing_support::ClipCursorForTests();
  }
  void TearDown() override {
    ClipCursor(nullptr);
    app_.reset();
  }

 private:
  HMODULE module_ = nullptr;
  std::unique_ptr<wrendle::framework::CWinApp> app_;
};

// Lets a sent input event arrive.
inline void Settle() { Sleep(60); }

}  // namespace app_testing
