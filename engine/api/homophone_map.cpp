#include "engine/api/homophone_map.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vok::api {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The announced number of entries; 0 when the first line is not a number.
std::size_t AnnouncedCount(const std::string& line) {
  char* end = nullptr;
  const long count = std::strtol(line.c_str(), &end, 10);
  if (end == line.c_str() || count <= 0) return 0;
  while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
  return *end == '\0' ? static_cast<std::size_t>(count) : 0;
}

}  // namespace

VokStatus CHomophoneMap::Load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return kVokInternalFailure;
  texts_.clear();
  std::string line;
  bool first_line = true;
  std::size_t capacity = 0;
  while (std::getline(file, line)) {
    if (line.size() > kLineBytes) line.resize(kLineBytes);
    if (first_line) {
      first_line = false;
      capacity = AnnouncedCount(line);
      if (capacity != 0) continue;
    }
    if (capacity != 0 && texts_.size() >= capacity) break;
    std::istringstream fields(line);
    std::string pronunciation, text;
    if (!(fields >> pronunciation >> text)) continue;
    texts_.emplace(Lower(pronunciation), text);
  }
  return kVokOk;
}

const char* CHomophoneMap::Find(const std::string& pronunciation) const {
  const auto found = texts_.find(Lower(pronunciation));
  return found == texts_.end() ? nullptr : found->second.c_str();
}

void FirstTwoCharacters(const char* text, std::uint16_t* first, std::uint16_t* second) {
  std::uint16_t codes[2] = {0, 0};
  const std::size_t length = text == nullptr ? 0 : std::strlen(text);
  for (std::size_t i = 0; i < 2 && 2 * i + 1 < length; ++i) {
    codes[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(text[2 * i]) << 8 |
                                          static_cast<unsigned char>(text[2 * i + 1]));
  }
  if (first != nullptr) *first = codes[0];
  if (second != nullptr) *second = codes[1];
}

}  // namespace vok::api
