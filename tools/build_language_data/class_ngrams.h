// Class n-gram probabilities from the statistics of a word n-gram model:
// the statistics' probabilities become expected counts on the lexicon's
// words (unigram counts from the frequency list, split among the
// statistics' words that are one lexicon word; a word the lexicon spells in
// pieces gives the n-grams between them), the counts are summed
// by class, and the class bigram and trigram are interpolated with the mass
// the word model leaves to its back-off, so every class sequence has a
// probability:
//   P(c2 | c1)     = (1 - b2(c1)) E2(c1, c2) / E2(c1) + b2(c1) P(c2)
//   P(c3 | c1, c2) = (1 - b3(c1, c2)) E3(c1, c2, c3) / E3(c1, c2) + b3(c1, c2) P(c3 | c2)
// with E the expected counts of the listed n-grams (summed over the last
// class where it is left out) and b the share of the history's count they
// leave, at least kMinimumBackoff.
#pragma once

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/word_classes.h"

namespace build_language_data {

// The statistics as expected counts on lexicon word ids.
struct WordNgrams {
  std::vector<double> unigrams;     // N(w), per lexicon word (tokens included)
  std::vector<double> leftovers;    // per first word: its count times the probability left to back-off
  std::vector<WordBigram> bigrams;  // N(w1) P(w2 | w1), one per pair, sorted
  struct Trigram {
    int32_t first;
    int32_t second;
    int32_t third;
    double weight;  // N(w1) P(w2 | w1) P(w3 | w1, w2)
  };
  std::vector<Trigram> trigrams;  // one per triple, sorted
};

// Sorts n-grams by `key` and sums the weights of equal keys into one.
template <typename T, typename Key>
void SortAndMerge(std::vector<T>* items, Key key) {
  std::sort(items->begin(), items->end(), [&](const T& a, const T& b) { return key(a) < key(b); });
  std::size_t out = 0;
  for (std::size_t i = 0; i < items->size(); ++i) {
    if (out > 0 && key((*items)[out - 1]) == key((*items)[i])) {
      (*items)[out - 1].weight += (*items)[i].weight;
    } else {
      (*items)[out++] = (*items)[i];
    }
  }
  items->resize(out);
}

// The lexicon ids of the sentence tokens the boundary and unknown words take.
struct TokenIds {
  int start;
  int end;
  int unknown;
};

// `pieces_of` gives each of the statistics' ids as lexicon words: the word
// itself, or the words that spell it (empty: not spelt, the unknown token;
// kBoundaryPiece alone: a mark that ends sentences as the boundary id does);
// `counts` are the lexicon's word counts. The boundary starts (first place)
// and ends (last place) a sentence; an n-gram with the boundary inside is
// left out.
inline constexpr int kBoundaryPiece = -2;
WordNgrams MapNgrams(const NgramStatistics& statistics, const std::vector<std::vector<int>>& pieces_of,
                     const std::vector<double>& counts, const TokenIds& tokens);

class ClassNgrams {
 public:
  static constexpr double kMinimumBackoff = 0.01;

  struct ClassTrigram {
    int32_t c1, c2, c3;
    double weight;
  };

  // `no_prediction`: a class never predicted (the sentence start), whose
  // unigram is 0.
  ClassNgrams(const WordNgrams& ngrams, const std::vector<int>& word_class, int classes, int no_prediction);

  int classes() const { return classes_; }
  double Unigram(int c) const { return unigram_[static_cast<std::size_t>(c)]; }
  double Bigram(int c1, int c2) const;
  double BigramBackoff(int c1) const { return bigram_backoff_[static_cast<std::size_t>(c1)]; }
  // Whether the class pair is listed (has an expected count of its own).
  bool ListedBigram(int c1, int c2) const { return pair_counts_[Index(c1, c2)] > 0; }
  double Trigram(int c1, int c2, int c3) const;
  double TrigramBackoff(int c1, int c2) const;
  // The listed class triples, sorted by (c1, c2, c3).
  const std::vector<ClassTrigram>& trigrams() const { return trigrams_; }
  // Expected count of a class pair.
  double PairCount(int c1, int c2) const { return pair_counts_[Index(c1, c2)]; }

 private:
  std::size_t Index(int c1, int c2) const {
    return static_cast<std::size_t>(c1) * static_cast<std::size_t>(classes_) + static_cast<std::size_t>(c2);
  }
  // The listed triples of a history, as a range of trigrams_.
  std::pair<std::size_t, std::size_t> History(int c1, int c2) const;
  double HistoryCount(int c1, int c2) const;
  double ListedTrigramMass(int c1, int c2) const;

  int classes_;
  std::vector<double> unigram_;         // P(c)
  std::vector<double> history_counts_;  // N(c1): listed pairs plus back-off mass
  std::vector<double> backoff_mass_;    // per c1
  std::vector<double> bigram_backoff_;  // b2(c1)
  std::vector<double> pair_counts_;     // E2(c1, c2)
  std::vector<ClassTrigram> trigrams_;
  std::vector<double> listed_mass_;  // per history of trigrams_ (parallel to history_starts_)
  std::vector<std::size_t> history_starts_;
};

}  // namespace build_language_data
