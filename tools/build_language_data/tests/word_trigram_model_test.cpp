#include "tools/build_language_data/word_trigram_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/page_lm.h"
#include "engine/core/semi_class_trigram.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/tests/small_lexicon.h"

namespace {

namespace bld = build_language_data;

// Every history's distribution sums to 1; a listed triple takes more than
// its history's back-off leaves it, and an unlisted one exactly that.
TEST(WordTrigramModel, DistributionsAreNormalised) {
  const bld_testing::SmallLexicon s;
  const int n = 5 + bld::kClassTokenCount;
  std::vector<double> counts(static_cast<std::size_t>(n), 1.0);
  for (int w = 0; w < 5; ++w)
    counts[static_cast<std::size_t>(w)] = s.input.counts[static_cast<std::size_t>(w)];
  const bld::TokenIds tokens{5, 6, 7};
  const bld::WordNgrams ngrams = bld::MapNgrams(s.statistics, s.input.pieces_of, counts, tokens);
  const bld::WordTrigramModel model(ngrams, tokens.start);
  EXPECT_EQ(model.Unigram(tokens.start), 0.0);
  double unigrams = 0;
  for (int w = 0; w < n; ++w) unigrams += model.Unigram(w);
  EXPECT_NEAR(unigrams, 1.0, 1e-12);
  for (int w1 = 0; w1 < n; ++w1) {
    double bigrams = 0;
    for (int w2 = 0; w2 < n; ++w2) bigrams += model.Bigram(w1, w2);
    EXPECT_NEAR(bigrams, 1.0, 1e-12) << w1;
    for (int w2 = 0; w2 < n; ++w2) {
      double trigrams = 0;
      for (int w3 = 0; w3 < n; ++w3) trigrams += model.Trigram(w1, w2, w3);
      EXPECT_NEAR(trigrams, 1.0, 1e-12) << w1 << " " << w2;
    }
  }
  // <S> 你 好 is listed; <S> 你 人 is not, and <S> 你 is a listed history.
  ASSERT_FALSE(model.trigrams().empty());
  EXPECT_GT(model.Trigram(5, 0, 1), model.Bigram(0, 1));
  EXPECT_LT(model.Trigram(5, 0, 4), model.Bigram(0, 4));
  // 好 你 lists no triple: its words take the bigram.
  EXPECT_DOUBLE_EQ(model.Trigram(1, 0, 4), model.Bigram(0, 4));
}

// The whole stage with the word trigram as the page model: the files load,
// every word is a class of its own, and the reader gives every word triple
// what the file promises (the listed triple, else the pair, else the
// unigram times the average back-off) within its quantisation.
TEST(WordTrigramModel, PageModelFileReadsAsTheModel) {
  const bld_testing::SmallLexicon s;
  const bld::LanguageModelOptions options = bld_testing::WordPageOptions();
  const std::string folder = testing::TempDir() + "word_trigram_page";
  std::filesystem::create_directories(folder);
  bld::LanguageModel model;
  ASSERT_EQ(bld::WriteLanguageModel(s.input, s.statistics, options, folder, &model), "");
  ASSERT_TRUE(model.word_page);
  const int n = 5 + bld::kClassTokenCount;
  vok::CoreLM core(nullptr, (folder + "/LM1").c_str());
  vok::PageLM page((folder + "/LM2").c_str(), vok::PageLM::kOrder, 1.0f, 0);
  ASSERT_EQ(page.status(), 0);
  EXPECT_TRUE(page.semi_class());
  EXPECT_EQ(page.class_count(), n);
  vok::CLexicon lexicon((folder + "/Lexicon").c_str(), &core, &page, 0);
  ASSERT_EQ(lexicon.status(), 0);
  std::set<int> classes;
  for (int w = 0; w < n; ++w) classes.insert(page.entry(w).word_class);
  EXPECT_EQ(classes.size(), static_cast<std::size_t>(n));
  EXPECT_EQ(page.entry(5).word_class, 0);  // <S> keeps the first class

  const bld::WordTrigramModel& m = *model.word_page;
  std::set<std::tuple<int, int, int>> kept;
  for (const auto& t : m.KeptTrigrams(options.prune_ratio)) kept.insert({t.first, t.second, t.third});
  ASSERT_FALSE(kept.empty());
  std::set<std::pair<int, int>> pairs;
  for (const auto& b : m.bigrams()) pairs.insert({b.first, b.second});
  const int shift = page.semi_class_trigram()->shift();
  page.StartUtterance();
  for (int w1 = 0; w1 < n; ++w1)
    for (int w2 = 0; w2 < n; ++w2)
      for (int w3 = 0; w3 < n; ++w3) {
        if (w3 == 5) continue;  // <S> is never predicted
        const bool own = kept.count({w1, w2, w3}) > 0;
        const double p = own                     ? m.Trigram(w1, w2, w3)
                         : pairs.count({w2, w3}) ? m.Bigram(w2, w3)
                                                 : m.Unigram(w3) * m.average_bigram_backoff();
        const double expected = -std::log(p) * 10000.5;
        const double cost = -256.0 * page.GetTrigramScore(w1, w2, w3);
        // A triple's byte counts steps of 2^(shift + 8), the scores 2^8.
        const double step = own ? static_cast<double>(1 << (shift + 7)) + 256 : 257 + (1 << shift);
        EXPECT_NEAR(cost, expected, step) << w1 << " " << w2 << " " << w3;
      }
  page.EndUtterance();
  vok::PageLM cached((folder + "/LM2").c_str(), vok::PageLM::kOrder, 1.0f, vok::PageLM::kDefaultCacheSize);
  EXPECT_EQ(cached.LoadCache((folder + "/PLMCache").c_str()), 2);
  std::filesystem::remove_all(folder);
}

}  // namespace
