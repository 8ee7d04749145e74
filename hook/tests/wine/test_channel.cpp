#include "hook/tests/wine/test_channel.h"

#include <cstdio>
#include <cstdlib>

namespace jebhook::wine_test {

void SendLine(HWND to, std::string_view line) {
  COPYDATASTRUCT data{};
  data.dwData = kLineTag;
  data.cbData = static_cast<DWORD>(line.size());
  data.lpData = const_cast<char*>(line.data());
  DWORD_PTR result = 0;
  SendMessageTimeoutA(to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000, &result);
}

std::string LineOf(LPARAM copy_data) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(copy_data);
  if (data == nullptr || data->dwData != kLineTag || data->lpData == nullptr) return {};
  return std::string(static_cast<const char*>(data->lpData), data->cbData);
}

void RegisterHelperClass(const char* name, WNDPROC procedure, int stock_brush) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(stock_brush));
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.lpszClassName = name;
  RegisterClassA(&window_class);
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

std::string Hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

std::uintptr_t ParseHex(std::string_view text) {
  return static_cast<std::uintptr_t>(std::strtoull(std::string(text).c_str(), nullptr, 16));
}

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

}  // namespace jebhook::wine_test
