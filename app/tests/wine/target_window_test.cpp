// The target of text output: the program's own focus window while its main
// frame is not active, else the hook library's last foreign focus window.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/framework/frame_wnd.h"
#include "app/tests/wine/test_frame.h"
#include "app/win32/target_window.h"

namespace {

using namespace wrendle::framework;

class FixedHook final : public wrendle::app::HookLibrary {
 public:
  HWND focus = nullptr;
  platform::WindowHandle GetFocusWindow() override { return reinterpret_cast<platform::WindowHandle>(focus); }
  bool PostImeString(std::string_view) override { return false; }
  int SetWaitingRecognize(int, int, platform::WindowHandle) override { return 0; }
};

class Plain final : public CFrameWnd {};

std::string PlainClass() {
  return RegisterWindowClass(0, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
}

TEST(TargetWindowTest, OwnFocusWindowWhileTheMainFrameIsNotActive) {
  Plain main_frame;
  ASSERT_TRUE(main_frame.Create(PlainClass().c_str(), "main", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 100}));
  Plain other;
  ASSERT_TRUE(other.Create(PlainClass().c_str(), "other", WS_OVERLAPPEDWINDOW, RECT{250, 0, 450, 100}));
  HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, other.hwnd(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  FixedHook hook;
  hook.focus = reinterpret_cast<HWND>(0x1234);

  ShowWindow(other.hwnd(), SW_SHOW);
  SetForegroundWindow(other.hwnd());
  SetFocus(edit);
  app_testing::PumpFor(50);
  EXPECT_EQ(wrendle::app::GetTargetWindow(main_frame.hwnd(), hook), edit);

  ShowWindow(main_frame.hwnd(), SW_SHOW);
  SetForegroundWindow(main_frame.hwnd());
  app_testing::PumpFor(50);
  ASSERT_EQ(GetActiveWindow(), main_frame.hwnd());
  EXPECT_EQ(wrendle::app::GetTargetWindow(main_frame.hwnd(), hook), hook.focus) << "the hook library's window";
}

}  // namespace
