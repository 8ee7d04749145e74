// Requests carried by the registered message, and the text posting that uses
// them.
#pragma once

#include <windows.h>

namespace jebhook::win32 {

// Handles request `request` received by `window` in this thread; false when
// it is not a request the library handles.
bool HandleRequest(HWND window, WPARAM request);

// Appends `text` to the shared text and asks the last foreign focus window's
// thread to switch to the input-method layout and set the composition string.
// Returns the bytes taken.
int PostImeText(const char* text);

}  // namespace jebhook::win32
