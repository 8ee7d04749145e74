#include "kernel/cluster_file.h"

#include <algorithm>

#include "kernel/byte_io.h"

namespace kernel {

std::variant<ClusterFile, LoadError> ParseClusterFile(std::span<const std::uint8_t> bytes,
                                                      CodePage code_page) {
  auto header = ParseDbsHeader(bytes, code_page, SectionType::kClusters);
  if (auto* error = std::get_if<LoadError>(&header)) return *error;
  ClusterFile file;
  file.header = std::get<DbsHeader>(header);
  const std::int32_t m = file.header.record_width;
  const std::int32_t count = file.header.record_count;
  file.base_records = file.header.parameters[0];
  file.first_stage_capacity = file.header.parameters[1];
  file.merged = std::min(file.header.parameters[2], kMaxMergedClusters);
  if (m < 1 || m > 0xFFFF || count < 0 || file.base_records < 0 || file.first_stage_capacity < 1 ||
      file.merged < 1) {
    return LoadError::kMismatch;
  }
  file.mask_bytes = (static_cast<std::size_t>(file.base_records) + 7) / 8;
  ByteReader reader(bytes);
  reader.Skip(kDbsHeaderSize);
  const std::uint64_t body =
      static_cast<std::uint64_t>(m) * 2 +
      static_cast<std::uint64_t>(count) * (static_cast<std::uint64_t>(m) + file.mask_bytes);
  if (body > reader.remaining() || file.mask_bytes > reader.remaining()) return LoadError::kShortRead;
  file.divisors.resize(static_cast<std::size_t>(m));
  for (std::uint16_t& divisor : file.divisors) {
    reader.ReadU16(divisor);
    if (divisor == 0) return LoadError::kMismatch;
  }
  const std::span<const std::uint8_t> centroids = reader.Take(static_cast<std::size_t>(count) * m);
  file.centroids.assign(centroids.begin(), centroids.end());
  const std::span<const std::uint8_t> masks = reader.Take(static_cast<std::size_t>(count) * file.mask_bytes);
  file.masks.assign(masks.begin(), masks.end());
  return file;
}

std::vector<std::uint8_t> WriteClusterFile(CodePage code_page, std::span<const std::uint16_t> divisors,
                                           std::int32_t base_records, std::int32_t first_stage_capacity,
                                           std::int32_t merged, std::span<const ClusterDefinition> clusters) {
  ByteWriter writer;
  const DbsHeader header = DbsHeader::Make(
      code_page, SectionType::kClusters, static_cast<std::int32_t>(clusters.size()),
      static_cast<std::int32_t>(divisors.size()), {base_records, first_stage_capacity, merged, 0, 0});
  writer.Bytes(SerializeDbsHeader(header));
  for (const std::uint16_t divisor : divisors) writer.U16(divisor);
  for (const ClusterDefinition& cluster : clusters) {
    std::vector<std::uint8_t> centroid = cluster.centroid;
    centroid.resize(divisors.size(), 0);
    writer.Bytes(centroid);
  }
  const std::size_t mask_bytes = (static_cast<std::size_t>(std::max(base_records, 0)) + 7) / 8;
  for (const ClusterDefinition& cluster : clusters) {
    std::vector<std::uint8_t> mask(mask_bytes, 0);
    for (const std::int32_t member : cluster.members) {
      if (member < 0 || member >= base_records) continue;
      mask[static_cast<std::size_t>(member) / 8] |= static_cast<std::uint8_t>(0x80 >> (member % 8));
    }
    writer.Bytes(mask);
  }
  return writer.Release();
}

}  // namespace kernel
