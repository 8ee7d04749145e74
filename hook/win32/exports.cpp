// The exported interface of JEBHOOK32. Every export takes the mutex, waiting
// without limit, and returns 0 when the shared block is not mapped. Messages
// are sent or posted only after the mutex is released.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "hook/core/capture.h"
#include "hook/core/owner_table.h"
#include "hook/core/pen_timing.h"
#include "hook/core/stroke_buffer.h"
#include "hook/jebhook_api.h"
#include "hook/win32/handle_value.h"
#include "hook/win32/hooks.h"
#include "hook/win32/ink.h"
#include "hook/win32/module_state.h"
#include "hook/win32/notices_win32.h"
#include "hook/win32/pause_timer_win32.h"
#include "hook/win32/requests_win32.h"
#include "hook/win32/tablet.h"

using namespace jebhook;
using namespace jebhook::win32;

namespace {

constexpr std::int32_t kDefaultInkWidth = 2;

OwnerSlot* SlotOf(SharedBlock& block, DWORD handle) {
  const auto slot = SlotOfHandle(block, handle);
  return slot ? &block.slots[*slot] : nullptr;
}

}  // namespace

extern "C" DWORD WRENDLE_STDCALL JebExHook(HWND window, UINT notify_message, int tag, int flags) {
  if (window == nullptr) return 0;
  Notices notices;
  std::optional<std::uint32_t> handle;
  {
    BlockLock block;
    if (!block) return 0;
    SharedBlock& shared = *block.get();
    const DroppedOwners dropped =
        DropGoneOwners(shared, [](HandleValue w) { return IsWindow(ToWindow(w)) != FALSE; });
    ForgetHooksOfEndedOwners(shared, dropped);
    if (!InstallHooks(shared)) return 0;
    const Registration registration{
        .window = ToValue(window),
        .message = notify_message,
        .thread_id = GetCurrentThreadId(),
        .tag = tag,
        .flags = static_cast<std::uint32_t>(flags),
        .screen_width = GetSystemMetrics(SM_CXSCREEN),
    };
    handle = RegisterOwner(shared, registration, notices);
  }
  Deliver(notices);
  return handle.value_or(0);
}

extern "C" int WRENDLE_STDCALL JebExUnhook(DWORD handle) {
  Notices notices;
  bool named = false;
  {
    BlockLock block;
    if (!block) return 0;
    const OwnerSlot* slot = SlotOf(*block.get(), handle);
    named = slot != nullptr && InUse(*slot);
    if (!UnregisterOwner(*block.get(), handle, notices)) RemoveHooks(*block.get());
  }
  Deliver(notices);
  return named ? 1 : 0;
}

extern "C" int WRENDLE_STDCALL JebExRehook(DWORD, int) {
  BlockLock block;
  if (!block) return 0;
  RemoveHooks(*block.get());
  return InstallHooks(*block.get()) ? 1 : 0;
}

extern "C" DWORD WRENDLE_STDCALL JebExFindHook(HWND window, int tag) {
  BlockLock block;
  if (!block) return 0;
  return FindOwner(*block.get(), ToValue(window), tag);
}

extern "C" int WRENDLE_STDCALL JebExSetActive(DWORD handle, int flag) {
  Notices notices;
  {
    BlockLock block;
    if (!block) return 0;
    if (flag != 0) {
      Activate(*block.get(), handle, notices);
    } else {
      PassActivationOn(*block.get(), handle, notices);
    }
  }
  Deliver(notices);
  return 1;
}

extern "C" HWND WRENDLE_STDCALL JebExGetFocusWnd(DWORD) {
  BlockLock block;
  if (!block) return nullptr;
  return ToWindow(block->foreign_focus);
}

extern "C" int WRENDLE_STDCALL JebExSetPen(DWORD handle, int width, COLORREF colour) {
  BlockLock block;
  if (!block) return 0;
  OwnerSlot* slot = SlotOf(*block.get(), handle);
  if (slot == nullptr) return 0;
  slot->pen_width = width;
  slot->pen_colour = colour;
  return 1;
}

