// Word frequency lists: jieba's "word count tag" lines and the essay list's
// "word<TAB>count" lines, both UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace build_language_data {

struct WordCount {
  std::string word;
  int64_t count = 0;
};

// Every line of either form; the same word twice keeps the larger count.
// Most frequent first; equal counts in the list's own order.
std::vector<WordCount> ReadWordCounts(const std::string& text);

}  // namespace build_language_data
