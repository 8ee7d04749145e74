// Library-wide state of the dispatcher that its recognizers share.
#pragma once

#include <cstdint>

namespace wrendle {

struct DispatcherState {
  std::int32_t range_flags = 1;  // Chinese only
  // Governs the gesture step of the engine recognizer only.
  std::int32_t use_gesture = 1;
  // Last character sent; no recognizer reads it.
  std::uint16_t previous_character = 0;
  // GB symbol-pair state of the engine's candidate conversion (0, 1 or 2).
  std::int32_t gb_pair_state = 0;
};

}  // namespace wrendle
