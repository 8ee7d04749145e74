// A new-word grammar for the word lattice engine: the expanded network of a
// grammar (for example one of personal names) proposes the spans it accepts.
#pragma once

#include <vector>

#include "engine/SyllableLatticeEngine/new_word_span_finder.h"

namespace vok {

class GrammarUnit;

class GrammarSpanFinder : public NewWordSpanFinder {
 public:
  // The network's labels are lexicon word ids; it is not owned.
  explicit GrammarSpanFinder(const GrammarUnit* network) : network_(network) {}
  int FindSpans(int end_frame, BackTraceTable* table, std::vector<NewWordSpan>* spans) override;

 private:
  const GrammarUnit* network_;
};

}  // namespace vok
