// The exports of "JEBHOOK32.dll" as its callers declare them. The module
// exports them under their decorated names ("_JebExHook@16"); callers link
// them through the import library of the CMake target JEBHOOK32, which maps
// each symbol to that name on both Windows targets.
#pragma once

#include <windows.h>

#include "platform/calling_convention.h"

extern "C" {

// Owner registration. An owner handle is (registered message id << 16) |
// slot; 0 names no owner.

// Registers `window` as an owner told through `notify_message` (WM_PENNOTIFY:
// wParam a PN_* code), installs the hooks and makes it active. 0 for window 0,
// when the hooks cannot be installed or when all ten slots are in use.
DWORD WRENDLE_STDCALL JebExHook(HWND window, UINT notify_message, int tag, int flags);
// Frees the slot, passing activation on; the last owner removes the hooks.
int WRENDLE_STDCALL JebExUnhook(DWORD handle);
// Removes and reinstalls the hooks (after PN_CANCELJOURNAL).
int WRENDLE_STDCALL JebExRehook(DWORD handle, int unused);
// The first owner with that window (0: any) and tag (0: any), else 0.
DWORD WRENDLE_STDCALL JebExFindHook(HWND window, int tag);
// Non-zero: the owner becomes active; 0: activation passes to the next owner.
int WRENDLE_STDCALL JebExSetActive(DWORD handle, int flag);

// Captured strokes: the StrokeList of the last capture, in bytes.
int WRENDLE_STDCALL JebExGetSize(DWORD handle, int counter);
// Copies min(size, JebExGetSize) bytes into buffer; returns that count.
int WRENDLE_STDCALL JebExGetData(DWORD handle, int counter, void* buffer, int size);
int WRENDLE_STDCALL JebExClearData(DWORD handle, int counter);
// The last tablet pen position in screen pixels.
int WRENDLE_STDCALL JebExGetLastPosition(POINT* position);
// waiting non-zero: wait for recognition (window: the wait button); flag
// non-zero: stop waiting, the capture goes on; both 0: end the capture, which
// erases the ink and sends PN_CAPTUREEND once.
int WRENDLE_STDCALL JebExSetWaittingRecognize(int waiting, int flag, HWND window);

// Pen settings of an owner.
int WRENDLE_STDCALL JebExSetPen(DWORD handle, int width, COLORREF colour);
int WRENDLE_STDCALL JebExSetDelay(DWORD handle, int ms);
int WRENDLE_STDCALL JebExSetDelayEx(DWORD handle, int pause_ms, int hold_ms);
// Mouse mode 0 off, 1 hold-and-move test, 2 at once; returns the old mode.
int WRENDLE_STDCALL JebExEnableMouse(DWORD handle, int mode);
// Pressure mode > 0: strokes come from the tablet. Returns the value.
int WRENDLE_STDCALL JebExSetIsPressure(int pressure_mode);
int WRENDLE_STDCALL JebExGetIsPressure();
// Opens the tablet context on `window`; the context, 0 on failure.
HANDLE WRENDLE_STDCALL JebExInitialWintab(HWND window);
// The last window of another program that took the focus.
HWND WRENDLE_STDCALL JebExGetFocusWnd(DWORD handle);
// The id of "JEBHOOKEX_REG_MORVANE_MESSAGE".
UINT WRENDLE_STDCALL JebExGetRegMsg();

// Text for the composition string of the last foreign focus window (ANSI,
// zero-terminated; at most 266 bytes wait at once). Returns the bytes taken.
int WRENDLE_STDCALL JebPostIMEStringChar(const char* text);

// The hook and timer procedures, exported so that the system can call them in
// every process.
LRESULT WRENDLE_STDCALL MouseProc(int code, WPARAM wparam, LPARAM lparam);
LRESULT WRENDLE_STDCALL SysMsgProc(int code, WPARAM wparam, LPARAM lparam);
LRESULT WRENDLE_STDCALL GetMsgProc(int code, WPARAM wparam, LPARAM lparam);
LRESULT WRENDLE_STDCALL CallWndProc(int code, WPARAM wparam, LPARAM lparam);
LRESULT WRENDLE_STDCALL CbtProc(int code, WPARAM wparam, LPARAM lparam);
LRESULT WRENDLE_STDCALL JournalRecordProc(int code, WPARAM wparam, LPARAM lparam);
void WRENDLE_STDCALL TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// The older interface: exported, without working behaviour.
int WRENDLE_STDCALL JebHookJR();
void WRENDLE_STDCALL JebUnhookJR();
void WRENDLE_STDCALL JebUnhookCBT();
int WRENDLE_STDCALL JebHookCBT(HWND window);
// Shows "JebHookMouse Called!!".
int WRENDLE_STDCALL JebHookMouse(HWND window, UINT message, int flags);
int WRENDLE_STDCALL JebUnhookMouse(HWND window);
int WRENDLE_STDCALL JebEnableMouse(int enable);
int WRENDLE_STDCALL JebEnableNCInking(int enable);
int WRENDLE_STDCALL JebGetCaretPos(POINT* position);
HWND WRENDLE_STDCALL JebGetFocusWnd();
void WRENDLE_STDCALL JebSetPen(int width, COLORREF colour);
void WRENDLE_STDCALL JebSetDelay(int ms);
void WRENDLE_STDCALL JebPostIMEChar(UINT character);

}  // extern "C"
