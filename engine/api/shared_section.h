// State that every process loading the engine library shares: the count of
// started engine instances, the generation of the audio levels (each write
// bumps it; every recognition loop compares it with the one it last read, so
// no loop can clear another's news), and the value parameter 0x1003 reads.
// On Windows the words live in a shared data section of the DLL; natively
// they are process-wide.
#pragma once

#include <atomic>
#include <cstdint>

namespace vok::api {

struct SharedInstanceState {
  std::atomic<std::uint32_t> instance_count;
  std::atomic<std::uint32_t> levels_generation;
  std::atomic<std::uint32_t> parameter_1003;
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

SharedInstanceState& SharedSection();

}  // namespace vok::api
