#include "kernel/dbs_header.h"

#include <algorithm>

#include "kernel/byte_io.h"

namespace kernel {
namespace {

constexpr std::array<char, 4> kMagic = {'C', 'H', 'C', 'R'};

}  // namespace

DbsHeader DbsHeader::Make(CodePage code_page, SectionType type, std::int32_t record_count, std::int32_t width,
                          const std::array<std::int32_t, 5>& parameters) {
  DbsHeader header;
  header.tag = DictionaryTag(code_page);
  header.type = static_cast<std::uint32_t>(type) | kWrittenTypeFlag;
  header.record_count = record_count;
  header.record_width = width;
  header.parameters = parameters;
  return header;
}

std::variant<DbsHeader, LoadError> ParseDbsHeader(std::span<const std::uint8_t> bytes, CodePage code_page,
                                                  SectionType expected) {
  if (bytes.size() < kDbsHeaderSize) return LoadError::kMismatch;
  DbsHeader header;
  if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return LoadError::kMismatch;
  std::copy_n(bytes.begin() + 4, 4, header.tag.begin());
  if (header.tag != DictionaryTag(code_page)) return LoadError::kMismatch;
  ByteReader reader(bytes.first(kDbsHeaderSize));
  reader.Skip(8);
  reader.ReadU32(header.type);
  reader.ReadU32(header.version);
  reader.Skip(12);
  reader.ReadI32(header.record_count);
  reader.ReadI32(header.record_width);
  for (std::int32_t& parameter : header.parameters) reader.ReadI32(parameter);
  if (header.section_type() != expected) return LoadError::kWrongType;
  return header;
}

std::array<std::uint8_t, kDbsHeaderSize> SerializeDbsHeader(const DbsHeader& header) {
  ByteWriter writer;
  writer.Bytes(std::span(reinterpret_cast<const std::uint8_t*>(kMagic.data()), 4));
  writer.Bytes(std::span(reinterpret_cast<const std::uint8_t*>(header.tag.data()), 4));
  writer.U32(header.type);
  writer.U32(header.version);
  writer.U32(0);
  writer.Zeros(8);
  writer.I32(header.record_count);
  writer.I32(header.record_width);
  for (const std::int32_t parameter : header.parameters) writer.I32(parameter);
  std::array<std::uint8_t, kDbsHeaderSize> bytes{};
  std::copy(writer.bytes().begin(), writer.bytes().end(), bytes.begin());
  return bytes;
}

}  // namespace kernel
