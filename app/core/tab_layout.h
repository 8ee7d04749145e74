// The grid of a tabbed pane: cells in columns and rows under a tab control,
// one tab per provider group, and continuation tabs for a group whose items
// do not fit the grid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wrendle::app {

struct GridSize {
  int columns = 1;
  int rows = 1;
  int capacity() const { return columns * rows; }
};

// Columns (width - 2) / cell width and rows (height - 2) / cell height, at
// least one of each, so a small pane still shows one cell per tab.
GridSize GridOf(int width, int height, int cell_width, int cell_height);

struct PaneTab {
  std::string label;
  int group = 0;
  int offset = 0;  // first item of the group shown on this tab
};

// One tab per group in order; a group of more items than `capacity` (taken
// as at least 1) gets further tabs of the same label at offsets capacity,
// 2 x capacity, ... until the rest fits.
std::vector<PaneTab> LayoutTabs(const std::vector<std::string>& labels, const std::vector<int>& item_counts,
                                int capacity);

// Tab item data: the group in the low 16 bits, the offset in the high 16.
constexpr std::uint32_t PackTabData(int group, int offset) {
  return (static_cast<std::uint32_t>(group) & 0xFFFF) | (static_cast<std::uint32_t>(offset) & 0xFFFF) << 16;
}
constexpr int TabDataGroup(std::uint32_t data) { return static_cast<int>(data & 0xFFFF); }
constexpr int TabDataOffset(std::uint32_t data) { return static_cast<int>(data >> 16); }

// The cells shown for a tab: min(count - offset, capacity), never negative.
int VisibleCells(int item_count, int offset, GridSize grid);

// The cell under (x, y) relative to the grid's top-left corner, among
// `visible` cells of `cell_width` x `cell_height`; -1 when none.
int CellAt(int x, int y, GridSize grid, int cell_width, int cell_height, int visible);

}  // namespace wrendle::app
