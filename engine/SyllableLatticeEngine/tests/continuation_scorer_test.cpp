// The decoder's tabled scores against the core model's own, for every word
// kind (sentence ends, words of a class, words without one, ids beyond the
// model) and every next class, inside and outside the model, at several
// weights: a table built for one weight and read at another would differ.
// A row's best score is one of its scores and no next class scores higher,
// whether the weighted scores fall with the byte sum or rise. A scorer kept
// across decodes follows the model's table when it changes and when another
// model takes its place.
#include "engine/SyllableLatticeEngine/continuation_scorer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"

namespace {

using vok::CoreLM;

std::vector<uint8_t> TableBytes(int classes, int factor) {
  std::vector<uint8_t> bytes(static_cast<std::size_t>(classes * classes));
  for (int i = 0; i < classes * classes; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i * factor % 256);
  return bytes;
}

void ExpectScoresOf(const CoreLM& core, vok::ContinuationScorer& scorer, int classes) {
  for (int w = 0; w < 6; ++w) {
    const vok::ContinuationScorer::Row row = scorer.RowOf(core, w);
    for (int next = -1; next <= classes; ++next) {
      EXPECT_EQ(scorer.Score(row, scorer.NextOf(next)),
                core.GetContinuationScore(core.GetContinuationTerms(w), next))
          << "word " << w << ", next class " << next;
    }
  }
}

TEST(ContinuationScorerTest, ScoresAreThoseOfTheCoreModelAtEveryWeight) {
  constexpr int kClasses = 5;
  std::vector<uint8_t> bytes(kClasses * kClasses);
  for (int i = 0; i < kClasses * kClasses; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i * 37 % 256);
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(kClasses, bytes,
                            vok_test::WithSentenceWords({{"a", 3, 30}, {"b", 4, 1}, {"c", 4, 900}})));
  CoreLM& core = *language.core;
  const uint16_t end = core.token_id(CoreLM::kEnd);
  const std::vector<int> words = {core.token_id(CoreLM::kStart), end, 3, 4, 5, 40, 65534, 65535};
  for (const float weight : {1.0f, 0.37f, 2.5f, 0.0f, -0.5f}) {
    SCOPED_TRACE(weight);
    core.SetClassBigramWeight(weight);
    core.SetWordProbWeight(weight);
    vok::ContinuationScorer scorer(core);
    for (const int w : words) {
      const vok::ContinuationScorer::Row row = scorer.RowOf(core, w);
      bool best_reached = false;
      for (int next = -1; next <= kClasses + 1; ++next) {
        const int16_t score = scorer.Score(row, scorer.NextOf(next));
        EXPECT_EQ(score, core.GetContinuationScore(core.GetContinuationTerms(w), next))
            << "word " << w << ", next class " << next;
        EXPECT_LE(score, row.best) << "word " << w << ", next class " << next;
        best_reached = best_reached || score == row.best;
      }
      // A sentence end continues only into its own class.
      if (w != end) {
        EXPECT_TRUE(best_reached) << "word " << w;
      }
      const int byte = core.entry(w).unigram;
      EXPECT_EQ(core.GetUnigramScore(w), static_cast<int16_t>(-std::trunc(byte * double{weight})))
          << "word " << w;
    }
  }
}

TEST(ContinuationScorerTest, AnUpdatedScorerFollowsTheModelsTable) {
  constexpr int kClasses = 5;
  const std::vector<vok_testing::FixtureWord> words =
      vok_test::WithSentenceWords({{"a", 3, 30}, {"b", 4, 1}, {"c", 4, 900}});
  // The lexicon applies the sentence end rule to the table the scorer has
  // already read: "<S>" to "</S>" and "</S>" to "</S>" change.
  const std::string model_path = vok_test::LatticeTempPath("model.bin");
  const std::string lexicon_path = vok_test::LatticeTempPath("lexicon.txt");
  ASSERT_TRUE(vok_testing::WriteClassBigramModel(model_path, kClasses, TableBytes(kClasses, 37)));
  ASSERT_TRUE(vok_testing::WriteTextLexicon(lexicon_path, kClasses, words));
  CoreLM core(nullptr, model_path.c_str());
  ASSERT_EQ(core.status(), 0);
  vok::ContinuationScorer scorer(core);
  {
    const vok::CLexicon lexicon(nullptr, lexicon_path.c_str(), &core, nullptr);
    ASSERT_EQ(lexicon.status(), 0);
    ASSERT_NE(core.table_byte(1, 1), TableBytes(kClasses, 37)[1 * kClasses + 1]);
    scorer.Update(core);
    ExpectScoresOf(core, scorer, kClasses);
  }
  std::remove(model_path.c_str());
  std::remove(lexicon_path.c_str());
  // Another model of as many classes.
  vok_test::SmallLanguage other;
  ASSERT_TRUE(other.Load(kClasses, TableBytes(kClasses, 53), words));
  other.core->SetClassBigramWeight(0.37f);
  scorer.Update(*other.core);
  ExpectScoresOf(*other.core, scorer, kClasses);
}

}  // namespace
