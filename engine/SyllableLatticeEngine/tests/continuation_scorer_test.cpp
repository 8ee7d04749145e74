// The decoder's tabled scores against the core model's own, for every word
// kind (sentence ends, words of a class, words without one, ids beyond the
// model) and every next class, inside and outside the model, at several
// weights: a table built for one weight and read at another would differ.
// A row's best score is one of its scores and no next class scores higher,
// whether the weighted scores fall with the byte sum or rise.
#include "engine/SyllableLatticeEngine/continuation_scorer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/core_lm.h"

namespace {

using vok::CoreLM;

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
        const int16_t score = vok::ContinuationScorer::Score(row, scorer.NextOf(next));
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

}  // namespace
