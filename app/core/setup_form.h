// The rules of the setup dialog, apart from its windows: which controls it
// shows for a language and mode, how its scroll bars map onto the settings,
// when OK is allowed and which range OK stores.
#pragma once

#include "app/core/settings.h"

namespace wrendle::app {

struct RangeBox {
  int control;
  int bit;
};
inline constexpr RangeBox kRangeBoxes[] = {{1034, 0x1},  {1035, 0x2},  {1036, 0x4}, {1051, 0x8},
                                           {1052, 0x10}, {1087, 0x20}, {1131, 0x40}};
// The range always carries this bit when the setup dialog stores it.
inline constexpr int kRangeMarker = 0x8000;
inline constexpr int kWidthItems = 20;

// Whether range box `control` is shown for the recognizer language and
// recognizer mode (`Cursive`).
bool RangeBoxShown(int control, int recognizer_language, int cursive);

// The range bits of the boxes shown.
int ShownRangeBits(int recognizer_language, int cursive);

struct OptionBoxes {
  bool use_ime = true;       // 1110
  bool unicode = false;      // 1129, in 1110's place when shown
  bool append_space = true;  // 1093
};
OptionBoxes OptionBoxesShown(int system_language, int recognizer_language);

// OK is allowed while a shown range box is ticked; a ticked box that is
// hidden does not count.
bool OkAllowed(int ticked_bits, int shown_bits);

// The range OK stores: the marker, the ticked shown boxes, and the bits of
// hidden boxes as they were.
int RangeAfterOk(int old_range, int ticked_bits, int shown_bits);

// The width combo's selection for a width, clamped to items "1" to "20".
int WidthSelection(int width);

// A scroll bar of the dialog: its range and its mapping onto a setting.
struct ScrollSetting {
  int minimum;
  int maximum;
  int offset;  // setting = sign x position + offset
  int sign;
  int PositionOf(int value) const;
  int ValueAt(int position) const { return sign * position + offset; }
};
inline constexpr ScrollSetting kDelayScroll{-200, -30, 0, -1};      // 1039, Delay
inline constexpr ScrollSetting kSensitiveScroll{-200, -30, 0, -1};  // 1040, Sensitive
inline constexpr ScrollSetting kCharPitchScroll{-100, -1, 100, 1};  // 1041, CharPitch

// The scroll requests of a horizontal scroll bar, with the system's codes.
enum class ScrollRequest {
  kLineLeft = 0,
  kLineRight = 1,
  kPageLeft = 2,
  kPageRight = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kLeft = 6,
  kRight = 7,
  kEnd = 8
};
inline constexpr int kScrollLine = 1;
inline constexpr int kScrollPage = 10;

// The new position after a request; other requests keep the position.
int Scroll(const ScrollSetting& bar, int position, ScrollRequest request, int thumb);

}  // namespace wrendle::app
