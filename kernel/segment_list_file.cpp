#include "kernel/segment_list_file.h"

#include <algorithm>

#include "kernel/byte_io.h"

namespace kernel {

std::variant<SegmentListFile, LoadError> ParseSegmentListFile(std::span<const std::uint8_t> bytes,
                                                              CodePage code_page) {
  auto header = ParseDbsHeader(bytes, code_page, SectionType::kSegmentLists);
  if (auto* error = std::get_if<LoadError>(&header)) return *error;
  SegmentListFile file;
  file.header = std::get<DbsHeader>(header);
  file.lists_per_record = file.header.parameters[0];
  file.tolerance = file.header.parameters[1];
  file.further_value = file.header.parameters[2];
  if (file.lists_per_record < 1 || file.lists_per_record > kMaxListsPerRecord ||
      file.header.record_count < 0) {
    return LoadError::kMismatch;
  }
  ByteReader reader(bytes);
  reader.Skip(kDbsHeaderSize);
  const std::uint64_t entries = static_cast<std::uint64_t>(file.header.record_count) *
                                static_cast<std::uint64_t>(file.lists_per_record);
  // Every entry takes at least its count byte.
  if (entries > reader.remaining()) return LoadError::kShortRead;
  file.lists.reserve(static_cast<std::size_t>(entries));
  for (std::uint64_t k = 0; k < entries; ++k) {
    std::uint8_t n = 0;
    if (!reader.ReadU8(n)) return LoadError::kShortRead;
    const std::span<const std::uint8_t> body = reader.Take(static_cast<std::size_t>(n) * 5);
    if (body.size() != static_cast<std::size_t>(n) * 5) return LoadError::kShortRead;
    SegmentList list(n);
    for (std::size_t i = 0; i < n; ++i) {
      list[i] = {body[i * 5], body[i * 5 + 1], body[i * 5 + 2], body[i * 5 + 3], body[i * 5 + 4]};
    }
    file.lists.push_back(std::move(list));
  }
  return file;
}

std::vector<std::uint8_t> SerializeSegmentList(std::span<const SegmentRecord> segments) {
  ByteWriter writer;
  const std::size_t n = std::min<std::size_t>(segments.size(), 255);
  writer.U8(static_cast<std::uint8_t>(n));
  for (std::size_t i = 0; i < n; ++i) {
    const SegmentRecord& s = segments[i];
    for (const std::uint8_t value : {s.x0, s.y0, s.x1, s.y1, s.link}) writer.U8(value);
  }
  return writer.Release();
}

std::vector<std::uint8_t> WriteSegmentListFile(CodePage code_page, std::int32_t lists_per_record,
                                               std::int32_t tolerance, std::int32_t further_value,
                                               std::span<const SegmentList> lists) {
  ByteWriter writer;
  const std::int32_t records =
      lists_per_record > 0 ? static_cast<std::int32_t>(lists.size()) / lists_per_record : 0;
  const DbsHeader header = DbsHeader::Make(code_page, SectionType::kSegmentLists, records, 0,
                                           {lists_per_record, tolerance, further_value, 0, 0});
  writer.Bytes(SerializeDbsHeader(header));
  for (const SegmentList& list : lists) writer.Bytes(SerializeSegmentList(list));
  return writer.Release();
}

}  // namespace kernel
