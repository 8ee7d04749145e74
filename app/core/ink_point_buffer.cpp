#include "app/core/ink_point_buffer.h"

#include <cstring>

namespace wrendle::app {

bool CInkPointBuffer::Add(std::int32_t x, std::int32_t y) {
  if (count_ + 2 > kUsableValues) return false;
  values_[count_] = x;
  values_[count_ + 1] = y;
  count_ += 2;
  return true;
}

bool CInkPointBuffer::Set(std::size_t index, std::int32_t x, std::int32_t y) {
  if (index + 2 > kUsableValues || index % 2 != 0) return false;
  values_[index] = x;
  values_[index + 1] = y;
  return true;
}

bool CInkPointBuffer::BeginStroke() {
  stroke_points_ = 0;
  header_ = count_;
  if (!Add(0, 0)) {
    header_ = kValues;
    return false;
  }
  return true;
}

bool CInkPointBuffer::AddPoint(std::int32_t x, std::int32_t y) {
  if (header_ == kValues || !Add(x, y)) return false;
  ++stroke_points_;
  return true;
}

std::int32_t CInkPointBuffer::EndStroke() {
  if (header_ == kValues) return 0;
  const std::int32_t taken = stroke_points_;
  if (taken == 0) {
    count_ = header_;
  } else {
    Set(header_, taken, 0);
  }
  header_ = kValues;
  stroke_points_ = 0;
  return taken;
}

std::span<const StrokeEntry> CInkPointBuffer::TerminatedList() {
  values_[count_] = 0;
  values_[count_ + 1] = 0;
  static_assert(sizeof(StrokeEntry) == 2 * sizeof(std::int32_t));
  return {reinterpret_cast<const StrokeEntry*>(values_.data()), count_ / 2 + 1};
}

std::size_t CopyStrokes(CInkPointBuffer& buffer, std::span<const StrokeEntry> list) {
  buffer.Clear();
  const auto view = StrokeListView::Parse(list);
  if (!view) return 0;
  std::size_t copied = 0;
  for (const StrokeView& stroke : view->strokes()) {
    // Whole strokes only: header and points must fit.
    if (buffer.count() + 2 * (stroke.points.size() + 1) > CInkPointBuffer::kUsableValues) break;
    buffer.BeginStroke();
    for (const StrokeEntry& p : stroke.points) buffer.AddPoint(p.x, p.y);
    buffer.EndStroke();
    ++copied;
  }
  return copied;
}

}  // namespace wrendle::app
