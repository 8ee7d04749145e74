#include "tools/build_language_data/source_text.h"

#include <cstdio>

#include "platform/file_access.h"

namespace build_language_data {

std::optional<std::string> ReadSourceText(const std::string& path) {
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".bz2") == 0) {
    std::FILE* pipe = popen(("bzcat '" + path + "'").c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string text;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional<std::string>(text) : std::nullopt;
  }
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace build_language_data
