#include <cstdlib>

#include "platform/system_info.h"

namespace platform {

ScreenSize PrimaryScreenSize() { return {1024, 768}; }

std::string WindowsDirectory() {
  const char* directory = std::getenv("WRENDLE_WINDOWS_DIR");
  return directory != nullptr && *directory != '\0' ? directory : ".";
}

std::string JoinPath(const std::string& directory, const std::string& file_name) {
  if (directory.empty() || directory.back() == '/') return directory + file_name;
  return directory + '/' + file_name;
}

}  // namespace platform
