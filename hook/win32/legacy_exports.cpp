// The older interface, exported for programs built against it; none of it
// works any more.
#include <windows.h>

#include "hook/jebhook_api.h"
#include "hook/win32/module_state.h"
#include "hook/win32/resource_ids.h"

extern "C" int WRENDLE_STDCALL JebHookJR() { return 0; }
extern "C" void WRENDLE_STDCALL JebUnhookJR() {}
extern "C" void WRENDLE_STDCALL JebUnhookCBT() {}
extern "C" int WRENDLE_STDCALL JebHookCBT(HWND) { return 0; }

extern "C" int WRENDLE_STDCALL JebHookMouse(HWND, UINT, int) {
  HINSTANCE instance = jebhook::win32::ModuleInstance();
  char text[64] = {};
  char caption[64] = {};
  LoadStringA(instance, IDS_HOOK_MOUSE_CALLED, text, sizeof text);
  LoadStringA(instance, IDS_LIBRARY_NAME, caption, sizeof caption);
  MessageBoxA(GetForegroundWindow(), text, caption, MB_OK);
  return 0;
}

extern "C" int WRENDLE_STDCALL JebUnhookMouse(HWND) { return 0; }
extern "C" int WRENDLE_STDCALL JebEnableMouse(int) { return 0; }
extern "C" int WRENDLE_STDCALL JebEnableNCInking(int) { return 0; }
extern "C" int WRENDLE_STDCALL JebGetCaretPos(POINT*) { return 0; }
extern "C" HWND WRENDLE_STDCALL JebGetFocusWnd() { return nullptr; }
extern "C" void WRENDLE_STDCALL JebSetPen(int, COLORREF) {}
extern "C" void WRENDLE_STDCALL JebSetDelay(int) {}
extern "C" void WRENDLE_STDCALL JebPostIMEChar(UINT) {}
