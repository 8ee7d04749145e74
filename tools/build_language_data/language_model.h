// The language-model stage of a dialect folder: word classes by exchange
// clustering (core and page classes apart), class n-gram probabilities from
// the n-gram statistics carried onto the lexicon's words (with the counts of
// a domain text beside them, when one is given), and the files:
// the lexicon text with counts and both classes ("Lexicon.txt"), the class
// bigram core model in its older form ("LM1"), the page model ("LM2": the
// class trigram in its older form, or a word trigram in the semi-class
// form), its cache of the commonest keys ("PLMCache") and the binary
// lexicon ("Lexicon") written by the product's own writer after a text
// load. Every written n-gram and back-off is read back through the
// product's readers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/build_language_data/class_ngrams.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/domain_ngrams.h"
#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/build_language_data/word_classes.h"
#include "tools/build_language_data/word_frequencies.h"
#include "tools/build_language_data/word_trigram_model.h"

namespace build_language_data {

// The nine class tokens, each a word with a class of its own (0 to 8), after
// the lexicon's words.
inline constexpr const char* kClassTokens[] = {"<S>",     "</S>",           "<UNK>",  "<PERSON>", "<PLACE>",
                                               "<IDIOM>", "<ORGANIZATION>", "<DATE>", "<TIME>"};
inline constexpr int kClassTokenCount = 9;
inline constexpr int kStartToken = 0;
inline constexpr int kEndToken = 1;
inline constexpr int kUnknownToken = 2;
// The class of the lexicon words that no listed bigram holds.
inline constexpr int kContextFreeClass = kClassTokenCount;

struct LanguageModelOptions {
  // Over 1000 and 3000: words the script converter adds go to class 1000 of
  // the core model and 3000 of the page model (the dialect folders, whose
  // page model no converter reads, take fewer page classes).
  int core_classes = 1100;
  int page_classes = 3100;
  // The page model as a word trigram: a class of its own for every word, in
  // the semi-class form (page_classes is then not used).
  bool page_of_words = false;
  ExchangeOptions exchange;
  // The domain text's counts, added to the statistics' before the classes
  // and both models are made.
  DomainOptions domain;
  // One shift for every order and both models: the smallest whose 255 steps
  // hold this share of the core model's class bigram costs (the rest, the
  // least probable transitions, take the floor).
  double covered_share = 0.9;
  // Listed class n-grams within this ratio of their back-off are left to it.
  double prune_ratio = 1.05;
  // Entries of the page cache file (the back end's cache holds 65534).
  int cache_entries = 65534;
  // The files: the lexicon text (the name and ".txt") and its binary form,
  // the core model, the page model and its cache (no page model when its
  // name is empty).
  std::string lexicon_name = "Lexicon";
  std::string model_name = "LM1";
  std::string page_name = "LM2";
  std::string cache_name = "PLMCache";
};

// The lexicon and the statistics on its words.
struct LanguageModelInput {
  std::vector<std::string> words;  // in the code page, by word id
  std::vector<double> counts;      // the frequency list's count of each word
  // Each statistics id as word ids: one, or the pieces that spell it; empty
  // when the lexicon cannot spell it.
  std::vector<std::vector<int>> pieces_of;
  // Sentences of the domain text as word ids (the unknown word as its token).
  std::vector<std::vector<int>> domain_sentences;
};

// The stage's model in double precision, for the held-out checks.
struct LanguageModel {
  int words = 0;  // lexicon words and tokens
  std::vector<int> core_class;
  std::vector<int> page_class;
  std::vector<double> counts;  // as the lexicon text gives them
  std::vector<double> core_class_counts;
  std::vector<double> page_class_counts;
  std::unique_ptr<ClassNgrams> core;
  std::unique_ptr<ClassNgrams> page;  // none when the page model is a word trigram
  std::unique_ptr<WordTrigramModel> word_page;
  int shift = 0;
  int page_blocks = 0;
  int page_trigrams = 0;
  int cache_entries = 0;

  int token(int t) const { return words - kClassTokenCount + t; }
  // P(w | its class) in the core or the page classes.
  double InClass(int w, bool page) const;
};

// Builds the model and writes its files into the folder. Empty, or the
// reason of the failure.
std::string WriteLanguageModel(const LanguageModelInput& input, const NgramStatistics& statistics,
                               const LanguageModelOptions& options, const std::string& folder,
                               LanguageModel* model);

// The lexicon and the core model alone, for a word list with its counts
// (UTF-8, converted into the code page) and statistics whose words are the
// lexicon's own (possibly none).
std::string WriteLanguageModel(const std::vector<LexiconWord>& lexicon, const std::vector<WordCount>& counts,
                               const NgramStatistics& statistics, const CodePageText& code_page,
                               const LanguageModelOptions& options, const std::string& folder);

}  // namespace build_language_data
