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
    // The word's class row; a row of 255s when the word has none.
    const uint8_t* bytes = nullptr;
    // The weighted scores from the word's in-class byte on.
    const int16_t* weights = nullptr;
    bool ends = false;  // a sentence end, which continues only into its own class
    // No next class scores higher, so a search can pass over a word that
    // cannot reach its beam even with the best of them.
    int16_t best = 0;
  };
  // What the scores into one next class need, for any row.
  struct Next {
    int index = 0;        // into a row; 0 for a class outside the table
    uint8_t outside = 0;  // 255 for a class outside the table, which reads the byte 255
    bool other = true;    // not the sentence end's class
  };

  ContinuationScorer() = default;
  explicit ContinuationScorer(const CoreLM& core)
      : classes_(core.class_count()),
        end_class_(core.token_class(CoreLM::kEnd)),
        lowest_byte_(static_cast<std::size_t>(std::max(classes_, 0)), kNotLooked),
        outside_row_(static_cast<std::size_t>(std::max(classes_, 1)), 255) {
    for (int bytes = 0; bytes < kByteSums; ++bytes) weighted_[bytes] = core.WeightedClassBigramScore(bytes);
  }
  // Rows point into the scorer that made them: they hold while it is neither
  // moved nor assigned.
  ContinuationScorer(const ContinuationScorer&) = delete;
  ContinuationScorer& operator=(const ContinuationScorer&) = delete;
  ContinuationScorer(ContinuationScorer&&) = default;
  ContinuationScorer& operator=(ContinuationScorer&&) = default;

  // Not const: the lowest byte of each class row is looked up once.
  Row RowOf(const CoreLM& core, int w) {
    const CoreLM::ContinuationTerms terms = core.GetContinuationTerms(w);
    const uint8_t* table_row = core.table_row(terms.word_class);
    Row row{table_row ? table_row : outside_row_.data(), weighted_ + terms.in_class,
            terms.word_class == end_class_};
    row.best = BestOf(table_row, terms.word_class, terms.in_class);
    return row;
  }
  Next NextOf(int next_class) const {
    const bool in_table = static_cast<unsigned>(next_class) < static_cast<unsigned>(classes_);
    return Next{in_table ? next_class : 0, static_cast<uint8_t>(in_table ? 0 : 255),
                next_class != end_class_};
  }

  // The class bigram score of the row's word before the next class, as
  // CoreLM::GetContinuationScore gives it; no branch but the sentence end's.
  static int16_t Score(const Row& row, const Next& next) {
    if (row.ends && next.other) return CoreLM::kForbidden;
    return row.weights[row.bytes[next.index] | next.outside];
  }

 private:
  static constexpr int kByteSums = 255 + 255 + 1;
  static constexpr int16_t kNotLooked = -1;

  // The row's bytes lie between its lowest and 255 (any class outside the
  // table). A weighted score is the byte sum times one weight, so it only
  // falls or only rises with the sum: one end of the range scores best.
  int16_t BestOf(const uint8_t* table_row, int word_class, int in_class) {
    int lowest = 255;
    if (table_row) {
      int16_t& looked = lowest_byte_[static_cast<std::size_t>(word_class)];
      if (looked == kNotLooked) looked = LowestByte(table_row);
      lowest = looked;
    }
    return std::max(weighted_[lowest + in_class], weighted_[255 + in_class]);
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
  std::vector<uint8_t> outside_row_;
};

}  // namespace vok
