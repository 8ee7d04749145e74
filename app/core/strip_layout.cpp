#include "app/core/strip_layout.h"

#include <utility>

#include "app/core/char_codes.h"

namespace wrendle::app {

std::string CellLabel(std::uint16_t code, const CUserMap& user_map) {
  if (IsKeyCode(code)) {
    switch (code) {
      case kKeyTab:
        return "tb";
      case kKeyEnter:
        return "cr";
      case kKeySpace:
        return "sp";
      default:
        return "VK";
    }
  }
  const std::uint16_t user_code = SwapBytes(code);
  if (IsUserCode(user_code)) {
    std::string text;
    user_map.GetText(user_code, &text);
    return text;
  }
  if (code == 0x20) return "sp";
  if (code == 0x40A1) return "SP";
  return CodeBytes(code);
}

StripLayout::StripLayout(const StripMetrics& metrics, std::vector<std::int32_t> widths, int capacity,
                         const Rect& client)
    : metrics_(metrics), widths_(std::move(widths)), capacity_(capacity), client_(client) {}

Rect StripLayout::CellRect(int i) const {
  if (i < 0 || i >= capacity_) return {};
  std::int32_t left = i * (metrics_.a + metrics_.b - metrics_.d);
  for (int k = 0; k < i && k < cell_count(); ++k) left += widths_[static_cast<size_t>(k)];
  const std::int32_t width = i < cell_count() ? widths_[static_cast<size_t>(i)] : 0;
  return {left, client_.top, left + (metrics_.a - metrics_.d) + width, client_.bottom};
}

int StripLayout::HitCell(std::int32_t x) const {
  if (x < 0) return cell_count();
  for (int i = 0; i < cell_count(); ++i) {
    if (CellRect(i).right > x) return i;
  }
  return cell_count();
}

Rect StripLayout::CellArea() const {
  if (cell_count() >= capacity_) return client_;
  const Rect free_slot = CellRect(cell_count());
  return {client_.left, client_.top, free_slot.left, free_slot.bottom};
}

DropAction DecideDrop(const StripLayout& layout, const StripMetrics& metrics, int i, const Rect& dropped) {
  if (!dropped.Intersects(layout.CellArea())) return {DropAction::kRemove, 0};
  const int j = layout.HitCell(dropped.left + metrics.a);
  if (j == i) return {DropAction::kMerge, 0};
  if (j == i + 1) return {DropAction::kSplit, 0};
  return {DropAction::kMove, j};
}

}  // namespace wrendle::app
