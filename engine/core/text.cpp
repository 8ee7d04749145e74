#include "engine/core/text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace vok {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

char* StringToUpper(char* text) {
  if (!text) return text;
  for (char* p = text; *p; ++p) {
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  }
  return text;
}

char* StringToLower(char* text) {
  if (!text) return text;
  for (char* p = text; *p; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  }
  return text;
}

std::size_t CharacterPrefix(const char* text, std::size_t length, std::size_t limit) {
  if (limit >= length) return length;
  std::size_t pos = 0;
  while (pos < limit) {
    const std::size_t next = pos + static_cast<std::size_t>(CharacterLength(text, pos, length));
    if (next > limit) break;
    pos = next;
  }
  return pos;
}

std::vector<std::string> SplitTokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t start = line.find_first_not_of(kTokenSeparators, pos);
    if (start == std::string::npos) break;
    std::size_t end = line.find_first_of(kTokenSeparators, start);
    if (end == std::string::npos) end = line.size();
    tokens.push_back(line.substr(start, end - start));
    pos = end;
  }
  return tokens;
}

int SplitWords(const char* text, WordList* list) {
  if (!list) return 0;
  list->count_ = 0;
  list->copy_[0] = '\0';
  if (!text) return 0;
  const std::size_t length = std::strlen(text);
  const std::size_t kept = CharacterPrefix(text, length, WordList::kMaxText);
  std::memcpy(list->copy_, text, kept);
  list->copy_[kept] = '\0';
  char* p = list->copy_;
  while (*p && list->count_ < WordList::kMaxWords) {
    while (*p == ' ') ++p;
    if (!*p) break;
    list->words_[list->count_++] = p;
    while (*p && *p != ' ') ++p;
    if (*p) *p++ = '\0';
  }
  return list->count_;
}

int ParseLeadingInt(const char* text) {
  if (!text) return 0;
  while (IsSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10 + (*text++ - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

double ParseLeadingDouble(const char* text) {
  if (!text) return 0.0;
  while (IsSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  if (*text == '+' || *text == '-') return 0.0;  // one sign only, as strtod
  double value = 0.0;
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(text, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone when it is out of range; strtod gives
    // HUGE_VAL for a large number and 0 for a tiny one.
    const char* exponent = nullptr;
    for (const char* p = text; p < result.ptr; ++p) {
      if (*p == 'e' || *p == 'E') exponent = p;
    }
    value = (exponent && exponent[1] == '-') ? 0.0 : HUGE_VAL;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

std::string FormatInt(int value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string FormatFixed(double value, int decimals) {
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

}  // namespace vok
