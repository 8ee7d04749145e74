// StrokeList pieces that the recognition driver cuts and joins.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/stroke_list.h"

namespace wrendle::app {

using StrokeBuffer = std::vector<StrokeEntry>;

// The cells of a line by SegmentEnds: cell k holds strokes ends[k-1] to
// ends[k] - 1 (ends[-1] = 0) as a terminated list. Ends that go back or past
// the last stroke are clamped, so a bad end gives an empty cell, not a read
// outside the line.
std::vector<StrokeBuffer> SliceLine(const StrokeListView& line, std::span<const std::int32_t> ends);

// The earlier list without its end entry followed by the later one with it.
StrokeBuffer JoinStrokeLists(std::span<const StrokeEntry> earlier, std::span<const StrokeEntry> later);

// The box of every point of a line, as the tap pass-through measures it: the
// minima start at 32767 and the maxima at 0.
struct TapBox {
  std::int32_t left, top, right, bottom;
};
TapBox TapBounds(const StrokeListView& line);

// The first point of a line when the line fits in a 32 x 32 pixel box.
std::optional<StrokeEntry> TapPoint(const StrokeListView& line);

}  // namespace wrendle::app
