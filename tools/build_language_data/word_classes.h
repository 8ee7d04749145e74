// Word classes by the exchange algorithm on weighted word bigrams: each word
// in turn goes to the class that most raises the log likelihood of the
// bigrams under a class bigram whose class transitions are shared out of
// each class's mass as a history and whose words are drawn from each class
// by their mass as predicted words:
//   sum N(c1,c2) log N(c1,c2) - sum N(c.) log H(c) - sum N(.c) log U(c)
// (N the bigram weights, H and U the masses; with the bigrams' own totals as
// masses this is the classic criterion). Masses apart from the bigrams
// matter for the listed bigrams of a pruned model, which lie mostly between
// frequent words: against their own totals the frequent words would all
// gather in one class. The moves of a batch of words are chosen in parallel
// against the state before the batch and then applied in order, so the
// result does not depend on the number of threads.
#pragma once

#include <cstdint>
#include <vector>

namespace build_language_data {

struct WordBigram {
  int32_t first;
  int32_t second;
  double weight;
};

// Each word's mass as a history (its whole count: listed bigrams and what
// its back-off takes) and as a predicted word (its unigram count).
struct WordMasses {
  std::vector<double> history;
  std::vector<double> predicted;
};

struct ExchangeOptions {
  int passes = 2;
  int threads = 4;
  // Words evaluated against one state before their moves are applied.
  int batch = 256;
  // The most frequent words that may move; every word when negative.
  int movable = -1;
};

// Classes of `fixed_class.size()` words: a word with a fixed class (>= 0)
// keeps it, and the classes up to the highest fixed one take no other word;
// of the others (`order`: the free words, most frequent first) the most
// frequent start in classes of their own and the rest in bands of falling
// frequency over the remaining classes, then all move; a class keeps at
// least one word.
// Without masses the bigrams' totals serve as both.
std::vector<int> ExchangeClasses(int classes, const std::vector<int>& fixed_class,
                                 const std::vector<int>& order, const std::vector<WordBigram>& bigrams,
                                 const ExchangeOptions& options, const WordMasses* masses = nullptr);

// The criterion of a class assignment.
double ClassBigramCriterion(int classes, const std::vector<int>& word_class,
                            const std::vector<WordBigram>& bigrams, const WordMasses* masses = nullptr);

}  // namespace build_language_data
