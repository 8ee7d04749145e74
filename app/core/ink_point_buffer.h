// CInkPointBuffer: the ink box's StrokeList, 8192 bytes of int32 values
// (at most 1023 entries besides the end entry) and the count of values used.
// Strokes are written with BeginStroke / AddPoint / EndStroke, so that a
// header only ever counts points that were taken and a stroke that took no
// point leaves nothing behind.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "common/stroke_list.h"

namespace wrendle::app {

class CInkPointBuffer {
 public:
  static constexpr std::size_t kBytes = 8192;
  static constexpr std::size_t kValues = kBytes / sizeof(std::int32_t);
  // The last entry stays free for the end entry.
  static constexpr std::size_t kUsableValues = kValues - 2;

  // Appends an entry while fewer than kUsableValues values are used; false
  // when it was dropped.
  bool Add(std::int32_t x, std::int32_t y);
  // Writes an entry at value index `index` (below kUsableValues, even).
  bool Set(std::size_t index, std::int32_t x, std::int32_t y);
  // Forgets every entry (the values stay until overwritten).
  void Clear() { count_ = 0; }
  std::size_t count() const { return count_; }

  // Reserves the header of a new stroke; false when the buffer is full.
  bool BeginStroke();
  // Takes a point of the stroke begun last; false when it was not taken.
  bool AddPoint(std::int32_t x, std::int32_t y);
  // Writes the header {points taken, 0}, or takes the header back when the
  // stroke took no point. Returns the points taken.
  std::int32_t EndStroke();

  // The entries followed by the end entry {0, 0}, for recognition.
  std::span<const StrokeEntry> TerminatedList();

 private:
  std::array<std::int32_t, kValues> values_{};
  std::size_t count_ = 0;
  std::size_t header_ = kValues;  // value index of the open stroke's header
  std::int32_t stroke_points_ = 0;
};

// Replaces the buffer's entries with a copy of the whole strokes of `list`
// that fit; a malformed list leaves the buffer empty. Returns the strokes
// copied.
std::size_t CopyStrokes(CInkPointBuffer& buffer, std::span<const StrokeEntry> list);

}  // namespace wrendle::app
