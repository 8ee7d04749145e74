#include <windows.h>

#include "platform/system_info.h"

namespace platform {

ScreenSize PrimaryScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

std::string WindowsDirectory() {
  char buffer[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "C:\\WINDOWS";
  return std::string(buffer, length);
}

std::string JoinPath(const std::string& directory, const std::string& file_name) {
  if (directory.empty() || directory.back() == '\\' || directory.back() == '/') return directory + file_name;
  return directory + '\\' + file_name;
}

}  // namespace platform
