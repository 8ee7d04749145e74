// The reader of an utterance-set file: the 208-byte header, the utterance
// table (its entries are file offsets; the top bit marks an utterance the
// measurement skips, -1 a missing one), the two text blocks and the
// utterance records {unused u32, length u32, data, then two texts as a u32
// byte count and the bytes}.
//
// The file is opened read-only. A file of an older version is upgraded once:
// a whole upgraded copy (current header with the file's own counts, every
// record's length in bytes) is written beside it and replaces it; when that
// cannot be done the file stays as it was and is read in its old form.
// Counts, offsets, lengths and text sizes are checked against the file and
// the caller's buffers before anything is read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "engine/api/line_index.h"
#include "engine/api/utterance_set_header.h"
#include "engine/api/vok_status.h"

namespace vok::api {

class CUtteranceSetFile {
 public:
  // Text buffers of the measurement: 199 bytes and a zero.
  static constexpr std::size_t kTextBytes = 200;
  static constexpr std::size_t kFeatureRecordBytes = 96;

  CUtteranceSetFile() = default;
  ~CUtteranceSetFile();
  CUtteranceSetFile(const CUtteranceSetFile&) = delete;
  CUtteranceSetFile& operator=(const CUtteranceSetFile&) = delete;

  // kVokOk; kVokFileMissing when the file cannot be opened, its version is
  // unknown, or its header, table or text blocks do not fit in it.
  VokStatus Open(const std::string& path);
  void Close();
  void Rewind() { current_ = -1; }

  // Reads utterance `index`: its frame count, its data into `samples`
  // (16-bit little-endian words; `sample_count` of them) and, for each text
  // buffer given (kTextBytes bytes), its text with a zero after it.
  // kVokBadArgument for an index outside the first count or a missing entry;
  // kVokFileMissing for a record that does not fit in the file, data larger
  // than `samples` or a text longer than 199 bytes.
  VokStatus ReadUtterance(std::int32_t index, std::uint32_t* frames, std::span<std::int16_t> samples,
                          std::size_t* sample_count, char* first_text, char* second_text);
  // The utterance after the current one.
  VokStatus NextUtterance(std::uint32_t* frames, std::span<std::int16_t> samples, std::size_t* sample_count,
                          char* first_text, char* second_text);
  bool IsUsed(std::int32_t index) const;

  const UtteranceSetHeader& header() const { return header_; }
  std::int32_t current() const { return current_; }
  std::uint32_t length_unit() const { return length_unit_; }
  const CLineIndex& first_lines() const { return first_lines_; }
  const CLineIndex& second_lines() const { return second_lines_; }

 private:
  VokStatus Load();
  bool Upgrade(const std::string& path);
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size);
  bool ReadBlock(std::int64_t offset, std::int32_t size, CLineIndex* index);
  std::uint32_t FrameBytes() const;

  std::FILE* file_ = nullptr;
  std::uint64_t file_size_ = 0;
  UtteranceSetHeader header_;
  std::vector<std::uint32_t> table_;
  CLineIndex first_lines_;
  CLineIndex second_lines_;
  std::int32_t current_ = -1;
  std::uint32_t length_unit_ = 1;
};

// What a set holds, for the writer.
struct UtteranceSetEntry {
  std::vector<std::int16_t> samples;
  std::string first_text;
  std::string second_text;  // the reference of the measurement
  bool skipped = false;
  bool missing = false;
};

struct UtteranceSetContents {
  UtteranceSetHeader header;  // text, dialect, flag and second count are taken
  std::vector<UtteranceSetEntry> utterances;
  // One line per utterance (its second text) when empty.
  std::string first_block;
  std::string second_block;  // none when empty
};

// The file image in `version`'s layout. The older versions count lengths in
// 330-byte units, so their utterances are padded with silence to whole
// 165-sample frames.
std::vector<std::uint8_t> WriteUtteranceSet(const UtteranceSetContents& contents, std::uint32_t version);

}  // namespace vok::api
