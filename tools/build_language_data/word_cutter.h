// Text into lexicon words: longest match from the left over the words of a
// lexicon in its code page; a character that no word covers becomes the
// unknown word. Sentences of a UTF-8 text are its runs of Han characters
// that the code page holds.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/build_language_data/code_page_text.h"

namespace build_language_data {

// Whether a UTF-8 text holds a Han character.
bool HasHanCharacter(const std::string& utf8);

class WordCutter {
 public:
  WordCutter(const std::vector<std::string>& words, int unknown, const CodePageText& code_page);

  // The word ids of a text in the code page (double-byte characters).
  std::vector<int> Words(const std::string& text) const;
  // Adds the sentences of a UTF-8 text; returns the Han characters read.
  int64_t AddSentences(const std::string& utf8, std::vector<std::vector<int>>* sentences);

 private:
  std::unordered_map<std::string, int> ids_;
  std::size_t longest_ = 0;
  int unknown_;
  const CodePageText& code_page_;
  std::unordered_map<char32_t, std::string> characters_;  // "" when not in the code page
};

}  // namespace build_language_data
