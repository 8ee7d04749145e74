#include "hook/core/stroke_buffer.h"

#include <algorithm>

namespace jebhook {
namespace {

constexpr int kLast = kStrokeBufferEntries - 1;

int OpenHeader(const StrokeBuffer& buffer) {
  const int used = UsedEntries(buffer);
  const int header = buffer.open_header;
  return header >= 0 && header < used ? header : -1;
}

// Walks the headers from entry 0 and gives (header index, point count) of each
// stroke until an end entry, a count that is not positive, or the buffer end.
template <typename Visit>
void ForEachStroke(const StrokeBuffer& buffer, int limit, Visit visit) {
  int index = 0;
  while (index < limit) {
    const int count = buffer.entries[index].x;
    if (count <= 0) return;
    if (!visit(index, count)) return;
    if (count >= limit - index) return;
    index += count + 1;
  }
}

}  // namespace

int UsedEntries(const StrokeBuffer& buffer) { return std::clamp(buffer.used, 0, kStrokeBufferEntries); }

std::span<const wrendle::StrokeEntry> UsedSpan(const StrokeBuffer& buffer) {
  return {buffer.entries, static_cast<std::size_t>(UsedEntries(buffer))};
}

void StrokeWriter::Clear() {
  buffer_.used = 0;
  buffer_.open_header = -1;
}

void StrokeWriter::BeginStroke() {
  const int used = UsedEntries(buffer_);
  if (used > kLast) return;
  buffer_.entries[used] = {0, 0};
  buffer_.open_header = used;
  buffer_.used = used + 1;
}

void StrokeWriter::Append(std::int32_t x, std::int32_t y) {
  const int used = UsedEntries(buffer_);
  if (used > kLast) return;
  buffer_.entries[used] = {x, y};
  buffer_.used = used + 1;
}

void StrokeWriter::CloseStroke() {
  const int header = OpenHeader(buffer_);
  if (header < 0) return;
  const int used = UsedEntries(buffer_);
  buffer_.entries[header] = {used - header - 1, 0};
  // With every entry used the end entry lands in the spare entry.
  (used <= kLast ? buffer_.entries[used] : buffer_.spare) = {0, 0};
  buffer_.open_header = -1;
}

void StrokeWriter::Finish() {
  CloseStroke();
  const int used = UsedEntries(buffer_);
  if (used <= kLast) {
    buffer_.entries[used] = {0, 0};
    buffer_.used = used + 1;
    return;
  }
  // Full: the stroke that reaches the last entry now ends one entry earlier,
  // and the last entry becomes the end entry.
  ForEachStroke(buffer_, kStrokeBufferEntries, [this](int header, int count) {
    if (header + count < kLast) return true;
    buffer_.entries[header] = {std::max(0, kLast - 1 - header), 0};
    return false;
  });
  buffer_.entries[kLast] = {0, 0};
  buffer_.used = kStrokeBufferEntries;
}

std::optional<Rect> PointBounds(const StrokeBuffer& buffer) {
  std::optional<Rect> bounds;
  const int used = UsedEntries(buffer);
  ForEachStroke(buffer, used, [&](int header, int count) {
    const int last = std::min(header + count, used - 1);
    for (int i = header + 1; i <= last; ++i) {
      const auto& p = buffer.entries[i];
      if (!bounds) {
        bounds = Rect{p.x, p.y, p.x, p.y};
      } else {
        bounds->left = std::min(bounds->left, p.x);
        bounds->top = std::min(bounds->top, p.y);
        bounds->right = std::max(bounds->right, p.x);
        bounds->bottom = std::max(bounds->bottom, p.y);
      }
    }
    return true;
  });
  return bounds;
}

}  // namespace jebhook
