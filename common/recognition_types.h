// Values shared by the recognizers, the dispatcher and the pen-input program.
#pragma once

#include <cstdint>

namespace wrendle {

// RecognizerLanguageId
enum LanguageId : int {
  kLanguageJapanese = 1000,
  kLanguageTraditionalChinese = 2000,  // Big5
  kLanguageKorean = 3000,
  kLanguageSimplifiedChinese = 4000,  // GB2312
};

// RecognizerMode
enum RecognizerModeId : int {
  kModeKernel = 0,
  kModeEngine = 1,
  kModeCombined = 2,
};

// RangeFlags bits.
enum RangeFlag : int {
  kRangeChinese = 0x0001,
  kRangeLetters = 0x0002,
  kRangeDigits = 0x0004,
  kRangeBig5Extra = 0x0008,  // cleared before a kernel sees the flags
  kRangeBig5Rare = 0x0010,
  kRangeEngineRetry = 0x0040,
  kRangeNoGestures = 0x2000,
  kRangeCommonCharacters = 0x4000,
  kRangeUserCodes = 0x8000,
};

// GestureCode: results 11 to 28 of a recognition call.
enum GestureCode : int {
  kGestureFirst = 11,
  kGestureEnter = 11,
  kGestureSpace = 12,
  kGestureDelete = 13,
  kGestureBackspace = 14,
  kGestureLeft = 16,
  kGestureRight = 17,
  kGestureUp = 18,
  kGestureDown = 19,
  kGesturePageUp = 20,
  kGesturePageDown = 21,
  kGestureHome = 22,
  kGestureEnd = 23,
  kGestureInsert = 24,
  kGestureTab = 25,
  kGestureEscape = 26,
  kGestureLast = 28,
};

// Candidate codes per recognition call; arrays hold one more for the zero end.
inline constexpr int kMaxCandidates = 10;

}  // namespace wrendle
