#include "engine/api/utterance_set_file.h"

#include <cstring>
#include <limits>

#include "engine/core/byte_order.h"
#include "platform/file_access.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kMissingEntry = 0xFFFFFFFFu;
constexpr std::uint32_t kSkippedBit = 0x80000000u;
constexpr std::size_t kRecordHead = 8;  // unused word, length

std::uint64_t SizeOf(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(file);
  return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

CUtteranceSetFile::~CUtteranceSetFile() { Close(); }

void CUtteranceSetFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  table_.clear();
  first_lines_ = CLineIndex();
  second_lines_ = CLineIndex();
  current_ = -1;
}

bool CUtteranceSetFile::ReadAt(std::uint64_t offset, void* out, std::size_t size) {
  if (offset > file_size_ || size > file_size_ - offset) return false;
  return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(out, 1, size, file_) == size;
}

VokStatus CUtteranceSetFile::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return kVokFileMissing;
  file_size_ = SizeOf(file_);
  std::uint8_t bytes[kUtteranceSetHeaderBytes];
  const auto header =
      ReadAt(0, bytes, sizeof bytes) ? ReadAnyUtteranceSetHeader(bytes, &length_unit_) : std::nullopt;
  if (!header) {
    Close();
    return kVokFileMissing;
  }
  header_ = *header;
  if (length_unit_ != 1) {
    // Windows replaces no file that is open: the upgrade works on the closed
    // file, which is then opened again, upgraded or as it was.
    std::fclose(file_);
    const bool upgraded = Upgrade(path);
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return kVokFileMissing;
    file_size_ = SizeOf(file_);
    if (upgraded) length_unit_ = 1;
  }
  const VokStatus status = Load();
  if (status != kVokOk) Close();
  return status;
}

VokStatus CUtteranceSetFile::Load() {
  const std::uint64_t entries = std::uint64_t{header_.counts[2]} + 1;
  if (entries * 4 > file_size_) return kVokFileMissing;
  std::vector<std::uint8_t> table(static_cast<std::size_t>(entries) * 4);
  if (!ReadAt(header_.table_offset, table.data(), table.size())) return kVokFileMissing;
  table_.resize(static_cast<std::size_t>(entries));
  for (std::size_t i = 0; i < table_.size(); ++i) table_[i] = LoadLittleEndian32(table.data() + 4 * i);
  if (header_.first_text_size > 0) {
    if (!ReadBlock(header_.first_text_offset, header_.first_text_size, &first_lines_)) return kVokFileMissing;
    const auto kept = static_cast<std::uint32_t>(first_lines_.count());
    for (std::uint32_t& count : header_.counts) count = std::min(count, kept);
  }
  if (header_.second_text_size > 0 &&
      !ReadBlock(header_.second_text_offset, header_.second_text_size, &second_lines_))
    return kVokFileMissing;
  current_ = -1;
  return kVokOk;
}

bool CUtteranceSetFile::ReadBlock(std::int64_t offset, std::int32_t size, CLineIndex* index) {
  // Checked against the file before anything is allocated for it.
  if (offset < 0 || size < 0 || static_cast<std::uint64_t>(offset) > file_size_ ||
      static_cast<std::uint64_t>(size) > file_size_ - static_cast<std::uint64_t>(offset))
    return false;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(size));
  if (!ReadAt(static_cast<std::uint64_t>(offset), block.data(), block.size())) return false;
  index->Build(block);
  return true;
}

bool CUtteranceSetFile::Upgrade(const std::string& path) {
  auto image = platform::ReadWholeFile(path);
  if (!image) return false;
  // Every record's length in bytes; a record that the file cannot hold
  // leaves the upgrade undone (and the reader refuses it later).
  const std::uint64_t entries = std::uint64_t{header_.counts[2]} + 1;
  if (header_.table_offset > image->size() || entries * 4 > image->size() - header_.table_offset)
    return false;
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint32_t entry = LoadLittleEndian32(image->data() + header_.table_offset + 4 * i);
    if (entry == kMissingEntry) continue;
    const std::uint64_t at = (entry & ~kSkippedBit) + 4u;
    if (at + 4 > image->size()) return false;
    const std::uint64_t bytes = std::uint64_t{LoadLittleEndian32(image->data() + at)} * kOlderLengthUnit;
    if (bytes > std::numeric_limits<std::uint32_t>::max() || bytes > image->size() - at - 4) return false;
    StoreLittleEndian32(image->data() + at, static_cast<std::uint32_t>(bytes));
  }
  const auto header = EncodeUtteranceSetHeader(header_);
  std::memcpy(image->data(), header.data(), header.size());
  return platform::WriteWholeFile(path, *image);
}

std::uint32_t CUtteranceSetFile::FrameBytes() const {
  switch (header_.sample_rate) {
    case 16000:
      return 480;
    case 22050:
      return 640;
    default:
      return 330;
  }
}

bool CUtteranceSetFile::IsUsed(std::int32_t index) const {
  if (index < 0 || static_cast<std::uint32_t>(index) >= header_.counts[0] ||
      static_cast<std::size_t>(index) >= table_.size())
    return false;
  const std::uint32_t entry = table_[static_cast<std::size_t>(index)];
  return entry != kMissingEntry && (entry & kSkippedBit) == 0;
}

