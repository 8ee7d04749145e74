// The pause timer of the thread under the pen.
#pragma once

#include <windows.h>

#include "hook/core/shared_block.h"

namespace jebhook::win32 {

// With the mutex held. Starts a thread timer of `delay_ms` in this thread
// unless one is running; a timer of this thread that another thread stopped
// is killed first.
void ArmPauseTimer(SharedBlock& block, int delay_ms);
// With the mutex held. Stops the pause timer; kills it when this thread set
// it (a thread timer can be killed only by its own thread).
void StopPauseTimerHere(SharedBlock& block);
// The exported timer procedure's work, with the mutex released.
void OnPauseTimer(UINT_PTR id);

}  // namespace jebhook::win32
