// Ink drawn directly on the screen, and its erasure.
#pragma once

#include <windows.h>

#include "hook/core/capture.h"

namespace jebhook::win32 {

// A line of the pen's width and colour on the screen's device context.
void DrawInkLine(const Segment& segment, int width, COLORREF colour);
// Has every window under `ink` (right and bottom inclusive) repaint itself at
// once. Sends paint messages to other threads: call with the mutex released.
void EraseInk(const Rect& ink);
// The library's pen cursor becomes the cursor; returns the previous one.
HCURSOR ShowPenCursor();

}  // namespace jebhook::win32
