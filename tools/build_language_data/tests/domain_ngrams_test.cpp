#include "tools/build_language_data/domain_ngrams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "tools/build_language_data/class_ngrams.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/tests/small_lexicon.h"
#include "tools/build_language_data/word_trigram_model.h"

namespace {

namespace bld = build_language_data;

// Word ids of the small lexicon: 你 好 我 们 人, then the tokens.
constexpr int kNi = 0, kHao = 1, kRen = 4;
constexpr bld::TokenIds kTokens{5, 6, 7};

bld::WordNgrams StatisticsNgrams(const bld_testing::SmallLexicon& s) {
  std::vector<double> counts(5 + bld::kClassTokenCount, 1.0);
  for (std::size_t w = 0; w < 5; ++w) counts[w] = s.input.counts[w];
  return bld::MapNgrams(s.statistics, s.input.pieces_of, counts, kTokens);
}

double PredictedMass(const bld::WordNgrams& ngrams) {
  return std::accumulate(ngrams.unigrams.begin(), ngrams.unigrams.end(), 0.0) -
         ngrams.unigrams[static_cast<std::size_t>(kTokens.start)];
}

// No weight (or no sentence) leaves the statistics' counts as they are, so a
// folder without domain text gets the model it always had.
TEST(DomainNgrams, NoWeightChangesNothing) {
  const bld_testing::SmallLexicon s;
  const bld::WordNgrams before = StatisticsNgrams(s);
  for (const auto& [weight, sentences] :
       std::vector<std::pair<double, std::vector<std::vector<int>>>>{{0.0, {{kRen, kHao}}}, {0.5, {}}}) {
    bld::WordNgrams after = before;
    bld::AddDomainNgrams(sentences, {weight, 0.5}, kTokens, &after);
    EXPECT_EQ(after.unigrams, before.unigrams);
    EXPECT_EQ(after.leftovers, before.leftovers);
    ASSERT_EQ(after.bigrams.size(), before.bigrams.size());
    ASSERT_EQ(after.trigrams.size(), before.trigrams.size());
  }
}

// The domain's words weigh `weight` times the statistics' predicted words,
// and a history that only the domain lists backs off with the discount of
// each of its types over its count, at every order.
TEST(DomainNgrams, ScaledAndDiscountedCounts) {
  const bld_testing::SmallLexicon s;
  const bld::WordNgrams before = StatisticsNgrams(s);
  bld::WordNgrams after = before;
  const std::vector<std::vector<int>> sentences{{kRen, kHao}, {kRen, kHao}, {kRen, kNi}};
  const double weight = 0.25, d = 0.5;
  bld::AddDomainNgrams(sentences, {weight, d}, kTokens, &after);
  EXPECT_NEAR(PredictedMass(after), (1 + weight) * PredictedMass(before), 1e-9 * PredictedMass(before));
  const double scale = weight * PredictedMass(before) / 9;  // 9 predicted words, sentence ends included

  const bld::WordTrigramModel model(after, kTokens.start);
  // 人 starts no bigram of the statistics: its history is the domain's 3
  // (人 好 twice, 人 你 once) beside what the statistics leave it.
  const double leftover = before.leftovers[kRen] + 2 * d * scale;
  const double b2 = leftover / (leftover + scale * (3 - 2 * d));
  EXPECT_NEAR(model.Bigram(kRen, kHao), (1 - b2) * (2 - d) / (3 - 2 * d) + b2 * model.Unigram(kHao), 1e-12);
  // <S> 人 is a history of the domain alone: 3 times, 2 types.
  const double b3 = d * 2 / 3;
  EXPECT_NEAR(model.Trigram(kTokens.start, kRen, kHao), (2 - d) / 3 + b3 * model.Bigram(kRen, kHao), 1e-12);
  EXPECT_NEAR(model.Trigram(kTokens.start, kRen, kRen), b3 * model.Bigram(kRen, kRen), 1e-12);
  // 你 ends a sentence of the domain: after 你, whose bigrams the
  // statistics list, the sentence end gains.
  EXPECT_GT(model.Bigram(kNi, kTokens.end),
            bld::WordTrigramModel(before, kTokens.start).Bigram(kNi, kTokens.end));
}

// The stage counts the domain's words in every model it writes: the
// lexicon's counts, the page model's word trigram and the core model's class
// bigram all favour what the domain says.
TEST(DomainNgrams, EveryModelLearnsTheDomain) {
  const bld_testing::SmallLexicon s;
  const bld::LanguageModelOptions options = bld_testing::WordPageOptions();
  const std::string folder = testing::TempDir() + "domain_ngrams";
  std::filesystem::create_directories(folder);
  bld::LanguageModel general, adapted;
  ASSERT_EQ(bld::WriteLanguageModel(s.input, s.statistics, options, folder, &general), "");
  bld::LanguageModelInput input = s.input;
  input.domain_sentences = {{kRen, kHao}, {kRen, kHao}, {kHao, kRen}};
  ASSERT_EQ(bld::WriteLanguageModel(input, s.statistics, options, folder, &adapted), "");
  EXPECT_GT(adapted.counts[kRen], 2 * general.counts[kRen]);
  EXPECT_GT(adapted.word_page->Bigram(kRen, kHao), 2 * general.word_page->Bigram(kRen, kHao));
  const auto core_bigram = [](const bld::LanguageModel& m, int w1, int w2) {
    return m.core->Bigram(m.core_class[static_cast<std::size_t>(w1)],
                          m.core_class[static_cast<std::size_t>(w2)]) *
           m.InClass(w2, false);
  };
  EXPECT_GT(core_bigram(adapted, kRen, kHao), 2 * core_bigram(general, kRen, kHao));
  std::filesystem::remove_all(folder);
}

// Sentences of the measured texts are left out whole, and only those: a
// longer or shorter sentence holding one stays.
TEST(DomainNgrams, MeasuredSentencesLeftOut) {
  const std::set<std::vector<int>> measured{{kRen, kHao}, {kNi}};
  int64_t dropped = 0;
  const auto kept = bld::WithoutExcluded({{kRen, kHao}, {kRen, kHao, kNi}, {kRen}, {kNi}, {kRen, kHao}},
                                         measured, &dropped);
  EXPECT_EQ(kept, (std::vector<std::vector<int>>{{kRen, kHao, kNi}, {kRen}}));
  EXPECT_EQ(dropped, 3);
}

}  // namespace
