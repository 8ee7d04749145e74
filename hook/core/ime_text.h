// The text waiting in the shared block for the input-method composition
// string: a zero-terminated text in the system's ANSI code page, where a
// double-byte character is a lead byte and one trail byte.
#pragma once

#include <cstddef>
#include <string_view>

#include "hook/core/shared_block.h"

namespace jebhook {

using LeadBytePredicate = bool (*)(unsigned char byte);

// Most bytes of pending text, the zero excluded.
inline constexpr std::size_t kImeTextCapacity = kImeTextBytes - 1;

// The length of the longest prefix of `text` of at most `max_bytes` bytes
// that does not split a double-byte character. A lead byte at the very end of
// `text` counts as a character of its own.
std::size_t CharacterBoundaryPrefix(std::string_view text, std::size_t max_bytes, LeadBytePredicate is_lead);

// The pending text; a field without its zero ends at the capacity.
std::string_view PendingImeText(const char (&field)[kImeTextBytes]);

// Appends as much of `text` as fits behind the pending text, cut at a
// character boundary. Returns the bytes appended.
std::size_t AppendImeText(char (&field)[kImeTextBytes], std::string_view text, LeadBytePredicate is_lead);

// Moves the pending text into `taken` (zero-terminated) and leaves the field
// empty. Returns its length.
std::size_t TakeImeText(char (&field)[kImeTextBytes], char (&taken)[kImeTextBytes]);

}  // namespace jebhook
