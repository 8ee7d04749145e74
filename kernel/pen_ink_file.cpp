#include "kernel/pen_ink_file.h"

#include <algorithm>

#include "kernel/byte_io.h"

namespace kernel {

std::vector<std::uint8_t> SerializeInkRecord(std::uint16_t code,
                                             std::span<const wrendle::StrokeEntry> entries) {
  ByteWriter writer;
  const std::size_t n = std::min<std::size_t>(entries.size(), 0xFFFF);
  writer.U16(code);
  writer.U16(static_cast<std::uint16_t>(n));
  for (std::size_t i = 0; i < n; ++i) {
    writer.U16(static_cast<std::uint16_t>(entries[i].x));
    writer.U16(static_cast<std::uint16_t>(entries[i].y));
  }
  return writer.Release();
}

std::vector<InkRecord> ParsePenInkFile(std::span<const std::uint8_t> bytes) {
  std::vector<InkRecord> records;
  ByteReader reader(bytes);
  for (;;) {
    InkRecord record;
    std::uint16_t n = 0;
    if (!reader.ReadU16(record.code) || !reader.ReadU16(n) ||
        reader.remaining() < static_cast<std::size_t>(n) * 4) {
      return records;
    }
    record.entries.resize(n);
    for (wrendle::StrokeEntry& entry : record.entries) {
      std::uint16_t x = 0;
      std::uint16_t y = 0;
      reader.ReadU16(x);
      reader.ReadU16(y);
      entry = {x, y};
    }
    records.push_back(std::move(record));
  }
}

}  // namespace kernel
