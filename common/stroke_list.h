// StrokeList: the pen data that crosses every module boundary. A flat array of
// 8-byte entries {int32 x, int32 y} in screen pixels; each stroke is a header
// entry {point count, 0} followed by its points; an entry with count 0 ends
// the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace wrendle {

struct StrokeEntry {
  std::int32_t x;
  std::int32_t y;
};
static_assert(sizeof(StrokeEntry) == 8, "StrokeList entries are 8 bytes");

// Most entries any writer produces (the hook library's shared buffer), end
// entry included; readers never look further.
inline constexpr std::size_t kMaxStrokeListEntries = 2048;
// Most points the recognizers take from one list: a cell of 1024 points or
// more is refused.
inline constexpr std::size_t kMaxRecognizerPoints = 1023;

// One stroke of a checked list.
struct StrokeView {
  std::span<const StrokeEntry> points;
};

// A StrokeList checked against the buffer it lies in: every header count is
// positive and its points lie inside the buffer before the end entry.
class StrokeListView {
 public:
  // Nullopt for a list that runs past `entries`, has a negative count or has
  // no end entry inside it. An empty list (end entry first) is valid.
  static std::optional<StrokeListView> Parse(std::span<const StrokeEntry> entries);

  // For pointers that cross a module boundary without a length: reads at most
  // kMaxStrokeListEntries entries and stops at the end entry, never after it.
  static std::optional<StrokeListView> ParseUnbounded(const StrokeEntry* list);

  const std::vector<StrokeView>& strokes() const { return strokes_; }
  std::size_t stroke_count() const { return strokes_.size(); }
  std::size_t point_count() const { return point_count_; }
  // Entries up to and including the end entry.
  std::size_t entry_count() const { return entry_count_; }

 private:
  std::vector<StrokeView> strokes_;
  std::size_t point_count_ = 0;
  std::size_t entry_count_ = 0;
};

// Builds StrokeLists: for tests, tools and writers of strokes.
class StrokeListBuilder {
 public:
  StrokeListBuilder& AddStroke(std::span<const StrokeEntry> points);
  StrokeListBuilder& AddStroke(std::initializer_list<StrokeEntry> points) {
    return AddStroke(std::span<const StrokeEntry>(points.begin(), points.size()));
  }
  // The entries with the end entry appended.
  std::vector<StrokeEntry> Build() const;

 private:
  std::vector<StrokeEntry> entries_;
};

}  // namespace wrendle
