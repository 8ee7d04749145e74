// Segment-list files: the header, then record count x L entries to the end of
// the file, entry k belonging to record k / L: a count byte n and n segments
// of 5 bytes {x0, y0, x1, y1, link}.
#pragma once

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "kernel/dbs_header.h"
#include "kernel/segment_record.h"

namespace kernel {

using SegmentList = std::vector<SegmentRecord>;

// Most lists a record may carry (L). The kernel writes one per record; the
// limit keeps a learning step, which fills all L lists of the new record,
// small whatever the file's record count.
inline constexpr std::int32_t kMaxListsPerRecord = 16;

struct SegmentListFile {
  DbsHeader header;
  std::int32_t lists_per_record = 1;  // L
  std::int32_t tolerance = 5;
  std::int32_t further_value = 1;
  std::vector<SegmentList> lists;  // record count x L
};

// Each dimension is checked on its own before anything is allocated:
// kMismatch for L outside 1..kMaxListsPerRecord or a negative count;
// kShortRead when the file cannot hold count x L entries of at least their
// count byte, or when the entries end early.
std::variant<SegmentListFile, LoadError> ParseSegmentListFile(std::span<const std::uint8_t> bytes,
                                                              CodePage code_page);

// One entry as it lies in the file; lists of more than 255 segments are cut.
std::vector<std::uint8_t> SerializeSegmentList(std::span<const SegmentRecord> segments);

// `lists` holds L entries per record.
std::vector<std::uint8_t> WriteSegmentListFile(CodePage code_page, std::int32_t lists_per_record,
                                               std::int32_t tolerance, std::int32_t further_value,
                                               std::span<const SegmentList> lists);

}  // namespace kernel
