// The pen workers of the engine module "VOK-P.DLL" as the dispatcher binds
// them by name, and the result record they deliver with WM_PENRESULT.
#pragma once

#include <cstdint>

#include "platform/calling_convention.h"

namespace wrendle::abi {

// Posted to the notification window when a pen result is ready (WM_USER+111):
// wParam the first result record, lParam a second record or 0.
inline constexpr std::uint32_t kWmPenResult = 1135;

// Result record kinds (low byte, then the recognizer's byte).
enum ResultKind : std::uint32_t {
  kResultFlagged = 0x1,
  kResultText = 0x10,
  kResultWordIdAlternatives = 0x20,
  kResultWordIdHypotheses = 0x40,
  kResultFromSpeech = 0x100,
  kResultFromPen = 0x200,
  kResultPenGestureText = 0x1000,
};

// Seven words in the 32-bit product; the three arrays are pointers.
struct VokResult {
  std::uint32_t kind;
  std::uint32_t sequence;
  std::uint32_t second_word;
  std::uint32_t count;
  void* extra;
  // Text kinds: `count` zero-ended strings (char**). Word-id kinds: `count`
  // 16-bit lengths (std::uint16_t*).
  void* entries;
  // Word-id kinds: `count` arrays of 16-bit word ids.
  std::uint16_t** word_ids;
};

// Recognizer flags of VOKInitializeExP.
inline constexpr std::uint32_t kEnginePenRecognizer = 0x100000;

// A pen point as the engine takes it: y in the low 16 bits, x in the high.
using EnginePoint = std::uint32_t;

using VOKSetCurrentUserPFn = std::uint32_t(WRENDLE_STDCALL*)(const char* user_name);
using VOKInitializeExPFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t flags, std::uint32_t reserved);
using VOKDestroyPFn = std::uint32_t(WRENDLE_STDCALL*)();
using VOKStringToWordIDPFn = std::uint32_t(WRENDLE_STDCALL*)(const char* text, std::uint16_t* word_id);
// Writes the word's zero-ended text; the caller's buffer holds 256 bytes.
using VOKWordIDToStringPFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t word_id, char* buffer);
using VOKSetParamPFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t id, std::uint32_t value);
using VOKGetParamPFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t id, std::uint32_t* value);
using VOKSetNotificationPFn = std::uint32_t(WRENDLE_STDCALL*)(std::uintptr_t window);
using VOKPRRecognizePFn = std::uint32_t(WRENDLE_STDCALL*)();
using VOKDeleteResultPFn = std::uint32_t(WRENDLE_STDCALL*)(VokResult* result);
using VOKPRProcessStrokePFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t point_count,
                                                              const EnginePoint* points);

}  // namespace wrendle::abi
