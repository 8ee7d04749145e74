#include "engine/core/stopwatch.h"

#include <chrono>
#include <ctime>

namespace vok {
namespace {

void WallClock(int64_t* seconds, int32_t* milliseconds) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  *seconds = ms / 1000;
  *milliseconds = static_cast<int32_t>(ms % 1000);
}

int64_t ProcessorMilliseconds() { return static_cast<int64_t>(std::clock()) * 1000 / CLOCKS_PER_SEC; }

}  // namespace

void Stopwatch::Start() {
  WallClock(&start_seconds_, &start_milliseconds_);
  start_clock_ms_ = ProcessorMilliseconds();
  wall_seconds_ = processor_seconds_ = 0;
}

void Stopwatch::Stop() {
  WallClock(&stop_seconds_, &stop_milliseconds_);
  stop_clock_ms_ = ProcessorMilliseconds();
  wall_seconds_ = static_cast<float>(static_cast<double>(stop_seconds_ - start_seconds_) +
                                     0.001 * (stop_milliseconds_ - start_milliseconds_));
  processor_seconds_ = static_cast<float>(0.001 * static_cast<double>(stop_clock_ms_ - start_clock_ms_));
}

}  // namespace vok
