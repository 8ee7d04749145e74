// The one loop that follows the mouse while a window holds the capture (a
// drag, an ink stroke): it sleeps until a message arrives, hands each mouse
// message to the caller and dispatches the others, and ends on the button's
// release, a lost capture (WM_CANCELMODE releases it too) or the time-out.
#pragma once

#include <windows.h>

#include <functional>

namespace wrendle::framework {

enum class CaptureEnd { kButtonUp, kLost, kTimeOut, kStopped };

// `on_mouse` sees WM_MOUSEMOVE to WM_MOUSELAST with the point in `window`'s
// client coordinates, the release included; false stops the loop. The
// capture is taken at the start and released at the end; `timeout_ms` may
// be INFINITE. WM_QUIT is posted again and ends the loop as lost.
CaptureEnd RunCaptureLoop(HWND window, DWORD timeout_ms,
                          const std::function<bool(UINT message, POINT point)>& on_mouse);

}  // namespace wrendle::framework
