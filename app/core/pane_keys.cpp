#include "app/core/pane_keys.h"

#include <algorithm>
#include <cctype>

namespace wrendle::app {

std::array<std::string, kKeyboardKeys> KeyboardLabels(const std::string& unshifted,
                                                      const std::string& shifted, bool shift, bool caps) {
  const std::string& source = shift ? shifted : unshifted;
  const bool upper = shift != caps;
  std::array<std::string, kKeyboardKeys> labels;
  for (std::size_t key = 0; key < labels.size() && key < source.size(); ++key) {
    const auto byte = static_cast<unsigned char>(source[key]);
    const int cased = byte >= 0x80 ? byte : upper ? std::toupper(byte) : std::tolower(byte);
    labels[key] = std::string(1, static_cast<char>(cased));
  }
  return labels;
}

int ClampSymbolGroup(int group) { return group >= 0 && group < kSymbolGroups ? group : 0; }

std::array<SymbolKey, kSymbolKeys> SymbolKeys(const std::string& symbols, int page) {
  std::array<SymbolKey, kSymbolKeys> keys;
  if (page < 0 || page >= kSymbolPagesPerCategory) return keys;
  for (std::size_t key = 0; key < keys.size(); ++key) {
    const std::size_t at = static_cast<std::size_t>(page) * kSymbolPageBytes + 2 * key;
    if (at < symbols.size()) keys[key] = {symbols.substr(at, 2), true};
  }
  return keys;
}

int SymbolPageCount(const std::string& symbols) {
  return std::min<int>(kSymbolPagesPerCategory,
                       static_cast<int>((symbols.size() + kSymbolPageBytes - 1) / kSymbolPageBytes));
}

std::string SymbolPageMenuText(const std::string& symbols, int page) {
  std::string text;
  if (page < 0) return text;
  const std::size_t start = static_cast<std::size_t>(page) * kSymbolPageBytes;
  if (start >= symbols.size()) return text;
  for (const char byte : symbols.substr(start, kSymbolPageBytes)) {
    text.push_back(byte);
    if (byte == '&') text.push_back('&');
  }
  return text;
}

std::optional<int> SymbolGroupOfCommand(int command) {
  const int group = command - kFirstSymbolGroupCommand;
  if (group < 0 || group >= kSymbolGroups) return std::nullopt;
  return group;
}

}  // namespace wrendle::app
