#include "tools/build_language_data/script_conversion.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace build_language_data {

namespace {

// The byte length of the UTF-8 character that starts with `lead` (1 for a
// stray continuation byte, so a broken text still advances).
std::size_t CharacterBytes(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Byte offsets of the characters of a text, and its length at the end.
std::vector<std::size_t> CharacterStarts(const std::string& text) {
  std::vector<std::size_t> starts;
  for (std::size_t p = 0; p < text.size(); p += CharacterBytes(static_cast<unsigned char>(text[p])))
    starts.push_back(p);
  starts.push_back(text.size());
  return starts;
}

}  // namespace

int ScriptConversion::AddTable(const std::string& table_text) {
  std::istringstream lines(table_text);
  int added = 0;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    std::string key = line.substr(0, tab);
    std::string value = line.substr(tab + 1);
    value = value.substr(0, value.find(' '));
    if (!value.empty() && value.back() == '\r') value.pop_back();
    if (value.empty()) continue;
    longest_key_ = std::max(longest_key_, CharacterStarts(key).size() - 1);
    if (table_.emplace(std::move(key), std::move(value)).second) ++added;
  }
  return added;
}

std::string ScriptConversion::Convert(const std::string& utf8) const {
  const std::vector<std::size_t> starts = CharacterStarts(utf8);
  const std::size_t characters = starts.size() - 1;
  std::string out;
  std::size_t i = 0;
  while (i < characters) {
    bool matched = false;
    for (std::size_t n = std::min(longest_key_, characters - i); n >= 1 && !matched; --n) {
      const auto it = table_.find(utf8.substr(starts[i], starts[i + n] - starts[i]));
      if (it == table_.end()) continue;
      out += it->second;
      i += n;
      matched = true;
    }
    if (!matched) {
      out.append(utf8, starts[i], starts[i + 1] - starts[i]);
      ++i;
    }
  }
  return out;
}

}  // namespace build_language_data
