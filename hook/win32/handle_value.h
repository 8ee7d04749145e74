// Handles as the shared block holds them: the low 32 bits, which are all that
// Windows keeps significant in user and kernel handles. Sign extension gives
// the handle back in a 64-bit process.
#pragma once

#include <windows.h>

#include <cstdint>

#include "hook/core/shared_block.h"

namespace jebhook::win32 {

template <typename Handle>
HandleValue ToValue(Handle handle) {
  return static_cast<HandleValue>(reinterpret_cast<std::intptr_t>(handle));
}

template <typename Handle>
Handle FromValue(HandleValue value) {
  return reinterpret_cast<Handle>(static_cast<std::intptr_t>(value));
}

inline HWND ToWindow(HandleValue value) { return FromValue<HWND>(value); }

}  // namespace jebhook::win32
