#include "app/win32/target_window.h"

namespace wrendle::app {

HWND GetTargetWindow(HWND main_frame, HookLibrary& hook) {
  HWND focus = GetFocus();
  if (GetActiveWindow() != main_frame && focus != nullptr) return focus;
  return reinterpret_cast<HWND>(hook.GetFocusWindow());
}

}  // namespace wrendle::app
