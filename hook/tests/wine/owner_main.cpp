// An owner of the hook library for the wine tests. It registers its window
// with JebExHook (window, 1235, 1, 0), reports to the test every WM_PENNOTIFY
// and the StrokeList fetched at PN_CAPTUREEND, and runs the test's commands.
// Usage: hook_test_owner.exe <test window, hex>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "hook/jebhook_api.h"
#include "hook/tests/wine/test_channel.h"

namespace {

using namespace jebhook::wine_test;

constexpr UINT kPenNotify = 1235;
constexpr char kClassName[] = "HookTestOwner";

HWND g_test = nullptr;
HWND g_wait_window = nullptr;
std::vector<HWND> g_windows;  // [0] the main window, then those of "register"
std::vector<DWORD> g_handles;
bool g_auto_end = true;

void Report(const std::string& line) { SendLine(g_test, "owner " + line); }

int IndexOf(HWND window) {
  for (std::size_t i = 0; i < g_windows.size(); ++i) {
    if (g_windows[i] == window) return static_cast<int>(i);
  }
  return -1;
}

DWORD MainHandle() { return g_handles.empty() ? 0 : g_handles[0]; }

void OnCaptureEnd(int counter) {
  const int size = JebExGetSize(MainHandle(), counter);
  std::vector<std::int32_t> entries(static_cast<std::size_t>(size > 0 ? size / 4 : 0));
  const int got = size > 0 ? JebExGetData(MainHandle(), counter, entries.data(), size) : 0;
  std::string line = "data " + std::to_string(got / 8);
  for (int i = 0; i + 1 < got / 4; i += 2) {
    line += " " + std::to_string(entries[i]) + "," + std::to_string(entries[i + 1]);
  }
  Report(line);
  JebExClearData(MainHandle(), counter);
}

void OnPenNotify(HWND window, WPARAM code, LPARAM lparam) {
  Report("notify " + std::to_string(IndexOf(window)) + " " + std::to_string(code) + " " +
         Hex(static_cast<std::uintptr_t>(lparam)));
  if (code == 32 && lparam == 0 && g_auto_end) JebExSetWaittingRecognize(0, 0, nullptr);
  if (code == 2) OnCaptureEnd(static_cast<int>(lparam));
}

HWND CreateOwnerWindow(int x, int y, int width, int height, bool visible) {
  return CreateWindowExA(WS_EX_TOPMOST, kClassName, "owner",
                         WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0), x, y, width, height, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

void RunCommand(const std::string& command) {
  const std::vector<std::string> words = Words(command);
  if (words.empty()) return;
  const std::string& verb = words[0];
  auto number = [&](std::size_t i) { return i < words.size() ? std::atoi(words[i].c_str()) : 0; };
  if (verb == "mode") {
    Report("mode-was " + std::to_string(JebExEnableMouse(MainHandle(), number(1))));
  } else if (verb == "delay") {
    JebExSetDelayEx(MainHandle(), number(1), number(2));
    Report("delay-set");
  } else if (verb == "pen") {
    JebExSetPen(MainHandle(), number(1), static_cast<COLORREF>(std::strtoul(words[2].c_str(), nullptr, 16)));
    Report("pen-set");
  } else if (verb == "end") {
    Report("ended " + std::to_string(JebExSetWaittingRecognize(0, 0, nullptr)));
  } else if (verb == "wait") {
    Report("waiting " + std::to_string(JebExSetWaittingRecognize(number(1), number(2), g_wait_window)));
  } else if (verb == "auto") {
    g_auto_end = number(1) != 0;
    Report("auto-set");
  } else if (verb == "register") {
    for (int i = 0; i < number(1); ++i) {
      HWND window = CreateOwnerWindow(0, 0, 10, 10, false);
      g_windows.push_back(window);
      const DWORD handle = JebExHook(window, kPenNotify, 2, 0);
      g_handles.push_back(handle);
      Report("registered " + Hex(handle));
    }
  } else if (verb == "unhook") {
    const int index = number(1);
    const DWORD handle = index < static_cast<int>(g_handles.size()) ? g_handles[index] : 0;
    Report("unhooked " + std::to_string(JebExUnhook(handle)));
  } else if (verb == "find") {
    Report("found " + Hex(JebExFindHook(nullptr, number(1))));
  } else if (verb == "focus") {
    Report("focus " + HexHandle(JebExGetFocusWnd(MainHandle())));
  } else if (verb == "ime") {
    Report("ime-taken " + std::to_string(JebPostIMEStringChar(words.size() > 1 ? words[1].c_str() : "")));
  } else if (verb == "ime2") {
    // Two posts at once, before the target can take the first.
    const int first = JebPostIMEStringChar(words[1].c_str());
    const int second = JebPostIMEStringChar(words[2].c_str());
    Report("ime-taken " + std::to_string(first) + " " + std::to_string(second));
  } else if (verb == "wintab") {
    Report("wintab " + HexHandle(JebExInitialWintab(g_windows[0])));
  } else if (verb == "pressure") {
    const int set = JebExSetIsPressure(number(1));
    Report("pressure " + std::to_string(set) + " " + std::to_string(JebExGetIsPressure()));
  } else if (verb == "lastpos") {
    POINT p{};
    JebExGetLastPosition(&p);
    Report("lastpos " + std::to_string(p.x) + " " + std::to_string(p.y));
  } else if (verb == "active") {
    Report("active-set " + std::to_string(JebExSetActive(MainHandle(), number(1))));
  } else if (verb == "quit") {
    for (DWORD handle : g_handles) JebExUnhook(handle);
    g_handles.clear();
    PostQuitMessage(0);
  }
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kPenNotify:
      OnPenNotify(window, wparam, lparam);
      return 0;
    case WM_COPYDATA:
      RunCommand(LineOf(lparam));
      return TRUE;
    case WM_LBUTTONDOWN:
      Report(window == g_wait_window ? "press wait" : "press " + std::to_string(IndexOf(window)));
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_test = reinterpret_cast<HWND>(ParseHex(argv[1]));

  RegisterHelperClass(kClassName, OwnerProc, GRAY_BRUSH);

  // A capture that an owner of an earlier test left on ends now.
  JebExSetWaittingRecognize(0, 0, nullptr);

  HWND main_window = CreateOwnerWindow(460, 60, 160, 120, true);
  g_wait_window = CreateOwnerWindow(460, 220, 80, 40, true);
  g_windows.push_back(main_window);
  const DWORD handle = JebExHook(main_window, kPenNotify, 1, 0);
  g_handles.push_back(handle);
  Report("ready " + HexHandle(main_window) + " " + HexHandle(g_wait_window) + " " + Hex(handle));

  return RunMessageLoop();
}
