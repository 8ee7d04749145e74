#include "app/core/frame_layout.h"

#include <algorithm>

namespace wrendle::app {
namespace {

constexpr std::int32_t kIconicPosition = -32000;

Rect Cell(std::int32_t left, std::int32_t top, const FrameMetrics& metrics) {
  return {left, top, left + metrics.button, top + metrics.row};
}

Rect ButtonIn(const Rect& cell) { return CenterRect(cell, kFrameButtonSize, kFrameButtonSize); }

// Cell (column, row) of a block of button cells whose top-left corner is `origin`.
Rect BlockButton(Point origin, int column, int row, const FrameMetrics& metrics) {
  return ButtonIn(Cell(origin.x + column * metrics.button, origin.y + row * metrics.row, metrics));
}

std::array<Rect, kCharButtonCount> CharButtons(Point origin, const FrameMetrics& metrics) {
  std::array<Rect, kCharButtonCount> buttons;
  for (int k = 0; k < kCharButtonCount; ++k) buttons[k] = BlockButton(origin, k % 6, k / 6, metrics);
  return buttons;
}

}  // namespace

FrameMetrics FrameMetrics::FromFont(std::int32_t char_height, std::int32_t average_width) {
  return {std::max(20, char_height + 6), std::max(20, 2 * average_width + 8), average_width / 2};
}

FrameControls LayoutFrameControls(const FrameMetrics& metrics, Size frame_extra) {
  const std::int32_t r = metrics.row, b = metrics.button, m = metrics.margin;
  FrameControls controls;
  controls.min_track = {8 * b + 3 * m + frame_extra.cx, 10 * r + 2 * m + frame_extra.cy};
  controls.max_track = {controls.min_track.cx + 6 * b, controls.min_track.cy + 6 * r};
  controls.candidates = {m, m, m + 6 * b, m + r};
  controls.phrases = {m, m + r, m + 6 * b, m + 2 * r};
  controls.ink_box = {m, 2 * r + 2 * m, m + 8 * b, 8 * r};
  const Point cells[8] = {{7 * b + 2 * m, m},         {6 * b + 2 * m, m},         {6 * b + 2 * m, m + r},
                          {7 * b + 2 * m, m + r},     {7 * b + 2 * m, m + 9 * r}, {7 * b + 2 * m, m + 8 * r},
                          {6 * b + 2 * m, m + 9 * r}, {6 * b + 2 * m, m + 8 * r}};
  for (int i = 0; i < 8; ++i) controls.bitmap_buttons[i] = ButtonIn(Cell(cells[i].x, cells[i].y, metrics));
  controls.char_buttons = CharButtons({m, m + 8 * r}, metrics);
  return controls;
}

FrameResize ResizeFrameControls(const FrameMetrics& metrics, std::int32_t cx, std::int32_t cy) {
  const std::int32_t r = metrics.row, b = metrics.button, m = metrics.margin;
  FrameResize resize;
  const std::int32_t list_width = std::max(0, cx - 3 * m - 2 * b);
  resize.lists = {list_width, r};
  // A narrow frame still shows one column.
  resize.candidate_columns = std::max(1, std::min(10, list_width / r));
  resize.phrase_columns = std::max(1, list_width / r);
  const Point upper = {cx - m - 2 * b, m};
  const Point lower = {m, cy - 2 * r - m};
  const Point keys = {m + 6 * b + m, lower.y};
  // kFrameBitmapButtons order: setup, window mode, previous, next, Space,
  // Enter, Delete, Backspace.
  resize.bitmap_buttons = {BlockButton(upper, 1, 0, metrics), BlockButton(upper, 0, 0, metrics),
                           BlockButton(upper, 0, 1, metrics), BlockButton(upper, 1, 1, metrics),
                           BlockButton(keys, 1, 1, metrics),  BlockButton(keys, 1, 0, metrics),
                           BlockButton(keys, 0, 1, metrics),  BlockButton(keys, 0, 0, metrics)};
  resize.char_buttons = CharButtons(lower, metrics);
  resize.ink_box = {std::max(0, cx - 2 * m), std::max(0, cy - 4 * r - 4 * m)};
  return resize;
}

Rect ClampSavedRect(const Rect& saved, Size min_track, Size max_track) {
  const std::int32_t width = std::clamp(saved.width(), min_track.cx, std::max(min_track.cx, max_track.cx));
  const std::int32_t height = std::clamp(saved.height(), min_track.cy, std::max(min_track.cy, max_track.cy));
  return {saved.left, saved.top, saved.left + width, saved.top + height};
}

bool IsIconicPosition(std::int32_t x, std::int32_t y) { return x <= kIconicPosition || y <= kIconicPosition; }

PadMetrics PadMetrics::FromFont(std::int32_t char_height, std::int32_t average_width) {
  return {2 * average_width + 8, char_height + 6};
}

Size PadWindowSize(const PadMetrics& metrics, int n, std::int32_t strip_width, Size edge, Size border) {
  std::int32_t width = 3 * PadMetrics::kButton + 2 * (edge.cx + border.cx + 4 * PadMetrics::kMargin);
  if (n > 0) width += strip_width + PadMetrics::kMargin - 2;
  const std::int32_t height = metrics.cell_height + 2 * (border.cy + edge.cy) + 6;
  return {width, height};
}

PadControls LayoutPadControls(const PadMetrics& metrics, Size client) {
  PadControls controls;
  std::int32_t x = PadMetrics::kMargin + 13;
  const std::int32_t button_top = (client.cy - PadMetrics::kButton) / 2;
  for (Rect& button : controls.buttons) {
    button = {x, button_top, x + PadMetrics::kButton, button_top + PadMetrics::kButton};
    x += PadMetrics::kButton;
  }
  x += PadMetrics::kMargin;
  const std::int32_t strip_top = (client.cy - metrics.cell_height) / 2;
  controls.strip = {x, strip_top, x + metrics.cell_width * 10 + 58, strip_top + metrics.cell_height};
  return controls;
}

Point PlaceWaitButton(Point pen, int pen_width, Size full_screen) {
  constexpr std::int32_t kInside = 25;
  const std::int32_t x = std::clamp(pen.x + pen_width, 0, std::max(0, full_screen.cx - kInside));
  const std::int32_t y = std::clamp(pen.y - 12, 0, std::max(0, full_screen.cy - kInside));
  return {x, y};
}

}  // namespace wrendle::app
