// Speeds and delays of an owner slot.
#pragma once

#include <cstdint>

namespace jebhook {

// Speed base and initial speed threshold (squared pixels per second) for the
// screen width at registration.
struct SpeedDefaults {
  std::int32_t base;
  std::int32_t threshold;
};
SpeedDefaults SpeedForScreenWidth(std::int32_t screen_width);

struct DelaySettings {
  std::int32_t pause_delay_ms;
  std::int32_t hold_window_ms;
  std::int32_t speed_threshold;
};
// Pause delay = pause; hold window = hold / 4 + 200; c = 5 - (hold - 300) / 450
// (integer division towards zero); threshold = speed base x c x c x 8 / 25,
// held to the int32 range. Callers pass a hold of at least 300 ms.
DelaySettings ComputeDelays(std::int32_t pause_ms, std::int32_t hold_ms, std::int32_t speed_base);

}  // namespace jebhook
