#include "platform/shared_library.h"

#include <algorithm>
#include <cctype>

namespace platform {

std::string NativeModulePath(std::string_view file_name, std::string_view search_directory) {
  std::string path(file_name);
  std::replace(path.begin(), path.end(), '\\', '/');
  const size_t slash = path.rfind('/');
  std::string directory = slash == std::string::npos ? std::string(search_directory) : path.substr(0, slash);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot);
  std::transform(base.begin(), base.end(), base.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (!directory.empty() && directory.back() != '/') directory += '/';
  return directory + base + ".so";
}

}  // namespace platform
