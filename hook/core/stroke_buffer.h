// Writing and reading the StrokeList in one of the shared stroke buffers.
// The buffer lies in memory that other processes write too, so every count
// and index read from it is clamped before use.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "common/stroke_list.h"
#include "hook/core/shared_block.h"

namespace jebhook {

struct Rect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  bool operator==(const Rect&) const = default;
};

class StrokeWriter {
 public:
  explicit StrokeWriter(StrokeBuffer& buffer) : buffer_(buffer) {}

  // No entries, no open stroke.
  void Clear();
  // Appends a header {0, 0} and remembers it as the open stroke's.
  void BeginStroke();
  // Appends a point; beyond the last entry it is dropped.
  void Append(std::int32_t x, std::int32_t y);
  // Writes the number of points since the open header into it and an end
  // entry after the points, which is not counted (the next stroke's header
  // overwrites it). No effect without an open stroke.
  void CloseStroke();
  // Closes an open stroke and appends the counted end entry; a full buffer is
  // repaired so that the list still ends inside it.
  void Finish();

 private:
  StrokeBuffer& buffer_;
};

// Entries used, clamped to the buffer.
int UsedEntries(const StrokeBuffer& buffer);
std::span<const wrendle::StrokeEntry> UsedSpan(const StrokeBuffer& buffer);

// The smallest rectangle holding every point of the list's strokes (headers
// and end entries are not points); right and bottom are inclusive. Nullopt
// without points.
std::optional<Rect> PointBounds(const StrokeBuffer& buffer);

}  // namespace jebhook
