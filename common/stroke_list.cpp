#include "common/stroke_list.h"

namespace wrendle {

std::optional<StrokeListView> StrokeListView::Parse(std::span<const StrokeEntry> entries) {
  StrokeListView view;
  std::size_t i = 0;
  while (i < entries.size()) {
    const std::int32_t count = entries[i].x;
    if (count == 0) {
      view.entry_count_ = i + 1;
      return view;
    }
    if (count < 0 || static_cast<std::size_t>(count) >= entries.size() - i) return std::nullopt;
    view.strokes_.push_back({entries.subspan(i + 1, static_cast<std::size_t>(count))});
    view.point_count_ += static_cast<std::size_t>(count);
    i += static_cast<std::size_t>(count) + 1;
  }
  return std::nullopt;
}

std::optional<StrokeListView> StrokeListView::ParseUnbounded(const StrokeEntry* list) {
  if (list == nullptr) return std::nullopt;
  // Find the end entry by walking the headers, so that no entry past the end
  // entry is ever read, then parse that exact span.
  std::size_t i = 0;
  while (i < kMaxStrokeListEntries) {
    const std::int32_t count = list[i].x;
    if (count == 0) return Parse(std::span<const StrokeEntry>(list, i + 1));
    if (count < 0 || static_cast<std::size_t>(count) >= kMaxStrokeListEntries - i) return std::nullopt;
    i += static_cast<std::size_t>(count) + 1;
  }
  return std::nullopt;
}

StrokeListBuilder& StrokeListBuilder::AddStroke(std::span<const StrokeEntry> points) {
  entries_.push_back({static_cast<std::int32_t>(points.size()), 0});
  entries_.insert(entries_.end(), points.begin(), points.end());
  return *this;
}

std::vector<StrokeEntry> StrokeListBuilder::Build() const {
  std::vector<StrokeEntry> list = entries_;
  list.push_back({0, 0});
  return list;
}

}  // namespace wrendle
