// Results of an utterance: the best path, the best item, the N-best list and
// the confidence.
#include <algorithm>

#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/log_score.h"

namespace vok {

namespace {

constexpr int kConfidenceList = 10;
constexpr int32_t kMaxConfidence = 100;

int32_t Confidence(int32_t best, int32_t second) {
  return std::clamp(best - second, int32_t{0}, kMaxConfidence);
}

}  // namespace

int NetSearchEngine::GetResult(Hypothesis* result) {
  const NetNode* end = end_node();
  if (!table_ || !end || end->back_trace < 0) return -1;
  const BackTraceRecord* record = table_->GetRecord(end->back_trace);
  if (!record || record->label == BackTraceTable::kNoWord) return -1;
  table_->SetFinal(end->back_trace, end->score);
  uint16_t labels[Hypothesis::kMaxIds];
  const int count = table_->TraceBack(end->back_trace, labels, Hypothesis::kMaxIds);
  if (count < 0) return -1;
  if (result) result->Set(end->score, count, labels, 1);
  return 1;
}

int NetSearchEngine::GetBestItem(int* id) {
  Hypothesis best;
  const bool one = GetResult(&best) > 0 && best.count == 1;
  if (id) *id = one ? best.ids[0] : -1;
  return one ? 0 : -1;
}

int NetSearchEngine::GetNBest(NBestList* list) {
  if (!list) return -1;
  list->Reset(kEmptyScore, 1);
  Hypothesis best;
  const int result = GetResult(&best);
  if (result < 0) return result;
  list->set_best_score(int32_t{end_node()->score} - offset_sum_);
  table_->EnumeratePaths(list);
  // The traced path heads the list, one above what the enumeration found
  // first.
  const int32_t head = int32_t{list->count() > 0 ? list->Get(0).score : kEmptyScore} + 1;
  list->Insert(Saturate16(head), best.ids, best.count);
  return 0;
}

int NetSearchEngine::GetConfidence(int* value) {
  if (!value) return -1;
  *value = 0;
  if (table_) {
    NBestList list(kConfidenceList, 1);
    if (GetNBest(&list) < 0 || list.count() == 0) return -1;
    const Hypothesis& best = list.Get(0);
    if (best.count > 0 && best.ids[0] == kLabelRejection) return 0;
    *value = Confidence(best.score, list.count() > 1 ? list.Get(1).score : kEmptyScore);
    return 0;
  }
  int32_t best = kEmptyScore;
  int32_t second = kEmptyScore;
  for (int i = 0; i < active_count(); ++i) {
    const auto* t = static_cast<const NetTransition*>(active_->Get(i));
    if (t->item == kNetNoItem || t->item == kLabelSilence || !t->target) continue;
    const int32_t exit = t->hmm->exit;
    if (exit > best) {
      second = best;
      best = exit;
    } else if (exit < best && exit > second) {
      second = exit;
    }
  }
  if (best <= kEmptyScore) return -1;
  *value = Confidence(best, second);
  return 0;
}

}  // namespace vok
