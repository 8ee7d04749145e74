#include "hook/core/pen_timing.h"

#include <algorithm>
#include <limits>

namespace jebhook {

SpeedDefaults SpeedForScreenWidth(std::int32_t screen_width) {
  if (screen_width <= 640) return {139, 556};
  if (screen_width <= 800) return {256, 1024};
  return {412, 1648};
}

DelaySettings ComputeDelays(std::int32_t pause_ms, std::int32_t hold_ms, std::int32_t speed_base) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int64_t c = 5 - (static_cast<std::int64_t>(hold_ms) - 300) / 450;
  // |c| < 2^23 and |base| <= 2^31, so base x c x c x 8 overflows only for
  // holds of days; it then saturates.
  std::int64_t product = 0;
  std::int64_t threshold = 0;
  if (__builtin_mul_overflow(static_cast<std::int64_t>(speed_base) * 8, c * c, &product)) {
    threshold = speed_base < 0 ? kMin : kMax;
  } else {
    threshold = product / 25;
  }
  return DelaySettings{
      .pause_delay_ms = pause_ms,
      .hold_window_ms = hold_ms / 4 + 200,
      .speed_threshold = static_cast<std::int32_t>(std::clamp(threshold, kMin, kMax)),
  };
}

}  // namespace jebhook
