// The string table of the resource library: texts by display language and
// string id, served as bytes in the language's own code page.
//
// Size contract of LoadStringEx (language, id, buffer, size): with a null
// buffer the result is the text's length in bytes without the terminating
// zero, 0 when the string is missing. With a buffer, `size` is the number of
// text bytes the caller takes, NOT counting the terminating zero: the buffer
// must hold size + 1 bytes. At most `size` bytes are copied, never half of a
// double-byte character, a zero always follows, and the result is the
// number of bytes copied. So a buffer of length + 1 bytes given with size =
// length receives the whole text, and a 64-byte buffer is passed as size 63.
// Size 0 copies nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zezividudu {

struct StringEntry {
  std::uint32_t id;
  const char* text;
};

std::span<const StringEntry> EnglishStrings();
std::span<const StringEntry> TraditionalStrings();  // Big5
std::span<const StringEntry> SimplifiedStrings();   // GB2312

// The text of `id` in `language` (2000 Big5, 4000 GB2312); English for any
// other language and for an id the language's table lacks.
std::optional<std::string_view> FindString(int language, std::uint32_t id);

// LoadStringEx under the size contract above.
int CopyString(int language, std::uint32_t id, char* buffer, int size);

}  // namespace zezividudu
