// The older core form's continuation scores for a search that scores a few
// words against many next classes: the weighted score of every byte sum is
// tabled once, each word's class row is looked up once, and the class table
// is kept by column, so that the scores of many words before one next class
// read contiguous bytes. A score equals CoreLM::GetContinuationScore of the
// word's terms while the model keeps the table and the class bigram weight
// it had when the scorer was last updated.
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
    // The word's class, or the class count when the word has none (a row
    // of 255s).
    uint16_t index = 0;
    uint16_t in_class = 255;  // the word's in-class byte
    bool ends = false;        // a sentence end, which continues only into its own class
    // No next class scores higher, so a search can pass over a word that
    // cannot reach its beam even with the best of them.
    int16_t best = 0;
  };
  // What the scores into one next class need, for any row.
  struct Next {
    // The bytes from every class to the next class by Row::index; 255s for a
    // class outside the table.
    const uint8_t* column = nullptr;
    bool other = true;  // not the sentence end's class
  };

  ContinuationScorer() = default;
  explicit ContinuationScorer(const CoreLM& core) { Update(core); }

  // Takes the model's class bigram weight; the columns are rebuilt only when
  // the model's class table changed since the last update. Rows and Nexts
  // made before an update are not to be used after it.
  void Update(const CoreLM& core) {
    end_class_ = core.token_class(CoreLM::kEnd);
    for (int bytes = 0; bytes < kByteSums; ++bytes) weighted_[bytes] = core.WeightedClassBigramScore(bytes);
    if (core.table_revision() == table_revision_ && core.class_count() == classes_) return;
    table_revision_ = core.table_revision();
    classes_ = std::max(core.class_count(), 0);
    BuildColumns(core);
    lowest_byte_.assign(static_cast<std::size_t>(classes_), kNotLooked);
  }

  // Not const: the lowest byte of each class row is looked up once.
  Row RowOf(const CoreLM& core, int w) {
    const CoreLM::ContinuationTerms terms = core.GetContinuationTerms(w);
    const uint8_t* table_row = core.table_row(terms.word_class);
    Row row{static_cast<uint16_t>(table_row ? terms.word_class : classes_),
            static_cast<uint16_t>(terms.in_class), terms.word_class == end_class_};
    row.best = BestOf(table_row, terms.word_class, terms.in_class);
    return row;
  }
  Next NextOf(int next_class) const {
    const bool in_table = static_cast<unsigned>(next_class) < static_cast<unsigned>(classes_);
    const std::size_t column =
        in_table ? static_cast<std::size_t>(next_class) : static_cast<std::size_t>(classes_);
    return Next{columns_.data() + column * ColumnLength(), next_class != end_class_};
  }

  // The class bigram score of the row's word before the next class, as
  // CoreLM::GetContinuationScore gives it; no branch but the sentence end's.
  int16_t Score(const Row& row, const Next& next) const {
    if (row.ends && next.other) return CoreLM::kForbidden;
    return weighted_[row.in_class + next.column[row.index]];
  }

 private:
  static constexpr int kByteSums = 255 + 255 + 1;
  static constexpr int16_t kNotLooked = -1;
  static constexpr uint64_t kNoRevision = 0;  // revisions start at 1

  // A column holds every class and one more for a word outside the table.
  std::size_t ColumnLength() const { return static_cast<std::size_t>(classes_) + 1; }

  // Column n, row c: the byte from class c to class n; 255 where either is
  // outside the table (its last row and its last column).
  void BuildColumns(const CoreLM& core) {
    const std::size_t length = ColumnLength();
    columns_.assign(length * length, 255);
    for (int c = 0; c < classes_; ++c) {
      const uint8_t* row = core.table_row(c);
      if (!row) break;  // no table was read
      for (std::size_t n = 0; n < static_cast<std::size_t>(classes_); ++n)
        columns_[n * length + static_cast<std::size_t>(c)] = row[n];
    }
  }

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
  uint64_t table_revision_ = kNoRevision;
  int16_t weighted_[kByteSums] = {};
  std::vector<uint8_t> columns_ = std::vector<uint8_t>(1, 255);  // ColumnLength() columns
  std::vector<int16_t> lowest_byte_;                             // per class; kNotLooked until looked up
};

}  // namespace vok
