// The text of a window or control as bytes of the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

namespace wrendle::app {

inline std::string WindowText(HWND window) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace wrendle::app
