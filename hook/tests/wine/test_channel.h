// Lines of text between the wine test and its helper processes, carried by
// WM_COPYDATA: helpers report what they received, the test sends commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jebhook::wine_test {

inline constexpr ULONG_PTR kLineTag = 0x4A4C494E;  // "JLIN"

// Sends one line and waits (at most 10 s) until the receiver has handled it.
void SendLine(HWND to, std::string_view line);
// The line of a WM_COPYDATA message, or empty when it carries none.
std::string LineOf(LPARAM copy_data);

// For the helper programs: registers their window class, with an arrow
// cursor and a stock brush; runs their message loop until WM_QUIT.
void RegisterHelperClass(const char* name, WNDPROC procedure, int stock_brush);
int RunMessageLoop();

std::string Hex(std::uintptr_t value);
template <typename Handle>
std::string HexHandle(Handle handle) {
  return Hex(reinterpret_cast<std::uintptr_t>(handle));
}
std::uintptr_t ParseHex(std::string_view text);
std::vector<std::string> Words(std::string_view line);

}  // namespace jebhook::wine_test