extern "C" int WRENDLE_STDCALL JebExSetDelayEx(DWORD handle, int pause_ms, int hold_ms) {
  BlockLock block;
  if (!block) return 0;
  OwnerSlot* slot = SlotOf(*block.get(), handle);
  if (slot == nullptr) return 0;
  const OwnerSlot* active = ActiveSlot(*block.get());
  const DelaySettings delays = ComputeDelays(pause_ms, hold_ms, (active ? active : slot)->speed_base);
  slot->pause_delay_ms = delays.pause_delay_ms;
  slot->hold_window_ms = delays.hold_window_ms;
  slot->speed_threshold = delays.speed_threshold;
  return 1;
}

extern "C" int WRENDLE_STDCALL JebExSetDelay(DWORD handle, int ms) { return JebExSetDelayEx(handle, ms, ms); }

extern "C" int WRENDLE_STDCALL JebExEnableMouse(DWORD handle, int mode) {
  BlockLock block;
  if (!block) return 0;
  OwnerSlot* slot = SlotOf(*block.get(), handle);
  if (slot == nullptr) return 0;
  return std::exchange(slot->mouse_mode, mode);
}

extern "C" int WRENDLE_STDCALL JebExGetSize(DWORD, int) {
  BlockLock block;
  if (!block) return 0;
  return UsedEntries(ReadBuffer(*block.get())) * static_cast<int>(sizeof(wrendle::StrokeEntry));
}

extern "C" int WRENDLE_STDCALL JebExGetData(DWORD, int, void* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  BlockLock block;
  if (!block) return 0;
  const StrokeBuffer& read = ReadBuffer(*block.get());
  const int count = std::min(size, UsedEntries(read) * static_cast<int>(sizeof(wrendle::StrokeEntry)));
  std::memcpy(buffer, read.entries, static_cast<std::size_t>(count));
  return count;
}

extern "C" int WRENDLE_STDCALL JebExClearData(DWORD, int) { return 0; }

extern "C" UINT WRENDLE_STDCALL JebExGetRegMsg() {
  BlockLock block;
  if (!block) return 0;
  return block->registered_message;
}

extern "C" int WRENDLE_STDCALL JebExGetLastPosition(POINT* position) {
  if (position == nullptr) return 0;
  *position = POINT{0, 0};
  BlockLock block;
  if (!block) return 0;
  *position = POINT{block->tablet_last.x, block->tablet_last.y};
  return 1;
}

// Ends the capture under the mutex, so that the list is closed and the flag
// cleared at once, and only a capture that is on: a second end sends no
// second PN_CAPTUREEND. The ink is erased and the end sent after the mutex is
// released.
extern "C" int WRENDLE_STDCALL JebExSetWaittingRecognize(int waiting, int flag, HWND window) {
  Notices notices;
  std::optional<CaptureEnd> end;
  {
    BlockLock block;
    if (!block) return 0;
    SharedBlock& shared = *block.get();
    shared.waiting = waiting;
    if (window != nullptr) shared.waiting_window = ToValue(window);
    if (waiting != 0) return waiting;
    if (flag != 0) return flag;
    StopPauseTimerHere(shared);
    const OwnerSlot* active = ActiveSlot(shared);
    end = EndCapture(shared, active ? active->pen_width : kDefaultInkWidth);
    if (end) NotifyActiveOwner(shared, kPnCaptureEnd, end->counter, notices);
  }
  if (end && end->ink) EraseInk(*end->ink);
  Deliver(notices);
  return 0;
}

extern "C" int WRENDLE_STDCALL JebExSetIsPressure(int pressure_mode) {
  BlockLock block;
  if (!block) return 0;
  block->pressure_mode = pressure_mode;
  return pressure_mode;
}

extern "C" int WRENDLE_STDCALL JebExGetIsPressure() {
  BlockLock block;
  if (!block) return 0;
  return block->pressure_mode;
}

extern "C" HANDLE WRENDLE_STDCALL JebExInitialWintab(HWND window) { return InitialWintab(window); }

extern "C" int WRENDLE_STDCALL JebPostIMEStringChar(const char* text) { return PostImeText(text); }
