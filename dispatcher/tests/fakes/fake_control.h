// What the fake kernel, gesture and engine modules of the dispatcher tests
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

struct EngineLog {
  int init_calls;
  std::uint32_t init_flags;
  char user[32];
  int destroy_calls;
  int set_param_count;
  std::uint32_t params[32][2];
  std::uintptr_t window;
  int strokes_fed;
  std::uint32_t first_points[4];
  int recognize_calls;
  int deleted_results;
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

// Engine: statuses of VOKInitializeExP and VOKPRRecognizeP, then the words of
// the next results, one call per recognition, in order: `count` zero-ended
// strings given one after the other in `words`.
using EngineResetFn = void(WRENDLE_STDCALL*)(std::uint32_t init_status, std::uint32_t recognize_status);
using EngineQueueResultFn = void(WRENDLE_STDCALL*)(const char* words, int count);
using EngineGetLogFn = const EngineLog*(WRENDLE_STDCALL*)();

}  // namespace fakes
