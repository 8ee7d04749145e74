#include "hook/core/capture.h"

namespace jebhook {
namespace {

int BufferIndex(std::int32_t index) { return index >= 0 && index < kStrokeBufferCount ? index : 0; }

bool SamePoint(Point32 a, Point32 b) { return a.x == b.x && a.y == b.y; }

}  // namespace

StrokeBuffer& WriteBuffer(SharedBlock& block) { return block.buffers[BufferIndex(block.write_buffer)]; }

const StrokeBuffer& ReadBuffer(const SharedBlock& block) {
  return block.buffers[BufferIndex(block.read_buffer)];
}

std::int32_t BeginCapture(SharedBlock& block) {
  StrokeWriter(WriteBuffer(block)).Clear();
  block.capture_on = 1;
  block.pen_down = 0;
  block.capture_counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(block.capture_counter) + 1);
  return block.capture_counter;
}

bool PenDown(SharedBlock& block, Point32 point) {
  if (!block.capture_on) return false;
  StrokeWriter writer(WriteBuffer(block));
  // A press without the release of the previous stroke closes that stroke.
  if (block.pen_down) writer.CloseStroke();
  block.pen_down = 1;
  block.last_point = point;
  writer.BeginStroke();
  writer.Append(point.x, point.y);
  return true;
}

std::optional<Segment> PenMove(SharedBlock& block, Point32 point) {
  if (!block.capture_on) return std::nullopt;
  const Point32 last = block.last_point;
  block.last_point = point;
  if (!block.pen_down || SamePoint(last, point)) return std::nullopt;
  StrokeWriter(WriteBuffer(block)).Append(point.x, point.y);
  return Segment{last, point};
}

PenUpResult PenUp(SharedBlock& block, Point32 point) {
  PenUpResult result;
  if (!block.capture_on || !block.pen_down) return result;
  StrokeWriter writer(WriteBuffer(block));
  const Point32 last = block.last_point;
  if (!SamePoint(last, point)) {
    writer.Append(point.x, point.y);
    result.segment = Segment{last, point};
  }
  writer.CloseStroke();
  block.pen_down = 0;
  result.stroke_closed = true;
  return result;
}

std::optional<CaptureEnd> EndCapture(SharedBlock& block, std::int32_t pen_width) {
  if (!block.capture_on) return std::nullopt;
  StrokeBuffer& buffer = WriteBuffer(block);
  StrokeWriter(buffer).Finish();
  block.pen_down = 0;
  block.capture_on = 0;
  CaptureEnd end{block.capture_counter, PointBounds(buffer)};
  if (end.ink) {
    const std::int32_t grow = 2 * (pen_width > 0 ? pen_width : 0) + 1;
    end.ink->left -= grow;
    end.ink->top -= grow;
    end.ink->right += grow;
    end.ink->bottom += grow;
  }
  return end;
}

}  // namespace jebhook
