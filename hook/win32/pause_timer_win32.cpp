#include "hook/win32/pause_timer_win32.h"

#include <windows.h>

#include "hook/core/owner_table.h"
#include "hook/core/pause_timer.h"
#include "hook/jebhook_api.h"
#include "hook/win32/module_state.h"
#include "hook/win32/notices_win32.h"

namespace jebhook::win32 {
namespace {

constexpr UINT_PTR kPauseTimerId = 1;

UINT_PTR ThreadTimer() { return reinterpret_cast<UINT_PTR>(TlsGetValue(TimerTlsIndex())); }
void SetThreadTimer(UINT_PTR id) { TlsSetValue(TimerTlsIndex(), reinterpret_cast<void*>(id)); }

void KillThreadTimer() {
  if (const UINT_PTR id = ThreadTimer()) {
    KillTimer(nullptr, id);
    SetThreadTimer(0);
  }
}

}  // namespace

void ArmPauseTimer(SharedBlock& block, int delay_ms) {
  if (PauseTimerRunning(block)) return;
  KillThreadTimer();
  const UINT_PTR id =
      SetTimer(nullptr, kPauseTimerId, delay_ms > 0 ? static_cast<UINT>(delay_ms) : 0, ::TimerProc);
  if (id == 0) return;
  SetThreadTimer(id);
  MarkPauseTimerArmed(block, GetCurrentThreadId());
}

void StopPauseTimerHere(SharedBlock& block) {
  if (StopPauseTimer(block, GetCurrentThreadId())) KillThreadTimer();
}

void OnPauseTimer(UINT_PTR id) {
  KillTimer(nullptr, id);
  if (id == ThreadTimer()) SetThreadTimer(0);
  Notices notices;
  {
    BlockLock block;
    if (!block || !TakePauseTimerExpiry(*block.get(), GetCurrentThreadId())) return;
    NotifyActiveOwner(*block.get(), kPnRecognize, 0, notices);
  }
  Deliver(notices);
}

}  // namespace jebhook::win32
