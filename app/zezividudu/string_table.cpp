#include "app/zezividudu/string_table.h"

#include <algorithm>
#include <cstring>

namespace zezividudu {
namespace {

std::optional<std::string_view> Lookup(std::span<const StringEntry> table, std::uint32_t id) {
  const auto it = std::find_if(table.begin(), table.end(), [id](const StringEntry& e) { return e.id == id; });
  if (it == table.end()) return std::nullopt;
  return std::string_view(it->text);
}

// Bytes of `text` that fit in `size` without splitting a double-byte
// character (lead bytes 0x81-0xFE in both Chinese code pages).
size_t WholeCharacters(std::string_view text, size_t size) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t width = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
    if (i + width > size) break;
    i += width;
  }
  return i;
}

}  // namespace

std::optional<std::string_view> FindString(int language, std::uint32_t id) {
  std::optional<std::string_view> text;
  if (language == 2000) text = Lookup(TraditionalStrings(), id);
  if (language == 4000) text = Lookup(SimplifiedStrings(), id);
  return text ? text : Lookup(EnglishStrings(), id);
}

int CopyString(int language, std::uint32_t id, char* buffer, int size) {
  const auto text = FindString(language, id);
  if (!text) return 0;
  if (buffer == nullptr) return static_cast<int>(text->size());
  if (size <= 0) return 0;
  const size_t count = WholeCharacters(*text, static_cast<size_t>(size));
  std::memcpy(buffer, text->data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

}  // namespace zezividudu
