// A target application for the text-output tests, run as a process of its
// own: a Unicode edit control, a "RichEdit20W" control and a button. It
// records what its controls receive (key-downs, characters, pastes, clicks)
// in the title of a hidden log window, which the tests read from their
// process with GetWindowTextW. Activated again, it gives the focus back to
// the control that had it.
#include <windows.h>

#include <string>

#include "app/tests/wine/target_protocol.h"

namespace {

using namespace target_protocol;

HWND g_log = nullptr;
// The control that had the focus last: it gets it back when the window is
// activated again, as in any program with controls.
HWND g_focus = nullptr;
std::wstring g_lines;
WNDPROC g_edit_proc = nullptr;
WNDPROC g_rich_proc = nullptr;

void Log(const std::wstring& line) {
  g_lines += line;
  g_lines += L'\n';
  SetWindowTextW(g_log, g_lines.c_str());
}

LRESULT LogInput(const wchar_t* name, WNDPROC original, HWND window, UINT message, WPARAM wparam,
                 LPARAM lparam) {
  switch (message) {
    case WM_KEYDOWN:
      Log(std::wstring(name) + L" keydown " + std::to_wstring(wparam));
      break;
    case WM_CHAR:
      Log(std::wstring(name) + L" char " + std::to_wstring(wparam));
      break;
    case WM_PASTE:
      Log(std::wstring(name) + L" paste");
      break;
    default:
      break;
  }
  return CallWindowProcW(original, window, message, wparam, lparam);
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return LogInput(L"edit", g_edit_proc, window, message, wparam, lparam);
}

LRESULT CALLBACK RichProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The rich-edit control pastes on Ctrl+V without a WM_PASTE of its own.
  if (message == WM_KEYDOWN && wparam == 'V' && (GetKeyState(VK_CONTROL) & 0x8000)) Log(L"rich paste");
  return LogInput(L"rich", g_rich_proc, window, message, wparam, lparam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) Log(L"button clicked");
      return 0;
    case kFocusMessage:
      g_focus = GetDlgItem(window, static_cast<int>(wparam));
      SetForegroundWindow(window);
      SetFocus(g_focus);
      return GetFocus() == g_focus;
    case WM_SETFOCUS:
      if (g_focus != nullptr) SetFocus(g_focus);
      return 0;
    case kResetMessage:
      SetWindowTextW(GetDlgItem(window, kEditId), L"");
      SetWindowTextW(GetDlgItem(window, kRichId), L"");
      g_lines.clear();
      SetWindowTextW(g_log, L"");
      return 0;
    case kHoldClipboardMessage:
      if (wparam == 0) return CloseClipboard();
      if (!OpenClipboard(window)) return FALSE;
      EmptyClipboard();
      if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof L"stale")) {
        lstrcpyW(static_cast<wchar_t*>(GlobalLock(block)), L"stale");
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
      }
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  LoadLibraryA("Riched20.dll");
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &MainProc;
  window_class.hInstance = instance;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = kClassName;
  RegisterClassW(&window_class);
  HWND main = CreateWindowExW(0, kClassName, L"Target", WS_OVERLAPPEDWINDOW, 200, 200, 420, 260, nullptr,
                              nullptr, instance, nullptr);
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10,
                              380, 28, main, reinterpret_cast<HMENU>(kEditId), instance, nullptr);
  HWND rich = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                              10, 50, 380, 28, main, reinterpret_cast<HMENU>(kRichId), instance, nullptr);
  CreateWindowExW(0, L"Button", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 100, 120, 40, main,
                  reinterpret_cast<HMENU>(kButtonId), instance, nullptr);
  g_log = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 0, 0, main, reinterpret_cast<HMENU>(kLogId),
                          instance, nullptr);
  g_edit_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
  if (rich != nullptr) {
    g_rich_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(rich, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RichProc)));
  }
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  SetForegroundWindow(main);
  g_focus = edit;
  SetFocus(edit);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
