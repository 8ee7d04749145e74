#include "app/core/tab_layout.h"

#include <algorithm>

namespace wrendle::app {

GridSize GridOf(int width, int height, int cell_width, int cell_height) {
  GridSize grid;
  if (cell_width > 0) grid.columns = std::max(1, (width - 2) / cell_width);
  if (cell_height > 0) grid.rows = std::max(1, (height - 2) / cell_height);
  return grid;
}

std::vector<PaneTab> LayoutTabs(const std::vector<std::string>& labels, const std::vector<int>& item_counts,
                                int capacity) {
  capacity = std::max(1, capacity);
  std::vector<PaneTab> tabs;
  for (std::size_t group = 0; group < labels.size(); ++group) {
    const int count = group < item_counts.size() ? item_counts[group] : 0;
    int offset = 0;
    do {
      tabs.push_back({labels[group], static_cast<int>(group), offset});
      offset += capacity;
    } while (offset < count);
  }
  return tabs;
}

int VisibleCells(int item_count, int offset, GridSize grid) {
  return std::clamp(item_count - offset, 0, grid.capacity());
}

int CellAt(int x, int y, GridSize grid, int cell_width, int cell_height, int visible) {
  if (x < 0 || y < 0 || cell_width <= 0 || cell_height <= 0) return -1;
  const int column = x / cell_width;
  const int row = y / cell_height;
  if (column >= grid.columns || row >= grid.rows) return -1;
  const int cell = row * grid.columns + column;
  return cell < visible ? cell : -1;
}

}  // namespace wrendle::app
