#include "app/core/text_lines.h"

#include <cstring>

namespace wrendle::app {

std::uint16_t NextChar(const char** text) {
  const auto* p = reinterpret_cast<const unsigned char*>(*text);
  if (p == nullptr || p[0] == 0) {
    *text = nullptr;
    return 0;
  }
  if (IsLeadByte(p[0])) {
    if (p[1] == 0) {
      *text = nullptr;
      return 0;
    }
    const auto code = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    *text += 2;
    if (**text == 0) *text = nullptr;
    return code;
  }
  const std::uint16_t code = p[0];
  *text += 1;
  if (**text == 0) *text = nullptr;
  return code;
}

bool IsUserDefinedChar(std::uint16_t code, int language) {
  const auto in = [code](std::uint16_t low, std::uint16_t high) { return code >= low && code <= high; };
  switch (language) {
    case 4000:
      return in(0xF8A1, 0xFEFE) || in(0xAAA1, 0xAFFE);
    case 3000:
      return in(0xC9A1, 0xC9FE) || in(0xFEA1, 0xFEFE);
    case 1000:
      return in(0xF040, 0xF9FC);
    case 2000:
      return in(0xFA40, 0xFEFE) || in(0x8E40, 0xA0FE) || in(0x8140, 0x8DFE) || in(0xC6A1, 0xC8FE);
    default:
      return false;
  }
}

namespace {

constexpr std::size_t kPiece = 255;

// Reads a piece of at most kPiece bytes (fgets semantics) into `piece`;
// returns its length, 0 at the end of the file.
std::size_t ReadPiece(char (&piece)[kPiece + 1], std::FILE* file) {
  if (std::fgets(piece, sizeof piece, file) == nullptr) return 0;
  return std::strlen(piece);
}

}  // namespace

std::size_t ReadLine(char* buffer, std::size_t size, std::FILE* file) {
  if (buffer == nullptr || size == 0 || file == nullptr) return 0;
  buffer[0] = 0;
  std::size_t length = 0;
  bool fits = true;
  char piece[kPiece + 1];
  for (;;) {
    const std::size_t n = ReadPiece(piece, file);
    if (n == 0) break;
    if (fits && length + n < size) {
      std::memcpy(buffer + length, piece, n + 1);
    } else {
      fits = false;
    }
    length += n;
    if (piece[n - 1] == '\n' || n < kPiece) break;
  }
  if (!fits) {
    buffer[0] = 0;
    return 0;
  }
  return length;
}

}  // namespace wrendle::app
