// A small lexicon and its statistics for the language-model stage's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/ngram_statistics.h"

namespace bld_testing {

namespace bld = build_language_data;

// Five words (你 好 我 们 人), 我们 spelt by two of them, a mark that ends
// sentences; two listed triples.
struct SmallLexicon {
  bld::LanguageModelInput input;
  bld::NgramStatistics statistics;

  SmallLexicon() {
    const bld::CodePageText gb("GB2312");
    for (const char* w : {"\xE4\xBD\xA0", "\xE5\xA5\xBD", "\xE6\x88\x91", "\xE4\xBB\xAC", "\xE4\xBA\xBA"})
      input.words.push_back(*gb.Convert(w));
    input.counts = {90, 50, 30, 10, 20};
    const std::string error = bld::ReadNgramStatistics(
        "\\1-gram\\2\n 0 0.2 1 (0,0)\n 70 0.3 1 (0,0)\n 71 0.2 1 (0,0)\n"
        " 72 0.2 1 (0,0)\n 73 0.1 1 (0,0)\n\\2-gram\\5\n"
        " 70 71 0.6 1 (1,0)\n 0 70 0.5 1 (1,1)\n 71 0 0.7 1 (1,2)\n"
        " 0 72 0.3 1 (1,3)\n 72 73 0.8 1 (1,4)\n\\3-gram\\2\n 0 70 71 0.9 (1,0)\n"
        " 0 72 73 0.7 (1,0)\n",
        "70\t\xE4\xBD\xA0\n71\t\xE5\xA5\xBD\n72\t\xE6\x88\x91\xE4\xBB\xAC\n73\t,\n", &statistics);
    EXPECT_EQ(error, "");
    input.pieces_of.resize(74);
    input.pieces_of[70] = {0};
    input.pieces_of[71] = {1};
    input.pieces_of[72] = {2, 3};
    input.pieces_of[73] = {bld::kBoundaryPiece};
  }
};

// The whole stage's options with a word trigram as the page model, small
// enough for SmallLexicon.
inline bld::LanguageModelOptions WordPageOptions() {
  bld::LanguageModelOptions options;
  options.core_classes = 12;
  options.page_of_words = true;
  options.cache_entries = 2;
  return options;
}

}  // namespace bld_testing
