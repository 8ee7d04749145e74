// Character frequencies and character bigrams from a word-count list: the
// jieba dictionary ("word count tag" lines, Simplified) or the Rime essay
// ("word<TAB>count" lines, Traditional). Characters are UTF-8 strings.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace build_hwr_models {

struct LanguageStatistics {
  std::map<std::string, double> characters;
  std::map<std::pair<std::string, std::string>, double> bigrams;  // within words
};

// Reads every line "word count ..." (spaces or tabs); false when the file
// cannot be read.
bool ReadWordCounts(const std::string& path, LanguageStatistics* statistics);

// Splits UTF-8 text into characters.
std::vector<std::string> Utf8Characters(const std::string& text);

}  // namespace build_hwr_models
