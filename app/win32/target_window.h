// The window that recognized text goes to.
#pragma once

#include <windows.h>

#include "app/core/hook_library.h"

namespace wrendle::app {

// The thread's focus window while `main_frame` is not the active window and
// a focus window exists; else the last foreign focus window that the hook
// library recorded.
HWND GetTargetWindow(HWND main_frame, HookLibrary& hook);

}  // namespace wrendle::app
