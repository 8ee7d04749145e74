#include "tools/build_language_data/source_text.h"

#include <cstdio>

#include "platform/file_access.h"

namespace build_language_data {

std::optional<std::string> ReadSourceText(const std::string& path) {
  const auto ends_with = [&path](const char* suffix) {
    const std::string s(suffix);
    return path.size() > s.size() && path.compare(path.size() - s.size(), s.size(), s) == 0;
  };
  const char* unpacker = ends_with(".bz2") ? "bzcat" : ends_with(".gz") ? "zcat" : nullptr;
  if (unpacker) {
    std::FILE* pipe = popen((std::string(unpacker) + " '" + path + "'").c_str(), "r");
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
