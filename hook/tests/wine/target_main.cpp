// A target program for the wine tests: a window with a button that reports
// to the test every mouse message, click, focus change and composition string
// it receives.
// Usage: hook_test_target.exe <test window, hex> [x y width height]
#include <windows.h>

#include <imm.h>

#include <cstdlib>
#include <string>

#include "hook/tests/wine/test_channel.h"
#include "tests/support/mouse_driver.h"

namespace {

using namespace jebhook::wine_test;

constexpr char kClassName[] = "HookTestTarget";
constexpr int kButtonId = 1;

HWND g_test = nullptr;
HWND g_main = nullptr;
HWND g_button = nullptr;

void Report(const std::string& line) { SendLine(g_test, "target " + line); }

void ReportMouse(const char* what, HWND window, LPARAM lparam) {
  POINT p{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(window, &p);
  Report(std::string(what) + " " + std::to_string(p.x) + " " + std::to_string(p.y));
}

void ReportComposition(HWND window) {
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return;
  char text[512] = {};
  const LONG length = ImmGetCompositionStringA(context, GCS_COMPSTR, text, sizeof text - 1);
  ImmReleaseContext(window, context);
  if (length > 0) Report("comp " + std::string(text, static_cast<std::size_t>(length)));
}

void RunCommand(const std::string& command) {
  const auto words = Words(command);
  if (words.empty()) return;
  if (words[0] == "focus") {
    SetForegroundWindow(g_main);
    SetFocus(words.size() > 1 && words[1] == "button" ? g_button : g_main);
    Report("focused " + HexHandle(GetFocus()));
  } else if (words[0] == "clip") {
    Report("clipped " + std::to_string(testing_support::ClipCursorForTests() ? 1 : 0));
  } else if (words[0] == "quit") {
    PostQuitMessage(0);
  }
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      ReportMouse("down", window, lparam);
      return 0;
    case WM_LBUTTONUP:
      ReportMouse("up", window, lparam);
      return 0;
    case WM_MOUSEMOVE:
      ReportMouse("move", window, lparam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) Report("clicked");
      return 0;
    case WM_IME_COMPOSITION:
      if (lparam & GCS_COMPSTR) ReportComposition(window);
      return DefWindowProcA(window, message, wparam, lparam);
    case WM_COPYDATA:
      RunCommand(LineOf(lparam));
      return TRUE;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_test = reinterpret_cast<HWND>(ParseHex(argv[1]));

  RegisterHelperClass(kClassName, TargetProc, WHITE_BRUSH);

  RECT place{20, 60, 420, 300};  // left, top, width, height
  if (argc >= 6) place = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
  g_main = CreateWindowExA(0, kClassName, "target", WS_POPUP | WS_VISIBLE, place.left, place.top, place.right,
                           place.bottom, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  g_button = CreateWindowExA(0, "Button", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100, 30,
                             g_main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                             GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(g_main);
  Report("ready " + HexHandle(g_main) + " " + HexHandle(g_button));

  return RunMessageLoop();
}
