#include "kernel/segment_reranker.h"

#include <algorithm>
#include <cstdlib>

#include "kernel/segment_distance.h"

namespace kernel {
namespace {

constexpr long kNoDistance = 10'000'000;
// Records of the Big5 base dictionary that must not be swapped.
constexpr std::int32_t kKeptFirstRecord = 1086;
constexpr std::int32_t kKeptChosenRecord = 1292;

}  // namespace

std::size_t RerankBySegments(std::vector<ScoredEntry>& table, std::span<const SegmentRecord> cell_segments,
                             const RerankContext& context) {
  if (table.size() < 2) return 0;
  const std::span<const SegmentList> top_lists = context.lists_of(table[0].record);
  if (top_lists.empty() || top_lists[0].empty()) return 0;
  SegmentComparer comparer(cell_segments);
  const long s = static_cast<long>(comparer.cell_size());
  if (s == 0) return 0;
  const long tolerance = std::max<long>(s / 2, context.tolerance);

  std::vector<long> distance(table.size(), kNoDistance);
  std::vector<int> status(table.size(), 3);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::span<const SegmentList> lists = context.lists_of(table[i].record);
    if (!lists.empty()) status[i] = 2;
    for (const SegmentList& list : lists) {
      const long c = static_cast<long>(list.size());
      if (c < 1 || c > 44 || std::labs(s - c) > tolerance) continue;
      status[i] = 0;
      distance[i] = std::min(distance[i], comparer.Distance(list));
    }
    const int category = GetCharCategory(context.code_page, context.code_of(table[i].record));
    if (category == 2 || category == 8) distance[i] *= 2;
  }
  // Normalised by the second candidate; without a finite scale nothing moves.
  if (distance[1] == 0 || table[1].score == 0) return 0;

  const bool big5 = context.code_page == CodePage::kBig5;
  double best = big5 ? 100'000'000.0 : 100'000.0;
  std::size_t chosen = table.size();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (status[i] != 0) continue;
    const double combined = static_cast<double>(distance[i]) / static_cast<double>(distance[1]) +
                            static_cast<double>(table[i].score) / static_cast<double>(table[1].score);
    if (combined < best) {
      best = combined;
      chosen = i;
    }
  }
  if (chosen == table.size() || chosen == 0) return 0;
  if (big5 && (table[chosen].record == table[0].record ||
               (table[0].record == kKeptFirstRecord && table[chosen].record == kKeptChosenRecord))) {
    return 0;
  }
  std::swap(table[0], table[chosen]);
  return chosen;
}

}  // namespace kernel
