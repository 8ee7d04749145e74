// Wall-clock and processor timing for the engine's reports.
#pragma once

#include <cstdint>

namespace vok {

class Stopwatch {
 public:
  void Start();
  void Stop();
  float wall_seconds() const { return wall_seconds_; }
  float processor_seconds() const { return processor_seconds_; }

 private:
  float wall_seconds_ = 0;
  float processor_seconds_ = 0;
  int64_t start_seconds_ = 0;
  int32_t start_milliseconds_ = 0;
  int64_t stop_seconds_ = 0;
  int32_t stop_milliseconds_ = 0;
  int64_t start_clock_ms_ = 0;
  int64_t stop_clock_ms_ = 0;
};

}  // namespace vok
