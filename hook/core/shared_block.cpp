#include "hook/core/shared_block.h"

#include <cstring>

namespace jebhook {

void ResetTabletState(TabletState& tablet) {
  tablet = TabletState{};
  tablet.pressure_range = 255;
  tablet.dot_mode = 1;
  tablet.dot_factor = 20;
  tablet.pen_width = 6;
  tablet.pen_colour = 255;
}

void InitializeSharedBlock(SharedBlock& block, std::uint32_t registered_message, const char* layout_name) {
  std::memset(&block, 0, sizeof block);
  ResetTabletState(block.tablet);
  block.pause_timer_state = kTimerStopped;
  block.registered_message = registered_message;
  std::strncpy(block.layout_name, layout_name, kLayoutNameBytes - 1);
  for (auto& buffer : block.buffers) buffer.open_header = -1;
}

}  // namespace jebhook
