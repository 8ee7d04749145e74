#include "app/framework/capture_loop.h"

namespace wrendle::framework {

CaptureEnd RunCaptureLoop(HWND window, DWORD timeout_ms,
                          const std::function<bool(UINT message, POINT point)>& on_mouse) {
  SetCapture(window);
  const DWORD start = GetTickCount();
  CaptureEnd end = CaptureEnd::kLost;
  for (;;) {
    if (GetCapture() != window) {
      end = CaptureEnd::kLost;
      break;
    }
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        end = CaptureEnd::kLost;
        break;
      }
      if (message.message >= WM_MOUSEMOVE && message.message <= WM_MOUSELAST && message.hwnd == window) {
        const POINT point{static_cast<short>(LOWORD(message.lParam)),
                          static_cast<short>(HIWORD(message.lParam))};
        if (!on_mouse(message.message, point)) {
          end = CaptureEnd::kStopped;
          break;
        }
        if (message.message == WM_LBUTTONUP) {
          end = CaptureEnd::kButtonUp;
          break;
        }
        continue;
      }
      if (message.message == WM_CANCELMODE && message.hwnd == window) {
        end = CaptureEnd::kLost;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    DWORD wait = INFINITE;
    if (timeout_ms != INFINITE) {
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= timeout_ms) {
        end = CaptureEnd::kTimeOut;
        break;
      }
      wait = timeout_ms - elapsed;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
  if (GetCapture() == window) ReleaseCapture();
  return end;
}

}  // namespace wrendle::framework
