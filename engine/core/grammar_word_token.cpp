#include "engine/core/grammar_word_token.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace vok {

int16_t ArcWeight(double probability) {
  if (!(probability > 0.0)) return 0;
  const double scaled = std::log(probability) * 10000.499991668185 + 0.5;
  if (!(scaled < 32767.0 * 256.0)) return std::numeric_limits<int16_t>::max();
  if (!(scaled > -32768.0 * 256.0)) return std::numeric_limits<int16_t>::min();
  const int32_t value = static_cast<int32_t>(scaled);  // integer part
  // Arithmetic shift written out, so that it holds for every compiler.
  const int32_t shifted = value >= 0 ? value / 256 : -((-value + 255) / 256);
  return static_cast<int16_t>(shifted);
}

bool SplitWordToken(const char* token, WordToken* result) {
  const std::size_t length = std::strlen(token);
  if (length > kBodyTokenMaxLength) return false;
  std::string text(token, length);
  result->weight = 0;
  result->flags = 0;
  const std::size_t dollar = text.rfind('$');
  if (dollar != std::string::npos) {
    result->weight = ArcWeight(std::strtod(text.c_str() + dollar + 1, nullptr));
    text.resize(dollar);
  }
  while (!text.empty()) {
    const char last = text.back();
    int32_t flag = 0;
    if (last == '*') flag = kTokenFillerAround;
    if (last == '-') flag = kTokenOptional;
    if (last == '?') flag = kTokenFillerInstead;
    if (last == '+') flag = kTokenRepeated;
    if (!flag) break;
    result->flags |= flag;
    text.pop_back();
  }
  result->word = text;
  return true;
}

}  // namespace vok
