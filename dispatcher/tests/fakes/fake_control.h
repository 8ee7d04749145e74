// What the fake kernel and gesture modules of the dispatcher tests
// record, and the entries that script them.
#pragma once

#include <cstdint>

#include "platform/calling_convention.h"

namespace fakes {

struct KernelLog {
  int init_calls;
  int free_calls;
  int recognize_calls;
  int last_stroke_count;
  int last_point_count;
  int last_learn_code;
  int set_range_calls;
  int last_range;
  int attach_calls;
  char attach_names[4][32];
};

// Kernel: the result of ZUNInitRecognition, then what ZUNRecognition returns
// and writes (code_count codes).
using KernelResetFn = void(WRENDLE_STDCALL*)(int init_result, int recognize_result,
                                             const std::uint16_t* codes, int code_count);
using KernelGetLogFn = const KernelLog*(WRENDLE_STDCALL*)();

// Gesture: the code ZUNGesture returns; the flags it was last given.
using GestureResetFn = void(WRENDLE_STDCALL*)(int code);
using GestureLastFlagsFn = int(WRENDLE_STDCALL*)();
using GestureCallsFn = int(WRENDLE_STDCALL*)();

}  // namespace fakes
