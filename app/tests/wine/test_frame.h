// A recognition frame for the tests: hidden, never active, and answering
// the target query (event 104) with the window the test names.
#pragma once

#include <windows.h>

#include "app/framework/frame_wnd.h"
#include "app/win32/recog_frame.h"

namespace app_testing {

class TestFrame final : public wrendle::app::CRecogFrame {
 public:
  explicit TestFrame(wrendle::app::ProgramContext& context) : CRecogFrame(context) {
    driver().SetMainTarget(this);
  }

  bool Create() {
    const std::string window_class = wrendle::framework::RegisterWindowClass(
        0, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    const RECT rect{0, 0, 200, 100};
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, window_class.c_str(), "Test frame", WS_POPUP, rect,
                    nullptr, nullptr);
  }

  void set_target(HWND target) { target_ = target; }

  std::intptr_t OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) override {
    if (code == wrendle::app::kEventGetTarget) return reinterpret_cast<std::intptr_t>(target_);
    return CRecogFrame::OnRecogEvent(code, a, b);
  }

 protected:
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }

 private:
  HWND target_ = nullptr;
};

// Dispatches this thread's messages for `milliseconds`.
inline void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

// Dispatches messages until `done` holds or `timeout_ms` passed; returns
// whether it holds.
template <typename Predicate>
bool PumpUntil(Predicate done, DWORD timeout_ms = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return done();
    PumpFor(20);
  }
  return true;
}

}  // namespace app_testing
