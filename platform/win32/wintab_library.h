// The tablet driver's "Wintab32" as the hook library and the pen-input
// program reach it: loaded on first use, once per process and loader, each
// function bound by its published ordinal on its first call. A function that
// cannot be bound makes its call return 0. The owner unloads it: never from
// a destructor, which may run while the process is ending.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "platform/win32/wintab.h"

namespace platform::win32::wintab {

class WintabLibrary {
 public:
  WintabLibrary() = default;
  WintabLibrary(const WintabLibrary&) = delete;
  WintabLibrary& operator=(const WintabLibrary&) = delete;

  UINT InfoA(UINT category, UINT index, void* output) {
    return Call<UINT(WINAPI*)(UINT, UINT, LPVOID)>(kOrdinalInfoA, category, index, output);
  }
  Hctx OpenA(HWND window, LogContextA* context, BOOL enable) {
    return Call<Hctx(WINAPI*)(HWND, LogContextA*, BOOL)>(kOrdinalOpenA, window, context, enable);
  }
  BOOL Close(Hctx context) { return Call<BOOL(WINAPI*)(Hctx)>(kOrdinalClose, context); }
  // With no buffer the packets are flushed.
  int PacketsGet(Hctx context, int count, void* packets) {
    return Call<int(WINAPI*)(Hctx, int, LPVOID)>(kOrdinalPacketsGet, context, count, packets);
  }
  BOOL Enable(Hctx context, BOOL enable) {
    return Call<BOOL(WINAPI*)(Hctx, BOOL)>(kOrdinalEnable, context, enable);
  }
  // TRUE puts the context on top of the overlap order, FALSE at the bottom.
  BOOL Overlap(Hctx context, BOOL to_top) {
    return Call<BOOL(WINAPI*)(Hctx, BOOL)>(kOrdinalOverlap, context, to_top);
  }
  BOOL GetA(Hctx context, LogContextA* record) {
    return Call<BOOL(WINAPI*)(Hctx, LogContextA*)>(kOrdinalGetA, context, record);
  }
  BOOL SetA(Hctx context, LogContextA* record) {
    return Call<BOOL(WINAPI*)(Hctx, LogContextA*)>(kOrdinalSetA, context, record);
  }

  bool Loaded();
  // Frees the library and forgets every bound function; the next call loads
  // it again.
  void Unload();

 private:
  struct Bound {
    WORD ordinal;
    FARPROC procedure;
  };

  template <typename Function, typename... Args>
  std::invoke_result_t<Function, Args...> Call(WORD ordinal, Args... args) {
    using Result = std::invoke_result_t<Function, Args...>;
    const FARPROC procedure = Bind(ordinal);
    if (procedure == nullptr) return Result{};
    return reinterpret_cast<Function>(reinterpret_cast<void*>(procedure))(args...);
  }
  FARPROC Bind(WORD ordinal);

  static constexpr int kMaxBound = 8;
  SRWLOCK lock_ = SRWLOCK_INIT;
  HMODULE module_ = nullptr;
  bool tried_ = false;
  Bound bound_[kMaxBound] = {};
  int bound_count_ = 0;
};

// A pressure context as the hook library and the ink box open it.
struct PenContext {
  Hctx context = nullptr;
  std::int32_t cursor = 0;
  std::int32_t button_bit = 0;
  std::int32_t press_mark = 0;
  std::int32_t pressure_range = 0;  // axis maximum - press mark
};

// Opens, enabled on `window`, the default system context named `name` with
// packets of buttons, position and normal pressure in screen pixels (y
// downwards, absolute); then takes the device's first active cursor that
// reports pressure (else `previous_cursor`) and its pressure button, press
// mark and range. The context is null on failure.
PenContext OpenPenContext(WintabLibrary& library, HWND window, const char* name,
                          std::int32_t previous_cursor);

}  // namespace platform::win32::wintab
