// A caller of JEBHOOK32 linked through the target's import library: it refers
// to every export, so that the link resolves each declaration of
// jebhook_api.h, and calls one.
#include <cstdio>

#include "hook/jebhook_api.h"

namespace {

using AnyFunction = void (*)();

template <typename Function>
AnyFunction Erase(Function* function) {
  return reinterpret_cast<AnyFunction>(function);
}

// Every export; `volatile` keeps the references in the executable.
AnyFunction const volatile kEveryExport[] = {
    Erase(JebExHook),
    Erase(JebExUnhook),
    Erase(JebExRehook),
    Erase(JebExFindHook),
    Erase(JebExSetActive),
    Erase(JebExGetSize),
    Erase(JebExGetData),
    Erase(JebExClearData),
    Erase(JebExGetLastPosition),
    Erase(JebExSetWaittingRecognize),
    Erase(JebExSetPen),
    Erase(JebExSetDelay),
    Erase(JebExSetDelayEx),
    Erase(JebExEnableMouse),
    Erase(JebExSetIsPressure),
    Erase(JebExGetIsPressure),
    Erase(JebExInitialWintab),
    Erase(JebExGetFocusWnd),
    Erase(JebExGetRegMsg),
    Erase(JebPostIMEStringChar),
    Erase(MouseProc),
    Erase(SysMsgProc),
    Erase(GetMsgProc),
    Erase(CallWndProc),
    Erase(CbtProc),
    Erase(JournalRecordProc),
    Erase(TimerProc),
    Erase(JebHookJR),
    Erase(JebUnhookJR),
    Erase(JebUnhookCBT),
    Erase(JebHookCBT),
    Erase(JebHookMouse),
    Erase(JebUnhookMouse),
    Erase(JebEnableMouse),
    Erase(JebEnableNCInking),
    Erase(JebGetCaretPos),
    Erase(JebGetFocusWnd),
    Erase(JebSetPen),
    Erase(JebSetDelay),
    Erase(JebPostIMEChar),
};

}  // namespace

int main() {
  int missing = 0;
  for (AnyFunction function : kEveryExport) missing += function == nullptr ? 1 : 0;
  const UINT expected = RegisterWindowMessageA("JEBHOOKEX_REG_MORVANE_MESSAGE");
  const UINT id = JebExGetRegMsg();
  const int old_mode = JebExGetIsPressure();
  std::printf("JebExGetRegMsg: %u, registered: %u, JebExGetIsPressure: %d, exports: %u\n", id, expected,
              old_mode, static_cast<unsigned>(sizeof kEveryExport / sizeof kEveryExport[0]));
  return missing == 0 && id != 0 && id == expected ? 0 : 1;
}
