#include "hook/core/pause_timer.h"

namespace jebhook {

bool PauseTimerRunning(const SharedBlock& block) { return block.pause_timer_state == kTimerRunning; }

void MarkPauseTimerArmed(SharedBlock& block, std::uint32_t thread_id) {
  block.pause_timer_thread = thread_id;
  block.pause_timer_state = kTimerRunning;
}

bool StopPauseTimer(SharedBlock& block, std::uint32_t thread_id) {
  const bool own = PauseTimerRunning(block) && block.pause_timer_thread == thread_id;
  block.pause_timer_state = kTimerStopped;
  block.pause_timer_thread = 0;
  return own;
}

bool TakePauseTimerExpiry(SharedBlock& block, std::uint32_t thread_id) {
  if (!PauseTimerRunning(block) || block.pause_timer_thread != thread_id) return false;
  block.pause_timer_state = kTimerStopped;
  block.pause_timer_thread = 0;
  return true;
}

}  // namespace jebhook
