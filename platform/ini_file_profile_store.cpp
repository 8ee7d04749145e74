// Portable profile store: the file is parsed on every call and rewritten
// through a new file that replaces it, so a failed write leaves the old file
// intact.
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/file_access.h"
#include "platform/profile_store.h"
#include "platform/system_info.h"
#include "platform/text_compare.h"

namespace platform {
namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> ReadLines(const std::string& path, bool* exists) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  *exists = static_cast<bool>(in);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "[Name]" gives "Name"; nullopt for other lines.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
  const size_t close = trimmed.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

// "Key = Value" gives the trimmed key; nullopt for lines without '='.
std::optional<std::string> KeyName(const std::string& line) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos || Trim(line).front() == ';') return std::nullopt;
  return Trim(line.substr(0, equals));
}

std::string ValueOf(const std::string& line) {
  std::string value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

struct Location {
  size_t section_line = std::string::npos;  // the "[Section]" line
  size_t section_end = 0;                   // one past its last non-blank line
  size_t key_line = std::string::npos;
};

Location Find(const std::vector<std::string>& lines, const std::string& section, const std::string& key) {
  Location location;
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionName(lines[i])) {
      if (inside) break;
      inside = SameTextIgnoringCase(*name, section);
      if (inside) {
        location.section_line = i;
        location.section_end = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    if (!Trim(lines[i]).empty()) location.section_end = i + 1;
    const auto name = KeyName(lines[i]);
    if (name && location.key_line == std::string::npos && SameTextIgnoringCase(*name, key))
      location.key_line = i;
  }
  return location;
}

class IniFileProfileStore final : public ProfileStore {
 public:
  explicit IniFileProfileStore(std::string directory) : directory_(std::move(directory)) {}

  std::optional<std::string> GetString(const std::string& file, const std::string& section,
                                       const std::string& key) const override {
    bool exists = false;
    const auto lines = ReadLines(PathOf(file), &exists);
    const Location location = Find(lines, section, key);
    if (location.key_line == std::string::npos) return std::nullopt;
    return ValueOf(lines[location.key_line]);
  }

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    const std::string path = PathOf(file);
    bool exists = false;
    auto lines = ReadLines(path, &exists);
    const Location location = Find(lines, section, key);
    const std::string entry = key + "=" + value;
    if (location.key_line != std::string::npos) {
      lines[location.key_line] = entry;
    } else if (location.section_line != std::string::npos) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(location.section_end), entry);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
    return Replace(path, lines);
  }

  bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override {
    const std::string path = PathOf(file);
    bool exists = false;
    auto lines = ReadLines(path, &exists);
    const Location location = Find(lines, section, key);
    if (location.key_line == std::string::npos) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(location.key_line));
    return Replace(path, lines);
  }

 private:
  std::string PathOf(const std::string& file) const {
    const bool has_directory = file.find_first_of("/\\") != std::string::npos;
    return has_directory ? file : JoinPath(directory_, file);
  }

  static bool Replace(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return WriteWholeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }

  std::string directory_;
};

}  // namespace

int ParseProfileInt(const std::string& text) {
  const std::string trimmed = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < trimmed.size() && (trimmed[i] == '-' || trimmed[i] == '+')) negative = trimmed[i++] == '-';
  long long value = 0;
  for (; i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9'; ++i) {
    value = value * 10 + (trimmed[i] - '0');
    if (value > 0x7FFFFFFFLL) value = 0x80000000LL;  // saturate, no overflow
  }
  if (negative) value = -value;
  if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
  return static_cast<int>(value);
}

int ProfileStore::GetInt(const std::string& file, const std::string& section, const std::string& key,
                         int default_value) const {
  const auto value = GetString(file, section, key);
  return value ? ParseProfileInt(*value) : default_value;
}

std::unique_ptr<ProfileStore> MakeIniFileProfileStore(const std::string& default_directory) {
  return std::make_unique<IniFileProfileStore>(default_directory);
}

}  // namespace platform
