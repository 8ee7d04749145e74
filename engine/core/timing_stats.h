// Per-utterance and total times of a system or a search engine.
#pragma once

#include <cstdint>

#include "engine/core/stopwatch.h"

namespace vok {

class TimingStats {
 public:
  TimingStats() { Reset(); }

  void Reset();
  // Clears the last utterance's figures and starts the timer.
  void Start();
  // Stops the timer and counts the utterance with the measured times.
  void Stop();
  // Counts one utterance whose times someone else set (set_last_times).
  void AddUtterance(int frames);
  void set_last_frames(int frames) { last_frames_ = frames; }
  void set_last_times(float elapsed_ms, float processor_ms) {
    last_elapsed_ms_ = elapsed_ms;
    last_processor_ms_ = processor_ms;
  }

  // Through the log: the last utterance's times, when it had frames.
  void PrintUtterance() const;
  // Through the log: the totals, when an utterance was counted.
  void PrintTotals() const;

  int32_t utterances() const { return utterances_; }
  int32_t last_frames() const { return last_frames_; }
  int32_t total_frames() const { return total_frames_; }
  float last_elapsed_ms() const { return last_elapsed_ms_; }
  float total_elapsed_ms() const { return total_elapsed_ms_; }
  float last_processor_ms() const { return last_processor_ms_; }
  float total_processor_ms() const { return total_processor_ms_; }

 private:
  int32_t utterances_ = 0;
  int32_t last_frames_ = 0;
  int32_t total_frames_ = 0;
  float last_elapsed_ms_ = 0;
  float total_elapsed_ms_ = 0;
  float last_processor_ms_ = 0;
  float total_processor_ms_ = 0;
  Stopwatch stopwatch_;
};

}  // namespace vok
