// String helpers of the engine and the locale-independent number
// conversions that every text reader of the engine uses: the host process may
// have set a locale whose decimal separator is not '.', and the engine's files
// always use '.'.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vok {

// Changes the case of ASCII letters in place; bytes above 0x7F (double-byte
// text) are left alone. Both return `text`.
char* StringToUpper(char* text);
char* StringToLower(char* text);

// Separators of the engine's text tokens: blank, tab, line feed, carriage
// return and backspace. Every reader splits at CR as well, so a CRLF file
// never leaves a CR inside a token.
inline constexpr const char* kTokenSeparators = " \t\n\r\b";

// The tokens of a line, cut at kTokenSeparators.
std::vector<std::string> SplitTokens(const std::string& line);

// A copy of a text split at blanks (SplitWords). The copy and the
// word pointers live in this object, so they stay valid while it does.
class WordList {
 public:
  static constexpr int kMaxText = 255;
  static constexpr int kMaxWords = 128;

  int count() const { return count_; }
  const char* word(int i) const { return (i >= 0 && i < count_) ? words_[i] : nullptr; }
  char* const* words() { return words_; }

 private:
  friend int SplitWords(const char* text, WordList* list);
  char copy_[kMaxText + 1] = {};
  char* words_[kMaxWords] = {};
  int count_ = 0;
};

// Copies at most 255 bytes of the text (never cutting a double-byte character
// in two) and splits the copy at blanks. Returns the number of words.
int SplitWords(const char* text, WordList* list);

// atoi semantics without the C locale: leading white space, an optional sign,
// then decimal digits; 0 when there are none; saturates at the int range.
int ParseLeadingInt(const char* text);
// atof semantics with '.' as the decimal separator whatever the locale:
// leading white space, the longest decimal (or "inf"/"nan") prefix; 0 when
// there is none.
double ParseLeadingDouble(const char* text);
// "%d" and "%.*f" as the C locale prints them.
std::string FormatInt(int value);
std::string FormatFixed(double value, int decimals);

// Bytes of a double-byte character set (GB2312, Big5): a byte of 0x80 or more
// followed by another byte starts a two-byte character. Returns the length of
// the character that starts at text[pos] within a text of `length` bytes.
inline int CharacterLength(const char* text, std::size_t pos, std::size_t length) {
  if (pos >= length) return 0;
  const unsigned char c = static_cast<unsigned char>(text[pos]);
  return (c >= 0x80 && pos + 1 < length) ? 2 : 1;
}

// The largest length not above `limit` that ends on a character boundary of
// the text (scanning from its start).
std::size_t CharacterPrefix(const char* text, std::size_t length, std::size_t limit);

}  // namespace vok
