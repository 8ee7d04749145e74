// A word of a unit body as written: the word, then flag characters, then an
// optional "$p" weight ("city*-$0.5").
#pragma once

#include <cstdint>
#include <string>

namespace vok {

inline constexpr int32_t kTokenFillerAround = 0x1;    // '*': filler before and after
inline constexpr int32_t kTokenFillerInstead = 0x10;  // '?': may be replaced by filler
inline constexpr int32_t kTokenOptional = 0x100;      // '-': may be left out
inline constexpr int32_t kTokenRepeated = 0x1000;     // '+': one or more times
inline constexpr int kBodyTokenMaxLength = 91;

// ln(p) x 10000.499991668185 + 0.5, its integer part shifted right by 8 with
// the sign kept; 0 for p <= 0 or not a number. Values beyond the int16 range
// (huge or infinite p) are clamped.
int16_t ArcWeight(double probability);

struct WordToken {
  std::string word;
  int32_t flags = 0;
  int16_t weight = 0;
};

// Cuts the weight suffix (after the last '$'), then the flag characters from
// the end. False for a token longer than kBodyTokenMaxLength.
bool SplitWordToken(const char* token, WordToken* result);

}  // namespace vok
