// What the word lattice engine asks of a new-word grammar: the spans of the
// lattice, ending at a frame, that the grammar accepts as one new word.
#pragma once

#include <cstdint>
#include <vector>

namespace vok {

class BackTraceTable;

struct NewWordSpan {
  int32_t start = 0;  // the frame where the span starts (below the end frame)
  int16_t score = 0;  // the best walked score of the span's entries
};

class NewWordSpanFinder {
 public:
  virtual ~NewWordSpanFinder() = default;
  // Appends the accepted spans that end at `end_frame`, their starts in
  // increasing order; returns how many were appended.
  virtual int FindSpans(int end_frame, BackTraceTable* table, std::vector<NewWordSpan>* spans) = 0;
};

}  // namespace vok
