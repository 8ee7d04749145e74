// The geometry of the main frame's controls and of the writing pad, from the
// text metrics of their device contexts, in client pixels.
#pragma once

#include <array>
#include <cstdint>

#include "app/core/geometry.h"

namespace wrendle::app {

struct Size {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  bool operator==(const Size&) const = default;
};

// Row height R, button width B and margin m of the main frame.
struct FrameMetrics {
  std::int32_t row = 0;
  std::int32_t button = 0;
  std::int32_t margin = 0;
  static FrameMetrics FromFont(std::int32_t char_height, std::int32_t average_width);
};

// The eight bitmap buttons of the main frame: command, normal and pressed bitmap.
struct BitmapButtonSpec {
  int command;
  int normal_bitmap;
  int pressed_bitmap;
};
inline constexpr int kCommandSetup = 40;
inline constexpr int kCommandWindowMode = 41;
inline constexpr int kCommandPhrasePrevious = 33;
inline constexpr int kCommandPhraseNext = 34;
inline constexpr int kCommandBackspace = 23;
inline constexpr int kCommandDelete = 24;
inline constexpr int kCommandEnter = 25;
inline constexpr int kCommandSpace = 26;
inline constexpr std::array<BitmapButtonSpec, 8> kFrameBitmapButtons = {{
    {kCommandSetup, 204, 205},
    {kCommandWindowMode, 124, 123},
    {kCommandPhrasePrevious, 120, 119},
    {kCommandPhraseNext, 122, 121},
    {kCommandSpace, 118, 117},
    {kCommandEnter, 116, 115},
    {kCommandDelete, 114, 113},
    {kCommandBackspace, 112, 111},
}};
inline constexpr int kCharButtonCount = 12;
inline constexpr int kFirstCharButton = 10000;
inline constexpr int kLastCharButton = 10020;
inline constexpr std::int32_t kFrameButtonSize = 20;

// The main frame's controls as they are first created.
struct FrameControls {
  // Tracking sizes of the window (client plus `frame_extra`).
  Size min_track;
  Size max_track;
  Rect candidates;
  Rect phrases;
  Rect ink_box;
  // In the order of kFrameBitmapButtons.
  std::array<Rect, 8> bitmap_buttons;
  std::array<Rect, kCharButtonCount> char_buttons;
};
// `frame_extra`: what the frame's borders and caption add to a client size.
FrameControls LayoutFrameControls(const FrameMetrics& metrics, Size frame_extra);

// The controls after a size change of the client area to (cx, cy).
struct FrameResize {
  Size lists;  // both lists, their positions unchanged
  int candidate_columns = 1;
  int phrase_columns = 1;
  std::array<Rect, 8> bitmap_buttons;  // in the order of kFrameBitmapButtons
  std::array<Rect, kCharButtonCount> char_buttons;
  Size ink_box;  // its position unchanged
};
FrameResize ResizeFrameControls(const FrameMetrics& metrics, std::int32_t cx, std::int32_t cy);

// The saved window rectangle (Px, Py, Sx, Sy) with its size kept between
// the tracking sizes.
Rect ClampSavedRect(const Rect& saved, Size min_track, Size max_track);

// A window position of the system's minimised windows (-32000): never saved.
bool IsIconicPosition(std::int32_t x, std::int32_t y);

// The writing pad: margin 3, strip cells 2w + 8 wide and h + 6 high,
// buttons 20 x 20.
struct PadMetrics {
  static constexpr std::int32_t kMargin = 3;
  static constexpr std::int32_t kButton = 20;
  std::int32_t cell_width = 0;
  std::int32_t cell_height = 0;
  static PadMetrics FromFont(std::int32_t char_height, std::int32_t average_width);
};
// The pad's window size for a strip `strip_width` wide holding n cells;
// `edge` and `border` the system's edge and border sizes.
Size PadWindowSize(const PadMetrics& metrics, int n, std::int32_t strip_width, Size edge, Size border);
// The three buttons (menu, pen/mouse, send) and the strip in a client area.
struct PadControls {
  std::array<Rect, 3> buttons;
  Rect strip;
};
PadControls LayoutPadControls(const PadMetrics& metrics, Size client);

// Where the wait button goes beside the last pen point: Width pixels right
// and 12 up, kept inside the full-screen client area less 25.
Point PlaceWaitButton(Point pen, int pen_width, Size full_screen);

}  // namespace wrendle::app
