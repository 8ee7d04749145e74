#include "app/win32/tap_pass_through_win32.h"

#include <windows.h>

namespace wrendle::app {

void Win32TapPassThrough::PassTap(StrokeEntry screen_point) {
  const POINT screen{screen_point.x, screen_point.y};
  HWND window = WindowFromPoint(screen);
  if (window == nullptr) return;
  POINT client = screen;
  ScreenToClient(window, &client);
  HWND child = ChildWindowFromPoint(window, client);
  if (child == nullptr) child = window;
  client = screen;
  ScreenToClient(child, &client);
  const LPARAM position = MAKELPARAM(client.x, client.y);
  PostMessageA(child, WM_MOUSEMOVE, 0, position);
  PostMessageA(child, WM_LBUTTONDOWN, 0, position);
  PostMessageA(child, WM_LBUTTONUP, 0, position);
}

}  // namespace wrendle::app
