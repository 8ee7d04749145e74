// Moves one candidate to the top when the stored segment lists of the
// candidates agree with the cell's segments better than the first's.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "kernel/code_page.h"
#include "kernel/scored_list.h"
#include "kernel/segment_list_file.h"

namespace kernel {

struct RerankContext {
  CodePage code_page = CodePage::kBig5;
  int tolerance = 5;
  // The stored lists of a global record index.
  std::function<std::span<const SegmentList>(std::int32_t)> lists_of;
  // The code of a global record index (caller's form).
  std::function<std::uint16_t(std::int32_t)> code_of;
};

// `table` is best first. Returns the index of the candidate moved to the
// top, or 0 when nothing moved.
std::size_t RerankBySegments(std::vector<ScoredEntry>& table, std::span<const SegmentRecord> cell_segments,
                             const RerankContext& context);

}  // namespace kernel
