// Tablet pressure input: the Wintab context, the tip check at a capture's
// start and the packet loop of a stroke.
#pragma once

#include <windows.h>

#include "hook/core/shared_block.h"

namespace jebhook::win32 {

// Opens the tablet context on `window`; the context, null on failure. An
// earlier context is closed first.
HANDLE InitialWintab(HWND window);
// Tip check: a packet must be waiting at once, and within 100 ms one must
// have the pressure button down.
bool TabletTipIsDown();
// The stroke of a press while the capture is on, read from the tablet's
// packets until the pen lifts or goes quiet for 200 ms. Returns true (the
// press is swallowed) unless the capture went off.
bool RunTabletStroke(Point32 press);

// With the mutex held, in the last process: takes the context out of the
// block when this process has the tablet library to close it with.
HANDLE TakeTabletContextOfLastProcess(SharedBlock& block);
// With the mutex released (the driver may send the context's window a
// message).
void CloseTabletContext(HANDLE context);
// Frees the tablet library and forgets every bound function.
void UnloadTablet();

}  // namespace jebhook::win32
