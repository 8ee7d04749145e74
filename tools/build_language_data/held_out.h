// Held-out checks of the language model on text it never saw: documents of
// the Chinese documentation (manual pages, HTML), each whole in one of two
// sets by its place in the sorted list (even: the check set, whose figures
// must hold what the models promise; odd: the test set that is reported).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/word_cutter.h"

namespace vok {
class CoreLM;
class PageLM;
}  // namespace vok

namespace build_language_data {

// Per-word costs (-ln p x 10000.5, the engine's log unit) of one set.
struct HeldOutFigures {
  int documents = 0;
  int64_t sentences = 0;
  int64_t words = 0;  // sentence ends included
  int64_t unknown = 0;
  // The model in double precision.
  double unigram = 0, bigram = 0, trigram = 0;
  // The engine's bytes through its readers (floors included).
  double engine_unigram = 0, engine_bigram = 0, engine_trigram = 0;

  static double Perplexity(double cost);
};

// Sorted paths of the documents listed one per line in `list_text`.
std::vector<std::string> HeldOutDocuments(const std::string& list_text);

// Evaluates documents `first`, `first + 2`, ... of `paths`; readers are the
// folder's models bound to its binary lexicon.
HeldOutFigures EvaluateHeldOut(const std::vector<std::string>& paths, std::size_t first,
                               const LanguageModel& model, WordCutter* cutter, vok::CoreLM* core,
                               vok::PageLM* page);

}  // namespace build_language_data
