// The engine's header, per-utterance summary, total report and memory figure.
#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/messages.h"

namespace vok {

namespace {

constexpr int kVerboseSummary = 3;
constexpr int kTheoriesPerLine = 10;

}  // namespace

int64_t NetSearchEngine::GetMemoryUsage() const {
  int64_t bytes = kFixedMemoryBytes;
  for (const PtrArray* list : {reached_.get(), active_.get(), next_active_.get()}) {
    if (list) bytes += list->MemoryUse();
  }
  if (nodes_) bytes += nodes_->PoolMemoryUse() + transitions_->PoolMemoryUse() + hmms_->PoolMemoryUse();
  // The instances' free list.
  if (free_hmms_) bytes += free_hmms_->MemoryUse();
  return bytes;
}

void NetSearchEngine::PrintHeader() const {
  LogPrint("\nNetSearchEngine Header\n");
  LogPrint("---------------------------\n");
  LogPrint("%-12s    %d\n", "# Nodes:", NodeCount());
  LogPrint("%-12s    %d\n", "# Transitions:", TransitionCount());
  LogPrint("%-12s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("--------------------------\n");
}

void NetSearchEngine::PrintSummary() const {
  const int n = frames();
  if (n <= 0) return;
  LatticeEngine::PrintSummary();
  const int32_t final_score = table_ ? table_->final_score() : end_node()->score;
  const int32_t total = final_score - offset_sum_;
  LogPrint("Total score: %d (%d per frame)\n", static_cast<int>(total), static_cast<int>(total / n));
  LogPrint("Theories evaluated = %d (%d per frame)\n", static_cast<int>(utterance_theories_),
           static_cast<int>(utterance_theories_ / n));
  if (LogVerbosity() < kVerboseSummary) return;
  LogPrint("Theories evaluated in time\n");
  for (int t = 0; t < n; ++t) {
    LogPrint("%5d ", static_cast<int>(theories_[t]));
    if ((t + 1) % kTheoriesPerLine == 0 || t == n - 1) LogPrint("\n");
  }
}

void NetSearchEngine::PrintReport() const {
  const int utterances = timing_.utterances();
  if (utterances == 0) return;
  LatticeEngine::PrintReport();
  if (total_theories_ > 0) {
    const int total_frames = timing_.total_frames();
    LogPrint("Total theories evaluated = %d (%d per utt, %d per frame)\n", static_cast<int>(total_theories_),
             static_cast<int>(total_theories_ / utterances),
             static_cast<int>(total_frames > 0 ? total_theories_ / total_frames : 0));
    LogPrint("Maximum theories evaluated = %d\n", static_cast<int>(max_theories_));
  }
  LogPrint("--------------------------------------------------------\n");
}

}  // namespace vok
