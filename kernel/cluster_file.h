// Cluster files: the header, M uint16 divisors of the coarse vector, one
// centroid of M bytes per cluster, then one membership mask per cluster with
// one bit per base record, most significant bit first.
#pragma once

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "kernel/dbs_header.h"

namespace kernel {

// Most clusters whose masks are merged.
inline constexpr std::int32_t kMaxMergedClusters = 400;

struct ClusterFile {
  DbsHeader header;
  std::vector<std::uint16_t> divisors;
  std::vector<std::uint8_t> centroids;  // cluster k at k * M
  std::vector<std::uint8_t> masks;      // cluster k at k * mask_bytes
  std::size_t mask_bytes = 0;
  std::int32_t base_records = 0;          // B, bits per mask
  std::int32_t first_stage_capacity = 0;  // C
  std::int32_t merged = 0;                // K, at most kMaxMergedClusters

  std::size_t cluster_count() const { return static_cast<std::size_t>(header.record_count); }
  std::size_t width() const { return divisors.size(); }
  std::span<const std::uint8_t> Centroid(std::size_t k) const {
    return std::span<const std::uint8_t>(centroids).subspan(k * width(), width());
  }
  std::span<const std::uint8_t> Mask(std::size_t k) const {
    return std::span<const std::uint8_t>(masks).subspan(k * mask_bytes, mask_bytes);
  }
};

// Each dimension is checked on its own before anything is allocated, so that
// a count of 0 cannot hide a huge mask: kShortRead when the body is shorter
// than the header declares or a single mask of B bits would not fit in the
// file; kMismatch for a width outside 1..65535, a negative count or record
// count, a capacity or merge count below 1, or a zero divisor. K above
// kMaxMergedClusters is cut.
std::variant<ClusterFile, LoadError> ParseClusterFile(std::span<const std::uint8_t> bytes,
                                                      CodePage code_page);

struct ClusterDefinition {
  std::vector<std::uint8_t> centroid;
  std::vector<std::int32_t> members;  // base record indices
};

std::vector<std::uint8_t> WriteClusterFile(CodePage code_page, std::span<const std::uint16_t> divisors,
                                           std::int32_t base_records, std::int32_t first_stage_capacity,
                                           std::int32_t merged, std::span<const ClusterDefinition> clusters);

}  // namespace kernel
