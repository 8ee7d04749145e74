#include "hook/core/ime_text.h"

#include <cstring>

namespace jebhook {

std::size_t CharacterBoundaryPrefix(std::string_view text, std::size_t max_bytes, LeadBytePredicate is_lead) {
  std::size_t length = 0;
  while (length < text.size()) {
    const bool pair = is_lead(static_cast<unsigned char>(text[length])) && length + 1 < text.size();
    const std::size_t step = pair ? 2 : 1;
    if (length + step > max_bytes) break;
    length += step;
  }
  return length;
}

std::string_view PendingImeText(const char (&field)[kImeTextBytes]) {
  const void* zero = std::memchr(field, 0, kImeTextCapacity);
  const std::size_t length = zero ? static_cast<const char*>(zero) - field : kImeTextCapacity;
  return {field, length};
}

std::size_t AppendImeText(char (&field)[kImeTextBytes], std::string_view text, LeadBytePredicate is_lead) {
  const std::size_t pending = PendingImeText(field).size();
  const std::size_t count = CharacterBoundaryPrefix(text, kImeTextCapacity - pending, is_lead);
  std::memcpy(field + pending, text.data(), count);
  field[pending + count] = '\0';
  return count;
}

std::size_t TakeImeText(char (&field)[kImeTextBytes], char (&taken)[kImeTextBytes]) {
  const std::string_view pending = PendingImeText(field);
  std::memcpy(taken, pending.data(), pending.size());
  taken[pending.size()] = '\0';
  std::memset(field, 0, kImeTextBytes);
  return pending.size();
}

}  // namespace jebhook
