// The mouse hook's work: capture start, strokes from mouse messages (or from
// the tablet in pressure mode), swallowing while the capture is on.
#pragma once

#include <windows.h>

namespace jebhook::win32 {

// True when the message is swallowed.
bool HandleMouseMessage(UINT message, const MOUSEHOOKSTRUCT& info);

}  // namespace jebhook::win32
