#include "kernel/feature_file.h"

#include "kernel/byte_io.h"

namespace kernel {

std::uint16_t RecordCode(std::span<const std::uint8_t> record) {
  if (record.size() < 2) return 0;
  return static_cast<std::uint16_t>(record[record.size() - 2] | record[record.size() - 1] << 8);
}

std::variant<FeatureFile, LoadError> ParseFeatureFile(std::span<const std::uint8_t> bytes,
                                                      CodePage code_page) {
  auto header = ParseDbsHeader(bytes, code_page, SectionType::kFeatures);
  if (auto* error = std::get_if<LoadError>(&header)) return *error;
  FeatureFile file;
  file.header = std::get<DbsHeader>(header);
  const std::int32_t n = file.header.record_width;
  const std::int32_t count = file.header.record_count;
  if (n < 1 || static_cast<std::size_t>(n) + 2 > kPageBytes || count < 0) return LoadError::kMismatch;
  std::int32_t previous = 0;
  for (const std::int32_t bound : file.header.parameters) {
    if (bound < previous || bound > n) return LoadError::kMismatch;
    previous = bound;
  }
  ByteReader reader(bytes);
  reader.Skip(kDbsHeaderSize);
  const std::size_t record_size = static_cast<std::size_t>(n) + 2;
  if (reader.remaining() < static_cast<std::size_t>(n) * 2 ||
      (reader.remaining() - static_cast<std::size_t>(n) * 2) / record_size <
          static_cast<std::size_t>(count)) {
    return LoadError::kShortRead;
  }
  file.divisors.resize(static_cast<std::size_t>(n));
  for (std::uint16_t& divisor : file.divisors) {
    reader.ReadU16(divisor);
    if (divisor == 0) return LoadError::kMismatch;
  }
  file.records = PagedRecords(record_size);
  for (std::int32_t k = 0; k < count; ++k) file.records.Append(reader.Take(record_size));
  return file;
}

std::vector<std::uint8_t> SerializeFeatureRecord(std::span<const std::uint8_t> features, std::uint16_t code) {
  ByteWriter writer;
  writer.Bytes(features);
  writer.U16(code);
  return writer.Release();
}

std::vector<std::uint8_t> SerializeFeatureFile(CodePage code_page, const std::array<std::int32_t, 5>& bounds,
                                               std::span<const std::uint16_t> divisors,
                                               const PagedRecords& records) {
  ByteWriter writer;
  const DbsHeader header =
      DbsHeader::Make(code_page, SectionType::kFeatures, static_cast<std::int32_t>(records.size()),
                      static_cast<std::int32_t>(divisors.size()), bounds);
  writer.Bytes(SerializeDbsHeader(header));
  for (const std::uint16_t divisor : divisors) writer.U16(divisor);
  for (std::size_t k = 0; k < records.size(); ++k) writer.Bytes(records.Record(k));
  return writer.Release();
}

std::vector<std::uint8_t> WriteFeatureFile(CodePage code_page, const std::array<std::int32_t, 5>& bounds,
                                           std::span<const std::uint16_t> divisors,
                                           std::span<const FeatureRecord> records) {
  PagedRecords paged(divisors.size() + 2);
  for (const FeatureRecord& record : records) {
    std::vector<std::uint8_t> features = record.features;
    features.resize(divisors.size(), 0);
    paged.Append(SerializeFeatureRecord(features, record.code));
  }
  return SerializeFeatureFile(code_page, bounds, divisors, paged);
}

}  // namespace kernel
