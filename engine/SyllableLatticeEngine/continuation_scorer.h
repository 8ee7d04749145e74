// The older core form's continuation scores for a search that scores a few
// words against many next classes: the weighted score of every byte sum is
// tabled once, and each word's class row is looked up once. A score equals
// CoreLM::GetContinuationScore of the word's terms while the model keeps the
// table and the class bigram weight it had when the scorer was made.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/core/core_lm.h"

namespace vok {

class ContinuationScorer {
 public:
  // What the scores from one word need.
  struct Row {
    const uint8_t* bytes = nullptr;  // null: every next class reads the byte 255
    int32_t word_class = CoreLM::kNoClass;
    int32_t in_class = 255;
    // No next class scores higher, so a search can pass over a word that
    // cannot reach its beam even with the best of them.
    int16_t best = 0;
  };

  ContinuationScorer() = default;
  explicit ContinuationScorer(const CoreLM& core)
      : classes_(core.class_count()),
        end_class_(core.token_class(CoreLM::kEnd)),
        lowest_byte_(static_cast<std::size_t>(std::max(classes_, 0)), kNotLooked) {
    for (int bytes = 0; bytes < kByteSums; ++bytes) weighted_[bytes] = core.WeightedClassBigramScore(bytes);
  }

  // Not const: the lowest byte of each class row is looked up once.
  Row RowOf(const CoreLM& core, int w) {
    const CoreLM::ContinuationTerms terms = core.GetContinuationTerms(w);
    Row row{core.table_row(terms.word_class), terms.word_class, terms.in_class};
    row.best = BestOf(row);
    return row;
  }

  int16_t Score(const Row& row, int next_class) const {
    if (row.word_class == end_class_ && next_class != row.word_class) return CoreLM::kForbidden;
    const bool in_table = row.bytes && static_cast<unsigned>(next_class) < static_cast<unsigned>(classes_);
    return weighted_[(in_table ? row.bytes[next_class] : 255) + row.in_class];
  }

 private:
  static constexpr int kByteSums = 255 + 255 + 1;
  static constexpr int16_t kNotLooked = -1;

  // The row's bytes lie between its lowest and 255 (any class outside the
  // table). A weighted score is the byte sum times one weight, so it only
  // falls or only rises with the sum: one end of the range scores best.
  int16_t BestOf(const Row& row) {
    int lowest = 255;
    if (row.bytes) {
      int16_t& looked = lowest_byte_[static_cast<std::size_t>(row.word_class)];
      if (looked == kNotLooked) looked = LowestByte(row.bytes);
      lowest = looked;
    }
    return std::max(weighted_[lowest + row.in_class], weighted_[255 + row.in_class]);
  }

  // A plain minimum, which compiles into vector instructions.
  uint8_t LowestByte(const uint8_t* bytes) const {
    uint8_t lowest = 255;
    for (int c = 0; c < classes_; ++c) lowest = std::min(lowest, bytes[c]);
    return lowest;
  }

  int classes_ = 0;
  int end_class_ = CoreLM::kNoClass;
  int16_t weighted_[kByteSums] = {};
  std::vector<int16_t> lowest_byte_;  // per class; kNotLooked until looked up
};

}  // namespace vok