VokStatus CUtteranceSetFile::ReadUtterance(std::int32_t index, std::uint32_t* frames,
                                           std::span<std::int16_t> samples, std::size_t* sample_count,
                                           char* first_text, char* second_text) {
  if (file_ == nullptr || index < 0 || static_cast<std::uint32_t>(index) >= header_.counts[0] ||
      static_cast<std::size_t>(index) >= table_.size())
    return kVokBadArgument;
  const std::uint32_t entry = table_[static_cast<std::size_t>(index)];
  if (entry == kMissingEntry) return kVokBadArgument;
  current_ = index;
  std::uint64_t at = entry & ~kSkippedBit;
  std::uint8_t head[kRecordHead];
  if (!ReadAt(at, head, sizeof head)) return kVokFileMissing;
  const bool audio = header_.data_kind == kAudioDataKind;
  const std::uint64_t bytes = std::uint64_t{LoadLittleEndian32(head + 4)} * (audio ? length_unit_ : 1);
  at += kRecordHead;
  if (bytes > samples.size() * 2 || at > file_size_ || bytes > file_size_ - at) return kVokFileMissing;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(bytes));
  if (!ReadAt(at, data.data(), data.size())) return kVokFileMissing;
  at += bytes;
  const std::size_t count = data.size() / 2;
  for (std::size_t i = 0; i < count; ++i)
    samples[i] = static_cast<std::int16_t>(LoadLittleEndian16(&data[2 * i]));
  if (sample_count != nullptr) *sample_count = count;
  if (frames != nullptr)
    *frames = static_cast<std::uint32_t>(audio ? bytes / FrameBytes() : bytes / kFeatureRecordBytes);
  if (first_text == nullptr && second_text == nullptr) return kVokOk;
  for (char* text : {first_text, second_text}) {
    std::uint8_t size_word[4];
    if (!ReadAt(at, size_word, sizeof size_word)) return kVokFileMissing;
    const std::uint32_t size = LoadLittleEndian32(size_word);
    if (size >= kTextBytes) return kVokFileMissing;
    at += 4;
    if (text != nullptr) {
      if (!ReadAt(at, text, size)) return kVokFileMissing;
      text[size] = '\0';
    } else if (size > file_size_ - at) {
      return kVokFileMissing;
    }
    at += size;
  }
  return kVokOk;
}

VokStatus CUtteranceSetFile::NextUtterance(std::uint32_t* frames, std::span<std::int16_t> samples,
                                           std::size_t* sample_count, char* first_text, char* second_text) {
  return ReadUtterance(current_ + 1, frames, samples, sample_count, first_text, second_text);
}

std::vector<std::uint8_t> WriteUtteranceSet(const UtteranceSetContents& contents, std::uint32_t version) {
  const bool older = version != kUtteranceSetVersion;
  const std::size_t count = contents.utterances.size();
  std::string first_block = contents.first_block;
  if (first_block.empty()) {
    for (const UtteranceSetEntry& entry : contents.utterances) first_block += entry.second_text + "\n";
  }
  UtteranceSetHeader header = contents.header;
  header.data_kind = kAudioDataKind;
  header.counts[0] = static_cast<std::uint32_t>(count);
  header.counts[2] = count == 0 ? 0 : static_cast<std::uint32_t>(count - 1);
  const std::size_t entries = std::max<std::size_t>(count, 1);
  header.table_offset = static_cast<std::uint32_t>(kUtteranceSetHeaderBytes);
  header.first_text_offset = static_cast<std::uint32_t>(kUtteranceSetHeaderBytes + 4 * entries);
  header.first_text_size = static_cast<std::int32_t>(first_block.size());
  const std::size_t second_offset = header.first_text_offset + first_block.size();
  header.second_text_offset = contents.second_block.empty() ? -1 : static_cast<std::int32_t>(second_offset);
  header.second_text_size = static_cast<std::int32_t>(contents.second_block.size());

  std::vector<std::uint8_t> image = EncodeUtteranceSetHeaderAs(header, version);
  image.resize(header.first_text_offset, 0);
  image.insert(image.end(), first_block.begin(), first_block.end());
  image.insert(image.end(), contents.second_block.begin(), contents.second_block.end());
  const auto put32 = [&image](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  for (std::size_t i = 0; i < entries; ++i) {
    std::uint32_t entry = kMissingEntry;
    if (i < count && !contents.utterances[i].missing) {
      const UtteranceSetEntry& utterance = contents.utterances[i];
      entry = static_cast<std::uint32_t>(image.size()) | (utterance.skipped ? kSkippedBit : 0);
      std::vector<std::int16_t> samples = utterance.samples;
      if (older) samples.resize((samples.size() + 164) / 165 * 165, 0);
      const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
      put32(0);
      put32(older ? bytes / kOlderLengthUnit : bytes);
      for (std::int16_t sample : samples) {
        image.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        image.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
      }
      for (const std::string* text : {&utterance.first_text, &utterance.second_text}) {
        put32(static_cast<std::uint32_t>(text->size()));
        image.insert(image.end(), text->begin(), text->end());
      }
    }
    StoreLittleEndian32(image.data() + kUtteranceSetHeaderBytes + 4 * i, entry);
  }
  return image;
}

}  // namespace vok::api
