// The pen-ink file: no header; records of a uint16 character code (caller's
// form), a uint16 entry count n and n entries {int16 x, int16 y}: the cell's
// StrokeList with its stroke headers and its end entry.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/stroke_list.h"

namespace kernel {

struct InkRecord {
  std::uint16_t code = 0;
  // As stored: 16-bit values read back unsigned.
  std::vector<wrendle::StrokeEntry> entries;
};

// Coordinates are stored in 16 bits; lists of more than 65535 entries are cut.
std::vector<std::uint8_t> SerializeInkRecord(std::uint16_t code,
                                             std::span<const wrendle::StrokeEntry> entries);

// The records that lie completely in the file, in order; a record cut short
// by the end of the file ends the list.
std::vector<InkRecord> ParsePenInkFile(std::span<const std::uint8_t> bytes);

}  // namespace kernel
