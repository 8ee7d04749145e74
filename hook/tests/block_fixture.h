// A zeroed, initialised shared block on the heap for the core's tests.
#pragma once

#include <memory>

#include "hook/core/shared_block.h"

namespace jebhook::testing {

inline constexpr std::uint32_t kTestMessage = 0xC123;

inline std::unique_ptr<SharedBlock> MakeBlock() {
  auto block = std::make_unique<SharedBlock>();
  InitializeSharedBlock(*block, kTestMessage, "E8880804");
  return block;
}

}  // namespace jebhook::testing
