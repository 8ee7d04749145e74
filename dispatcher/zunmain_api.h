// The exports of "Zunmain.dll" as its callers declare them. The module
// exports them under their decorated names ("_ZUNRecognition@12"); the
// pen-input program links them through the import library of target Zunmain.
#pragma once

#include <cstdint>

#include "common/stroke_list.h"
#include "platform/calling_convention.h"

extern "C" {

// Character segmentation.
int WRENDLE_STDCALL ZUNInitSegment(int screen_width, int screen_height);
// Writes one SegmentEnds entry per cell (at most max_cells); returns the
// number of cells, -1 on failure.
int WRENDLE_STDCALL ZUNSegment(const wrendle::StrokeEntry* strokes, std::int32_t* segment_ends,
                               int max_cells);
int WRENDLE_STDCALL ZUNCutSetting(int cut_setting);
int WRENDLE_STDCALL ZUNGetCutSetting();
int WRENDLE_STDCALL ZUNCutSettingPoint(int n);
int WRENDLE_STDCALL ZUNGetCutSettingPoint();

// Recognition. 1 when a recognizer of that language and mode is current.
int WRENDLE_STDCALL ZUNInitRecognition(int language, int mode);
void WRENDLE_STDCALL ZUNFreeRecognition();
// candidates: room for 11 codes. Returns 1..10 candidates, 11..28 a
// GestureCode (candidates untouched), 0 or less for none. A non-zero
// learn_code is the character (bytes swapped) to learn these strokes as.
int WRENDLE_STDCALL ZUNRecognition(const wrendle::StrokeEntry* strokes, std::uint16_t* candidates,
                                   int learn_code);
int WRENDLE_STDCALL ZUNSetRange(int range_flags);
// Learned features, learned segment lists, pen ink, and 0.
int WRENDLE_STDCALL ZUNAttachLearn(const char* features, const char* segments, const char* ink,
                                   const char* fourth);
void WRENDLE_STDCALL ZUNSetPrevCharacter(int code);
// Returns the previous use-gesture flag.
int WRENDLE_STDCALL ZUNSetRecognizeGesture(int use_gesture);
// 1 when query is 1 and the gesture library was loaded; else 0.
int WRENDLE_STDCALL ZUNIsGesture(int query);

}  // extern "C"
