// The program's shared drawing, tracking, foreground and ink-pasting
// routines of its own controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "common/stroke_list.h"

namespace wrendle::app {

// An outer line in the window-frame colour when `outer_line`, then |depth|
// (at least 1) rings, raised for depth > 0 (highlight top-left, shadow
// bottom-right) and sunken otherwise; the inside in the button-face colour.
void DrawFrame3D(HDC dc, const RECT& rect, int depth, bool outer_line);
// DrawFrame3D over the client area of `window`.
void DrawClientFrame(HDC dc, HWND window, int depth);
// The button face with a two-pixel sunken edge.
void DrawSunkenCell(HDC dc, const RECT& rect);
// The text on one line, centred both ways in the rectangle.
void DrawCharCentered(HDC dc, const char* text, const RECT& rect);

// Pressure ink: the state of one stroke drawn with DrawPressureLine.
struct PressureInk {
  POINT last{};
  std::int32_t last_pressure = 0;
};
// Draws from ink.last to (x, y) with dots whose size follows the pressure
// from ink.last_pressure to `pressure` (pen `size` and dot factor `scale`,
// the hook library's dots); a zero-length move only records the pressure.
// The dots take the DC's brush.
void DrawPressureLine(HDC dc, PressureInk& ink, int x, int y, std::int32_t pressure, int size, int scale);

// Draws the strokes one after the other, waiting `delay_ms` before each; a
// malformed list draws nothing.
void ReplayStrokes(HDC dc, std::span<const StrokeEntry> list, DWORD delay_ms);

// The result of TrackDragRect.
enum class DragResult { kDropped = 0, kClicked = 1, kTimedOut = 2 };
// Drags a focus rectangle of `rect` (screen pixels) with the mouse from
// `start` (screen) while `window` holds the capture: kClicked when the
// button is released before the mouse moved more than about 8 pixels,
// kDropped with `rect` at its final place when released after, kTimedOut
// when the time-out passes or the capture is lost.
DragResult TrackDragRect(HWND window, RECT& rect, POINT start, DWORD timeout_ms);

// Removes a queued left-button press whose screen point lies in `window`
// (the click that closed a popup menu over its own button).
void SwallowClickOn(HWND window);

// Keeps the foreground window, and brings it back when another one came in
// front.
void RememberForeground();
void RestoreForeground();

// Puts `bitmap` on the clipboard with `owner` as its owner and, when a
// target is given, brings it to the front and types Ctrl+V. The clipboard
// owns the bitmap once it took it; otherwise it is deleted here. False when
// the bitmap could not be placed.
bool PasteBitmap(HWND target, HWND owner, HBITMAP bitmap);
// A monochrome bitmap of the strokes' box, white, with the strokes in black
// at `pen_width`; null for a list without points.
HBITMAP InkToBitmap(HWND window, std::span<const StrokeEntry> list, int pen_width);
// InkToBitmap, then PasteBitmap; false when there was nothing to paste.
bool PasteInk(HWND target, HWND owner, std::span<const StrokeEntry> list, int pen_width);

}  // namespace wrendle::app
