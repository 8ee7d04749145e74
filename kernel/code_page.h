// The character set a kernel is built for: its dictionary tag, its character
// categories and the range filter over candidate codes.
#pragma once

#include <array>
#include <cstdint>

namespace kernel {

enum class CodePage { kBig5, kGb2312 };

// Range flags of the filter.
inline constexpr int kRangeChinese = 0x1;
inline constexpr int kRangeLetters = 0x2;
inline constexpr int kRangeDigits = 0x4;
inline constexpr int kRangeBig5Extension = 0x8;
inline constexpr int kRangeBig5Symbols = 0x10;
inline constexpr int kRangeUserCodes = 0x8000;

// The four tag bytes of the dictionary header: "cht" or "chs" and a zero.
std::array<char, 4> DictionaryTag(CodePage code_page);

// A code as callers see it has the lead byte in the low byte; the tables
// below work on the swapped form (lead byte high).
constexpr std::uint16_t SwapBytes(std::uint16_t code) {
  return static_cast<std::uint16_t>((code >> 8) | (code << 8));
}

// 5 digits, 3 capitals, 4 small letters, 100 user codes, 7 and 8 the Big5
// extension ranges, 1 symbols and common characters, 2 further characters,
// 0 anything else. `code` in the caller's form.
int GetCharCategory(CodePage code_page, std::uint16_t code);

// Whether the range flags admit the code (in the caller's form).
bool FilterCode(CodePage code_page, int flags, std::uint16_t code);

}  // namespace kernel
