// Whole words from UTF-8 into a double-byte code page (GB2312 or Big5)
// through the C library's character-set conversion.
#pragma once

#include <optional>
#include <string>

namespace build_language_data {

class CodePageText {
 public:
  // "GB2312" or "BIG5".
  explicit CodePageText(const char* code_page);
  ~CodePageText();
  CodePageText(const CodePageText&) = delete;
  CodePageText& operator=(const CodePageText&) = delete;

  bool valid() const;
  // The word's bytes in the code page; nullopt when a character has no code
  // there or is not a double-byte character.
  std::optional<std::string> Convert(const std::string& utf8) const;

 private:
  void* converter_;
};

}  // namespace build_language_data
