// The statistics of a back-off word n-gram model as its printer lists them:
// "\1-gram\N", "\2-gram\N" and "\3-gram\N" sections of "id [id [id]]
// probability [backoff] (level,index)" lines with plain probabilities, and the
// ids' words ("id<TAB>word" lines, UTF-8).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/build_language_data/word_frequencies.h"

namespace build_language_data {

struct NgramStatistics {
  // The id that stands for the sentence boundary (start and end).
  static constexpr uint32_t kBoundary = 0;

  std::vector<std::string> words;  // by id; empty for none
  std::vector<double> unigrams;    // P(w) by id
  struct Bigram {
    uint32_t first;
    uint32_t second;
    double probability;  // P(second | first)
  };
  std::vector<Bigram> bigrams;
  struct Trigram {
    uint32_t first;
    uint32_t second;
    uint32_t third;
    double probability;  // P(third | first, second)
  };
  std::vector<Trigram> trigrams;
};

// Empty, or the reason the texts could not be read.
std::string ReadNgramStatistics(const std::string& ngram_text, const std::string& word_table,
                                NgramStatistics* statistics);

// The statistics' words of Han characters only (U+4E00 to U+9FFF) as a
// frequency list: each its unigram in counts per kStatisticsCountScale
// words, at least 1, most frequent first (equal counts by id).
inline constexpr double kStatisticsCountScale = 1e8;
std::vector<WordCount> StatisticsWordCounts(const NgramStatistics& statistics);

}  // namespace build_language_data
