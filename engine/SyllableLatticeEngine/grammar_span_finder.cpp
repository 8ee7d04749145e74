#include "engine/SyllableLatticeEngine/grammar_span_finder.h"

#include "engine/core/back_trace_table.h"
#include "engine/core/grammar_unit.h"

namespace vok {

int GrammarSpanFinder::FindSpans(int end_frame, BackTraceTable* table, std::vector<NewWordSpan>* spans) {
  if (!network_ || !table || !spans) return 0;
  // Count-first lists with room for every frame.
  std::vector<uint16_t> frames(BackTraceTable::kFrames + 1, 0);
  std::vector<int16_t> scores(BackTraceTable::kFrames + 1, 0);
  network_->MatchLattice(end_frame, *table, frames.data(), scores.data(), static_cast<int>(frames.size()));
  for (int i = 1; i <= frames[0]; ++i) {
    spans->push_back(NewWordSpan{frames[static_cast<std::size_t>(i)], scores[static_cast<std::size_t>(i)]});
  }
  return frames[0];
}

}  // namespace vok
