// Stands in, for the tests of the program, for the outside programs that the
// writing pad starts ("Markwell.exe", "Tuvessa.exe", "RiruDarave.exe",
// "vurevaduzi.exe"), copied under their names: it appends its command line to
// "<own path>.log" and runs, with a hidden window of the class
// kOutsideProgramClass titled with its file name, until that window is
// closed.
#include <windows.h>

#include <string>

#include "app/tests/wine/outside_program.h"

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  HANDLE log = CreateFileA((std::string(path) + ".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(log);

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &Procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = outside_program::kWindowClass;
  RegisterClassA(&window_class);
  const std::string name = std::string(path).substr(std::string(path).find_last_of("\\/") + 1);
  if (CreateWindowExA(0, outside_program::kWindowClass, name.c_str(), WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                      instance, nullptr) == nullptr) {
    return 1;
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
