// The result strip's geometry: cells in a row, each its text's width plus
// (a - d) pixels wide and b pixels apart, at most c of them; hit tests and
// what a dropped cell becomes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/geometry.h"
#include "app/core/user_map.h"

namespace wrendle::app {

struct StripMetrics {
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
  std::int32_t d = 0;
};

// The text a strip cell shows for `code`: a user code's text, "tb", "cr",
// "sp" or "VK" for key codes, "sp" for a space, "SP" for the full-width
// space (bytes A1 40), else the character's bytes.
std::string CellLabel(std::uint16_t code, const CUserMap& user_map);

class StripLayout {
 public:
  // `widths`: the text width of each existing cell; `capacity`: the strip's
  // cell capacity; `client`: the strip's client area.
  StripLayout(const StripMetrics& metrics, std::vector<std::int32_t> widths, int capacity,
              const Rect& client);

  int cell_count() const { return static_cast<int>(widths_.size()); }
  // Empty for i at or past the capacity; a cell past the last measures as
  // an empty text (the free slot when i is the cell count).
  Rect CellRect(int i) const;
  // The first cell whose right edge lies beyond x; the cell count when x is
  // negative, there is no cell, or x lies beyond every cell.
  int HitCell(std::int32_t x) const;
  // Where cells may be dropped: the client area when the strip is full, else
  // from the client origin to the free slot's left edge.
  Rect CellArea() const;

 private:
  StripMetrics metrics_;
  std::vector<std::int32_t> widths_;
  int capacity_;
  Rect client_;
};

// What dropping cell i with its rectangle at `dropped` (client coordinates)
// does: outside the cell area remove it; else j := HitCell(dropped.left + a):
// j = i merges it with the cell before, j = i + 1 splits it, any other j
// moves it to j.
struct DropAction {
  enum Kind { kRemove, kMerge, kSplit, kMove } kind;
  int target = 0;  // j for kMove
  bool operator==(const DropAction&) const = default;
};
DropAction DecideDrop(const StripLayout& layout, const StripMetrics& metrics, int i, const Rect& dropped);

}  // namespace wrendle::app
