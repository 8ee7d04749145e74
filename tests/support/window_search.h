// Finding a top-level window of another process in the wine tests.
#pragma once

#include <windows.h>

#include <functional>

namespace testing_support {

struct WindowSearch {
  DWORD process;
  const std::function<bool(HWND)>* match;
  HWND found;
};

inline BOOL CALLBACK MatchWindowOfProcess(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !(*search->match)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// A top-level window of `process` for which `match` holds, or null.
inline HWND FindWindowOf(DWORD process, const std::function<bool(HWND)>& match) {
  WindowSearch search{process, &match, nullptr};
  EnumWindows(MatchWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace testing_support
