// The language-model stage of a dialect folder: word classes by exchange
// clustering of the n-gram statistics' bigrams mapped onto the lexicon's
// words, the lexicon text with counts and classes ("Lexicon.txt"), the class
// bigram core model in its older form ("CoreLM") and the binary lexicon
// ("Lexicon") written by the product's own writer after a text load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/build_language_data/word_frequencies.h"

namespace build_language_data {

// The statistics of a back-off n-gram model as its printer lists them
// ("\1-gram\N" and "\2-gram\N" sections of "id [id] probability backoff"
// lines), with the ids' words ("id<TAB>word" lines, UTF-8).
struct NgramStatistics {
  std::vector<std::string> words;  // by id; empty for none
  std::vector<double> unigrams;    // by id
  struct Bigram {
    uint32_t first;
    uint32_t second;
    double probability;
  };
  std::vector<Bigram> bigrams;
};
// Empty, or the reason the texts could not be read.
std::string ReadNgramStatistics(const std::string& ngram_text, const std::string& word_table,
                                NgramStatistics* statistics);

// The nine class tokens, each a word with a class of its own (0 to 8).
inline constexpr const char* kClassTokens[] = {"<S>",     "</S>",           "<UNK>",  "<PERSON>", "<PLACE>",
                                               "<IDIOM>", "<ORGANIZATION>", "<DATE>", "<TIME>"};
inline constexpr int kClassTokenCount = 9;

struct LanguageModelOptions {
  int core_classes = 1100;
  // Words moved by the exchange passes (the most frequent ones).
  int exchange_words = 1500;
  int exchange_passes = 1;
  // Score bytes stand for costs of (byte + bias) << shift log units; with 9
  // the 255 bytes span 13 nats, the range of the class bigram, in-class and
  // unigram costs (the engine gives all three the model's shift). A shift of
  // 3 spans 0.2 nats: nearly every byte saturated and the model told words
  // apart by almost nothing.
  int shift = 9;
  // The files: the lexicon text (the name and ".txt"), its binary form and
  // the core model.
  std::string lexicon_name = "Lexicon";
  std::string model_name = "CoreLM";
};

// Writes "Lexicon.txt", "CoreLM" and "Lexicon" (by the options' names) into
// the folder and checks every class bigram of the written model through the
// product's readers. Empty, or the reason of the failure.
std::string WriteLanguageModel(const std::vector<LexiconWord>& lexicon, const std::vector<WordCount>& counts,
                               const NgramStatistics& statistics, const CodePageText& code_page,
                               const LanguageModelOptions& options, const std::string& folder);

}  // namespace build_language_data
