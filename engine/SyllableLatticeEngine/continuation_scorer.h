// The older core form's continuation scores for a search that scores a few
// words against many next classes: the weighted score of every byte sum is
// tabled once, and each word's class row is looked up once. A score equals
// CoreLM::GetContinuationScore of the word's terms while the model keeps the
// table and the class bigram weight it had when the scorer was made.
#pragma once

#include <cstdint>

#include "engine/core/core_lm.h"

namespace vok {

class ContinuationScorer {
 public:
  // What the scores from one word need.
  struct Row {
    const uint8_t* bytes = nullptr;  // null: every next class reads the byte 255
    int32_t word_class = CoreLM::kNoClass;
    int32_t in_class = 255;
  };

  ContinuationScorer() = default;
  explicit ContinuationScorer(const CoreLM& core)
      : classes_(core.class_count()), end_class_(core.token_class(CoreLM::kEnd)) {
    for (int bytes = 0; bytes < kByteSums; ++bytes) weighted_[bytes] = core.WeightedClassBigramScore(bytes);
  }

  static Row RowOf(const CoreLM& core, int w) {
    const CoreLM::ContinuationTerms terms = core.GetContinuationTerms(w);
    return Row{core.table_row(terms.word_class), terms.word_class, terms.in_class};
  }

  int16_t Score(const Row& row, int next_class) const {
    if (row.word_class == end_class_ && next_class != row.word_class) return CoreLM::kForbidden;
    const bool in_table = row.bytes && static_cast<unsigned>(next_class) < static_cast<unsigned>(classes_);
    return weighted_[(in_table ? row.bytes[next_class] : 255) + row.in_class];
  }

 private:
  static constexpr int kByteSums = 255 + 255 + 1;

  int classes_ = 0;
  int end_class_ = CoreLM::kNoClass;
  int16_t weighted_[kByteSums] = {};
};

}  // namespace vok
