// Character walking, character classes and line reading of the program's
// own text files (multi-byte text of the recognizer's code page).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace wrendle::app {

// Bit 7 set: the first byte of a double-byte character.
constexpr bool IsLeadByte(std::uint8_t byte) { return (byte & 0x80) != 0; }

// The character at `*text` and the pointer moved past it: a double-byte
// character (lead byte in the low byte) when a lead byte has a second byte
// after it, else the single byte. The pointer becomes null at the end of the
// text; an empty text gives 0 and null, and so does a lone lead byte at the
// end.
std::uint16_t NextChar(const char** text);

// Whether `code` (lead byte x 256 + trail byte) lies in the user-defined
// area of the code page of `language` (4000 GB2312, 3000 Korean,
// 1000 Shift_JIS, 2000 Big5); false for other languages.
bool IsUserDefinedChar(std::uint16_t code, int language);

// Reads one text line into `buffer` (NUL-terminated) in pieces of at most
// 255 bytes. Returns its length including the line end, or 0 at the end of
// the file. A line that does not fit `size` bytes with its NUL is read to
// its end and dropped: the call returns 0 with an empty buffer, and the
// next call starts at the next line. Nothing is written past `size`.
std::size_t ReadLine(char* buffer, std::size_t size, std::FILE* file);

}  // namespace wrendle::app
