#include "hook/win32/hooks.h"

#include <windows.h>

#include "hook/core/requests.h"
#include "hook/jebhook_api.h"
#include "hook/win32/handle_value.h"
#include "hook/win32/module_state.h"
#include "hook/win32/mouse_path.h"
#include "hook/win32/notices_win32.h"
#include "hook/win32/pause_timer_win32.h"
#include "hook/win32/requests_win32.h"

namespace jebhook::win32 {
namespace {

struct HookKind {
  int id;
  HOOKPROC procedure;
};

constexpr HookKind kHooks[kHookCount] = {
    {WH_MOUSE, ::MouseProc},       {WH_SYSMSGFILTER, ::SysMsgProc},
    {WH_GETMESSAGE, ::GetMsgProc}, {WH_CALLWNDPROC, ::CallWndProc},
    {WH_CBT, ::CbtProc},           {WH_JOURNALRECORD, ::JournalRecordProc},
};

bool ThreadHasEnded(DWORD thread_id) {
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, thread_id);
  if (thread == nullptr) return true;
  const bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

HWND TopLevel(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

// Focus tracking: a window whose top-level window is no owner's becomes the
// last foreign focus window, and the active owner hears of it.
void OnSetFocus(HWND focus) {
  HWND top = TopLevel(focus);
  Notices notices;
  {
    BlockLock block;
    if (!block) return;
    for (const OwnerSlot& slot : block->slots) {
      if (InUse(slot) && TopLevel(ToWindow(slot.window)) == top) return;
    }
    block->foreign_focus = ToValue(focus);
    NotifyActiveOwner(*block.get(), kPnForeignFocus, ToValue(focus), notices);
  }
  Deliver(notices);
}

void OnCancelJournal() {
  Notices notices;
  {
    BlockLock block;
    if (!block) return;
    if (const OwnerSlot* slot = SlotOfThread(*block.get(), GetCurrentThreadId())) {
      notices.Add(PenNotice(*slot, kPnCancelJournal, 0));
    }
  }
  Deliver(notices);
}

}  // namespace

bool InstallHooks(SharedBlock& block) {
  for (int i = 0; i < kHookCount; ++i) {
    if (block.hooks[i] != 0) continue;
    HHOOK hook = SetWindowsHookExA(kHooks[i].id, kHooks[i].procedure, ModuleInstance(), 0);
    if (hook == nullptr) {
      RemoveHooks(block);
      return false;
    }
    block.hooks[i] = ToValue(hook);
  }
  return true;
}

void RemoveHooks(SharedBlock& block) {
  for (HandleValue& hook : block.hooks) {
    if (hook != 0) UnhookWindowsHookEx(FromValue<HHOOK>(hook));
    hook = 0;
  }
}

void ForgetHooksOfEndedOwners(SharedBlock& block, const DroppedOwners& dropped) {
  if (dropped.count == 0 || AnyOwner(block)) return;
  for (int i = 0; i < dropped.count; ++i) {
    if (!ThreadHasEnded(dropped.threads[i])) return;
  }
  for (HandleValue& hook : block.hooks) hook = 0;
}

}  // namespace jebhook::win32

using namespace jebhook;
using namespace jebhook::win32;

// No C++ exception leaves a hook procedure: the code below throws none (it
// allocates nothing), and the system's frames above it could not unwind one.

extern "C" LRESULT WRENDLE_STDCALL MouseProc(int code, WPARAM wparam, LPARAM lparam) {
  if (code >= 0 && code != HC_NOREMOVE && lparam != 0) {
    if (HandleMouseMessage(static_cast<UINT>(wparam), *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lparam)))
      return 1;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

extern "C" LRESULT WRENDLE_STDCALL SysMsgProc(int code, WPARAM wparam, LPARAM lparam) {
  const auto* message = reinterpret_cast<const MSG*>(lparam);
  if (code == MSGF_MENU && message != nullptr && message->message == WM_MENUSELECT) {
    BlockLock block;
    if (block) block->menu_open = static_cast<std::uint32_t>(message->wParam) < 0xFFFF0000u ? 1 : 0;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

extern "C" LRESULT WRENDLE_STDCALL GetMsgProc(int code, WPARAM wparam, LPARAM lparam) {
  auto* message = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && (wparam & PM_REMOVE) != 0 && message != nullptr) {
    if (message->message == RegisteredMessage() && RegisteredMessage() != 0) {
      if (HandleRequest(message->hwnd, message->wParam)) message->message = WM_NULL;
    } else if (message->message == WM_CANCELJOURNAL) {
      OnCancelJournal();
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

extern "C" LRESULT WRENDLE_STDCALL CallWndProc(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && call != nullptr && call->message == RegisteredMessage() &&
      RegisteredMessage() != 0) {
    HandleRequest(call->hwnd, call->wParam);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

extern "C" LRESULT WRENDLE_STDCALL CbtProc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_SETFOCUS && wparam != 0) OnSetFocus(reinterpret_cast<HWND>(wparam));
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

extern "C" LRESULT WRENDLE_STDCALL JournalRecordProc(int, WPARAM, LPARAM) { return 0; }

extern "C" void WRENDLE_STDCALL TimerProc(HWND, UINT, UINT_PTR id, DWORD) { OnPauseTimer(id); }
