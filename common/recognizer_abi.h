// Entries of the recognizer modules as the dispatcher binds them by name.
#pragma once

#include <cstdint>

#include "common/stroke_list.h"
#include "platform/calling_convention.h"

namespace wrendle::abi {

// Kernel modules "BZUN32.DLL" and "SZUN32.DLL".
using ZUNInitRecognitionFn = int(WRENDLE_STDCALL*)();
using ZUNFreeRecognitionFn = void(WRENDLE_STDCALL*)();
// Candidates: room for ten 16-bit codes (callers give eleven).
using ZUNRecognitionFn = int(WRENDLE_STDCALL*)(const StrokeEntry* strokes, std::uint16_t* candidates,
                                               int learn_code);
using ZUNSetRangeFn = int(WRENDLE_STDCALL*)(int range_flags);
// Learned features, learned segment lists, pen ink, fourth file; null keeps a name.
using ZUNAttachLearnFn = int(WRENDLE_STDCALL*)(const char* features, const char* segments, const char* ink,
                                               const char* fourth);

// Gesture module "tarnig.dll".
using ZUNGestureFn = int(WRENDLE_STDCALL*)(const StrokeEntry* strokes, int range_flags);

}  // namespace wrendle::abi
