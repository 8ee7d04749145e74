// The pause timer's record in the shared block. It is a thread timer, which
// only the thread that set it can kill, and wine numbers thread timers per
// thread (two threads both get 0x7FFF), so the block records the arming
// thread instead of the timer's number; the number stays with that thread.
// A thread that stops a timer armed elsewhere only marks it stopped: when
// that timer fires, its thread finds it no longer running and kills it
// without notifying anyone.
#pragma once

#include <cstdint>

#include "hook/core/shared_block.h"

namespace jebhook {

bool PauseTimerRunning(const SharedBlock& block);
void MarkPauseTimerArmed(SharedBlock& block, std::uint32_t thread_id);
// Marks the timer stopped. True when `thread_id` armed it and so must kill
// its own timer now.
bool StopPauseTimer(SharedBlock& block, std::uint32_t thread_id);
// For a pause timer that fired in `thread_id`: true when it is the running
// one, which is now stopped, so the owner is told to recognize.
bool TakePauseTimerExpiry(SharedBlock& block, std::uint32_t thread_id);

}  // namespace jebhook
