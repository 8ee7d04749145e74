// Character frequencies and character bigrams: frequencies from a
// word-count list, the jieba dictionary ("word count tag" lines,
// Simplified) or the Rime essay ("word<TAB>count" lines, Traditional);
// bigrams from the same list or from the n-gram statistics of the language
// models. Characters are UTF-8 strings.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace build_language_data {
struct NgramStatistics;
}

namespace build_hwr_models {

struct LanguageStatistics {
  std::map<std::string, double> characters;
  // Masses of adjacent character pairs.
  std::map<std::pair<std::string, std::string>, double> bigrams;
};

// Reads every line "word count ..." (spaces or tabs); false when the file
// cannot be read.
bool ReadWordCounts(const std::string& path, LanguageStatistics* statistics);

// Replaces the bigrams by the pairs of the n-gram statistics: those inside
// each word, weighted by the word's probability, and those across each word
// pair, weighted by the pair's joint probability.
void TakeNgramBigrams(const build_language_data::NgramStatistics& ngrams, LanguageStatistics* statistics);

// Splits UTF-8 text into characters.
std::vector<std::string> Utf8Characters(const std::string& text);

}  // namespace build_hwr_models
