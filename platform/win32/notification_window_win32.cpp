#include <windows.h>

#include <cstring>

#include "platform/notification_window.h"

namespace platform {
namespace {

// The message the dialog procedure claims; one hidden window kind per process.
UINT g_claimed_message = 0;

INT_PTR CALLBACK HiddenDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == g_claimed_message ? TRUE : FALSE;
}

// In-memory dialog template: caption, modal frame, not visible, no controls,
// 100 x 100 dialog units, no menu, default class, empty title.
struct alignas(4) HiddenDialogTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD window_class = 0;
  WORD title = 0;
};

class DialogWindow final : public NotificationWindow {
 public:
  explicit DialogWindow(HWND window) : window_(window) {}
  ~DialogWindow() override { DestroyWindow(window_); }

  WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(window_); }

  std::optional<WindowMessage> WaitFor(std::uint32_t message) override {
    MSG msg;
    for (;;) {
      const BOOL got = GetMessageA(&msg, window_, 0, 0);
      if (got == -1 || got == 0) return std::nullopt;
      if (msg.message == message) {
        return WindowMessage{msg.message, static_cast<std::uintptr_t>(msg.wParam),
                             static_cast<std::intptr_t>(msg.lParam)};
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

 private:
  HWND window_;
};

}  // namespace

std::unique_ptr<NotificationWindow> NotificationWindow::Create(std::uint32_t claimed_message) {
  g_claimed_message = claimed_message;
  HiddenDialogTemplate dialog_template{};
  dialog_template.header.style = WS_CAPTION | DS_MODALFRAME;
  dialog_template.header.cdit = 0;
  dialog_template.header.cx = 100;
  dialog_template.header.cy = 100;
  HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog_template.header, nullptr,
                                           HiddenDialogProc, 0);
  if (window == nullptr) return nullptr;
  return std::make_unique<DialogWindow>(window);
}

bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  return PostMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wparam),
                      static_cast<LPARAM>(lparam)) != FALSE;
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
WaitCursor::~WaitCursor() { SetCursor(static_cast<HCURSOR>(previous_)); }

}  // namespace platform
