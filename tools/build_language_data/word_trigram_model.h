// A word trigram on the lexicon's words, from the statistics carried onto
// them (WordNgrams), for the page model in its semi-class form with one class
// per word:
//   P(w)           = N(w) / the count of every predicted word
//   P(w2 | w1)     = (1 - b2(w1)) E2(w1, w2) / E2(w1) + b2(w1) P(w2)
//   P(w3 | w1, w2) = (1 - b3(w1, w2)) E3(w1, w2, w3) / E3(w1, w2) + b3(w1, w2) P(w3 | w2)
// with E the expected counts of the listed n-grams (summed over the last
// word where it is left out) and b the share of the history's count they
// leave, at least kMinimumBackoff.
//
// The file's back-off is one weight for every history: a triple it does not
// list scores its word's bigram, and a pair it does not list its word's
// unigram times the average bigram back-off.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/testing/lm_file_writers.h"
#include "tools/build_language_data/class_ngrams.h"

namespace vok {
class PageLM;
}  // namespace vok

namespace build_language_data {

class WordTrigramModel {
 public:
  static constexpr double kMinimumBackoff = 0.01;

  // `no_prediction`: the sentence start, never predicted.
  WordTrigramModel(const WordNgrams& ngrams, int no_prediction);

  int words() const { return static_cast<int>(unigram_.size()); }
  double Unigram(int w) const { return unigram_[static_cast<std::size_t>(w)]; }
  double Bigram(int w1, int w2) const;
  double Trigram(int w1, int w2, int w3) const;
  double average_bigram_backoff() const { return average_bigram_backoff_; }

  const std::vector<WordBigram>& bigrams() const { return bigrams_; }
  // The listed triples with their expected counts.
  const std::vector<WordNgrams::Trigram>& trigrams() const { return trigrams_; }
  // Listed triples whose probability differs from the pair's by more than
  // `ratio` either way (the others are left to the back-off); their weight
  // is their probability.
  std::vector<WordNgrams::Trigram> KeptTrigrams(double ratio) const;

 private:
  // Index into bigrams_ of a listed pair, or -1.
  std::ptrdiff_t FindBigram(int w1, int w2) const;
  // The first listed triple not below (w1, w2, w3).
  std::size_t LowerTrigram(int w1, int w2, int w3) const;
  double ListedTrigram(std::size_t t) const;

  std::vector<double> unigram_;
  std::vector<double> bigram_listed_;          // E2(w1)
  std::vector<double> bigram_backoff_;         // b2(w1)
  std::vector<WordBigram> bigrams_;            // sorted by (first, second)
  std::vector<WordNgrams::Trigram> trigrams_;  // sorted by (first, second, third)
  // Per listed triple, of its history: E3(w1, w2) and b3(w1, w2).
  std::vector<double> trigram_listed_;
  std::vector<double> trigram_backoff_;
  double average_bigram_backoff_ = 1.0;
};

// The semi-class trigram file (version 2) of the model: word w's class is
// `word_class[w]`, its text `texts[w]` (the lexicon's, in its code page).
// The stored values are costs in units of 2^shift log units (the shift the
// smallest that holds every unigram cost in 16 bits), the trigram bytes in
// units of 2^(shift + 8); triples beyond the byte's range are left to the
// back-off.
struct WordTrigramFile {
  // The reader's shift base; the group and record tables a block may hold
  // within the reader's buffers (histories beyond them take the unigram
  // level, so a lookup reads at most 12 KB of groups).
  static constexpr int kMaxShift = 8;
  static constexpr std::size_t kMaxGroups = 2048;
  static constexpr std::size_t kMaxRecords = 2730;

  vok_testing::SemiClassTrigramModel file;
  int trigrams = 0;
};
WordTrigramFile BuildWordTrigramFile(const WordTrigramModel& model, const std::vector<std::string>& texts,
                                     const std::vector<int>& word_class, int classes, double prune_ratio);

// Reads the file back through the product's page model (weight 1, bound to
// the lexicon whose classes the file was built for): of every word, the
// first, middle and last groups' first and last records and back-off, and
// the unigram level. Empty, or what read back wrong.
std::string CheckWordTrigramFile(const WordTrigramFile& written, vok::PageLM* reader);

// The page cache of the model: the keys of the `n` listed triples of the
// largest expected counts, scored by the product's reader.
std::vector<vok_testing::PageCacheRecord> WordTrigramCacheRecords(const WordTrigramModel& model,
                                                                  const std::vector<int>& word_class,
                                                                  vok::PageLM* reader, int n);

}  // namespace build_language_data
