// The candidate list's grid: rows x columns cells over the client area, the
// codes it shows (at most 256 bytes of 16-bit codes), the hot cell, and what
// choosing a candidate does to the cells.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/core/geometry.h"

namespace wrendle::app {

class RecognitionDriver;

// Style flags of a candidate list.
inline constexpr std::uint32_t kListChooseOnPress = 0x1;
inline constexpr std::uint32_t kListNewCell = 0x4000;
inline constexpr std::uint32_t kListKeepParent = 0x8000;

// The code that choosing `code` enters: a single-byte character (first byte
// without bit 7) that is not a user code becomes its first byte alone.
std::uint16_t ChosenCode(std::uint16_t code);

class CandidateGrid {
 public:
  static constexpr std::size_t kMaxCodeBytes = 256;

  CandidateGrid(int rows, int columns, std::uint32_t style);

  // Keeps at most 256 bytes, an even count; the hot cell is cleared.
  void SetCodes(std::span<const std::uint8_t> bytes);
  // Negative counts are taken as 0: a grid without rows or columns shows and
  // hits nothing.
  void SetGrid(int rows, int columns);
  void SetClientSize(std::int32_t width, std::int32_t height);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  std::uint32_t style() const { return style_; }
  std::int32_t cell_width() const { return cell_width_; }
  std::int32_t cell_height() const { return cell_height_; }
  // Codes shown: min(rows x columns, codes held).
  int visible_count() const;
  std::optional<std::uint16_t> CodeAt(int i) const;

  // -1 outside the client area, in the 2-pixel gap at the right or bottom of
  // a cell, or on a cell without a code.
  int HitTest(Point p) const;
  // Empty for i outside the grid.
  Rect CellRect(int i) const;

  int hot() const { return hot_; }
  void set_hot(int i) { hot_ = i; }
  // Enters the hot cell's code: a new cell after the selection with style
  // 0x4000, else the selected cell's choice; then the selection returns to
  // the end and the hot cell is cleared. A hot index without a code only
  // clears it. Returns whether a code was entered.
  bool Choose(RecognitionDriver& driver);

 private:
  void Measure();

  int rows_;
  int columns_;
  std::uint32_t style_;
  std::int32_t client_width_ = 0;
  std::int32_t client_height_ = 0;
  std::int32_t cell_width_ = 0;
  std::int32_t cell_height_ = 0;
  std::vector<std::uint16_t> codes_;
  int hot_ = -1;
};

}  // namespace wrendle::app
