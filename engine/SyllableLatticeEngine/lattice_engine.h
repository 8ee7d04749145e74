// The base of every decoding engine: it turns input items (frames, strokes,
// keys, characters) into word-end records of a back-trace table, and keeps
// the timing and lattice-size statistics.
#pragma once

#include <cstdint>

#include "engine/core/timing_stats.h"

namespace vok {

class BackTraceTable;
class NBestList;
class Resources;

class LatticeEngine {
 public:
  // The table is the system's; the engine writes into it and never frees it.
  explicit LatticeEngine(BackTraceTable* table) : table_(table) {}
  virtual ~LatticeEngine() = default;
  LatticeEngine(const LatticeEngine&) = delete;
  LatticeEngine& operator=(const LatticeEngine&) = delete;

  // The virtual operations in the order every engine shares.
  // Resets the table to frame 0 and the last lattice size; starts the timer.
  virtual int StartUtterance();
  // Records the lattice size, makes the best record of the last frame the
  // table's final record and stops the timer.
  virtual int FinishUtterance();
  virtual void PrintSummary() const;
  virtual void PrintReport() const;
  virtual int ReadOptions(const Resources& resources);
  virtual int ProcessString(const char* text);
  virtual int Reserved7(const void* first, const void* second);
  virtual int RunWaveFile(const void* search_parameters, const char* wave_file);
  virtual int RunStoredUtterance(const void* search_parameters, int utterance, void* audio_session);
  virtual int Initialize();
  virtual int ProcessInput();
  virtual int GetNBest(NBestList* list);
  virtual int64_t GetMemoryUsage() const;
  virtual void Reserved14();
  virtual void PrintHeader() const;
  virtual void Reserved16();

  BackTraceTable* table() const { return table_; }
  const TimingStats& timing() const { return timing_; }
  // Input items of the current (or last) utterance.
  int frames() const { return timing_.last_frames(); }
  int32_t last_lattice_size() const { return last_lattice_size_; }
  int32_t total_lattice_size() const { return total_lattice_size_; }

 protected:
  // Counts one input item and moves the table to a new frame; -1 when the
  // table holds no further frame.
  int AdvanceFrame();

  TimingStats timing_;
  BackTraceTable* table_;
  int32_t last_lattice_size_ = 0;
  int32_t total_lattice_size_ = 0;
};

}  // namespace vok
