#include "hook/win32/notices_win32.h"

#include <windows.h>

#include "hook/win32/handle_value.h"

namespace jebhook::win32 {

void Deliver(const Notices& notices) {
  for (const Notice& notice : notices.items()) {
    HWND window = ToWindow(notice.window);
    const auto wparam = static_cast<WPARAM>(notice.wparam);
    const auto lparam = static_cast<LPARAM>(notice.lparam);
    if (notice.kind == NoticeKind::kSendNotify) {
      SendNotifyMessageA(window, notice.message, wparam, lparam);
    } else {
      PostMessageA(window, notice.message, wparam, lparam);
    }
  }
}

}  // namespace jebhook::win32
