// Feature dictionary files: the header, N uint16 divisors, then records of N
// feature bytes and a character code stored lead byte first.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "kernel/dbs_header.h"
#include "kernel/paged_records.h"

namespace kernel {

struct FeatureFile {
  DbsHeader header;
  std::vector<std::uint16_t> divisors;
  // N + 2 bytes each.
  PagedRecords records;

  std::size_t feature_count() const { return divisors.size(); }
  std::array<std::int32_t, 5> bounds() const { return header.parameters; }
};

// The code of a record in the caller's form (lead byte low).
std::uint16_t RecordCode(std::span<const std::uint8_t> record);

// Checks counts against the file size before anything is allocated: a body
// shorter than the header declares is kShortRead; a feature count outside
// 1..65518, bounds that do not rise within 0..N, a zero divisor or a
// negative count are kMismatch.
std::variant<FeatureFile, LoadError> ParseFeatureFile(std::span<const std::uint8_t> bytes,
                                                      CodePage code_page);

struct FeatureRecord {
  std::vector<std::uint8_t> features;
  std::uint16_t code = 0;  // caller's form
};

std::vector<std::uint8_t> SerializeFeatureRecord(std::span<const std::uint8_t> features, std::uint16_t code);

// The whole file for `records` of N + 2 bytes each.
std::vector<std::uint8_t> SerializeFeatureFile(CodePage code_page, const std::array<std::int32_t, 5>& bounds,
                                               std::span<const std::uint16_t> divisors,
                                               const PagedRecords& records);

std::vector<std::uint8_t> WriteFeatureFile(CodePage code_page, const std::array<std::int32_t, 5>& bounds,
                                           std::span<const std::uint16_t> divisors,
                                           std::span<const FeatureRecord> records);

}  // namespace kernel
