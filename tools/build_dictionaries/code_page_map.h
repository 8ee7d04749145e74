// Maps characters to their double-byte codes of a code page, through the C
// library's character-set conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kernel/code_page.h"

namespace build_dictionaries {

class CodePageMap {
 public:
  explicit CodePageMap(kernel::CodePage code_page);
  ~CodePageMap();
  CodePageMap(const CodePageMap&) = delete;
  CodePageMap& operator=(const CodePageMap&) = delete;

  bool valid() const;
  // The code in the caller's form (lead byte low); nullopt for a character
  // outside the code page or outside its Chinese ranges.
  std::optional<std::uint16_t> CodeOf(const std::string& utf8) const;
  // The UTF-8 text of a code in the caller's form; empty when it has none.
  std::string TextOf(std::uint16_t code) const;

 private:
  kernel::CodePage code_page_;
  void* to_code_page_;
  void* to_utf8_;
};

}  // namespace build_dictionaries
