#include "engine/SyllableLatticeEngine/lattice_engine.h"

#include "engine/core/back_trace_table.h"
#include "engine/core/messages.h"

namespace vok {

int LatticeEngine::StartUtterance() {
  if (table_) table_->Reset(0);
  last_lattice_size_ = 0;
  timing_.Start();
  return 0;
}

int LatticeEngine::FinishUtterance() {
  if (table_) {
    last_lattice_size_ = table_->record_count();
    total_lattice_size_ += last_lattice_size_;
    const int best = table_->BestRecordInFrame(frames() - 1);
    const BackTraceRecord* record = table_->GetRecord(best);
    table_->SetFinal(best, record ? record->score : 0);
  }
  timing_.Stop();
  return 0;
}

void LatticeEngine::PrintSummary() const {
  LogPrint("Lattice engine summary:\n");
  timing_.PrintUtterance();
  const int n = frames();
  LogPrint("Lattice size = %d (%.1f per frame)\n", last_lattice_size_,
           n > 0 ? static_cast<double>(last_lattice_size_) / n : 0.0);
}

void LatticeEngine::PrintReport() const {
  LogPrint("\nLattice engine report\n");
  LogPrint("--------------------------------------------------------\n");
  const int utterances = timing_.utterances();
  if (utterances == 0) return;
  timing_.PrintTotals();
  const int total_frames = timing_.total_frames();
  LogPrint("Average lattice size = %d (%.1f per frame)\n", total_lattice_size_ / utterances,
           total_frames > 0 ? static_cast<double>(total_lattice_size_) / total_frames : 0.0);
}

int LatticeEngine::ReadOptions(const Resources& /*resources*/) { return 0; }
int LatticeEngine::ProcessString(const char* /*text*/) { return 0; }
int LatticeEngine::Reserved7(const void* /*first*/, const void* /*second*/) { return 0; }
int LatticeEngine::RunWaveFile(const void* /*search_parameters*/, const char* /*wave_file*/) { return 0; }
int LatticeEngine::RunStoredUtterance(const void* /*search_parameters*/, int /*utterance*/,
                                      void* /*audio_session*/) {
  return 0;
}
int LatticeEngine::Initialize() { return 0; }
int LatticeEngine::ProcessInput() { return 0; }
int LatticeEngine::GetNBest(NBestList* /*list*/) { return 0; }
int64_t LatticeEngine::GetMemoryUsage() const { return 0; }
void LatticeEngine::Reserved14() {}
void LatticeEngine::PrintHeader() const {}
void LatticeEngine::Reserved16() {}

int LatticeEngine::AdvanceFrame() {
  if (table_ && table_->EndFrame() < 0) return -1;
  timing_.set_last_frames(frames() + 1);
  return 0;
}

}  // namespace vok
