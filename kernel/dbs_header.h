// The 256-byte header that opens every dictionary file except the pen-ink
// file. Little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <variant>

#include "kernel/code_page.h"
#include "kernel/load_error.h"

namespace kernel {

inline constexpr std::size_t kDbsHeaderSize = 256;
inline constexpr std::uint32_t kDbsVersion = 0x02000000;

enum class SectionType : std::uint32_t { kFeatures = 1, kClusters = 2, kSegmentLists = 3 };
// The type field of files the kernel writes.
inline constexpr std::uint32_t kWrittenTypeFlag = 0x10;

struct DbsHeader {
  std::array<char, 4> tag{};
  std::uint32_t type = 0;
  std::uint32_t version = kDbsVersion;
  std::int32_t record_count = 0;
  // Feature count N (features), coarse vector length M (clusters).
  std::int32_t record_width = 0;
  // Features: the five bounds of the feature ranges. Clusters: base record
  // count, first-stage capacity, clusters merged. Segment lists: lists per
  // record, segment-count tolerance, a further value.
  std::array<std::int32_t, 5> parameters{};

  SectionType section_type() const { return static_cast<SectionType>(type & 0xF); }

  static DbsHeader Make(CodePage code_page, SectionType type, std::int32_t record_count, std::int32_t width,
                        const std::array<std::int32_t, 5>& parameters);
};

// Checks the magic and the tag of `code_page` (kMismatch, also for fewer than
// 256 bytes) and the section type (kWrongType).
std::variant<DbsHeader, LoadError> ParseDbsHeader(std::span<const std::uint8_t> bytes, CodePage code_page,
                                                  SectionType expected);

std::array<std::uint8_t, kDbsHeaderSize> SerializeDbsHeader(const DbsHeader& header);

}  // namespace kernel
