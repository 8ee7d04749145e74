// One capture in the shared block: its start, the pen going down, moving and
// lifting, and its end. Each function runs with the mutex held.
#pragma once

#include <cstdint>
#include <optional>

#include "hook/core/shared_block.h"
#include "hook/core/stroke_buffer.h"

namespace jebhook {

StrokeBuffer& WriteBuffer(SharedBlock& block);
const StrokeBuffer& ReadBuffer(const SharedBlock& block);

// Empties the write buffer, switches the capture on and counts it. Returns the
// new counter value.
std::int32_t BeginCapture(SharedBlock& block);

// Pen down at `point` while the capture is on: it becomes the last point and
// the first point of a new stroke. False when the capture is off.
bool PenDown(SharedBlock& block, Point32 point);

// A line of ink to draw, in screen pixels.
struct Segment {
  Point32 from;
  Point32 to;
  bool operator==(const Segment&) const = default;
};

// A move while the capture is on: the point becomes the last point; with the
// pen down, a point that differs from the previous one is appended and the
// segment to it returned.
std::optional<Segment> PenMove(SharedBlock& block, Point32 point);

struct PenUpResult {
  std::optional<Segment> segment;
  bool stroke_closed = false;
};
// A button-up while the capture is on and the pen is down: appends a point
// that differs from the last one, closes the stroke and lifts the pen.
PenUpResult PenUp(SharedBlock& block, Point32 point);

struct CaptureEnd {
  std::int32_t counter;
  // The ink to erase: the points' bounding rectangle grown by
  // 2 x pen width + 1 on every side; nullopt without points.
  std::optional<Rect> ink;
};
// Ends a capture that is on: finishes the write buffer's list, lifts the pen
// and clears the capture flag. Nullopt when the capture is off, so a second
// end reports nothing.
std::optional<CaptureEnd> EndCapture(SharedBlock& block, std::int32_t pen_width);

}  // namespace jebhook
