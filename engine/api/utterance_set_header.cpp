#include "engine/api/utterance_set_header.h"

#include <algorithm>
#include <cstring>

namespace vok::api {
namespace {

class HeaderReader {
 public:
  explicit HeaderReader(std::span<const std::uint8_t> bytes) {
    std::copy_n(bytes.begin(), std::min(bytes.size(), bytes_.size()), bytes_.begin());
  }
  std::uint32_t Word(std::size_t offset) const {
    return static_cast<std::uint32_t>(bytes_[offset]) | static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
  }
  template <std::size_t N>
  void Text(std::size_t offset, std::array<char, N>* out) const {
    std::memcpy(out->data(), bytes_.data() + offset, N);
  }

 private:
  // The unread tail stays zero.
  std::array<std::uint8_t, kUtteranceSetHeaderBytes> bytes_{};
};

void PutWord(std::vector<std::uint8_t>* bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutText(std::vector<std::uint8_t>* bytes, std::size_t offset, const std::array<char, 128>& text) {
  std::memcpy(bytes->data() + offset, text.data(), text.size());
}

void MarkUpgraded(UtteranceSetHeader* header) {
  header->version = kUtteranceSetVersion;
  header->dialect_name = {};
  std::memcpy(header->dialect_name.data(), "Beijing", 7);
  header->word_196 = 30;
  header->word_200 = 0;
  header->sample_rate = 11025;
}

}  // namespace

UtteranceSetHeader DecodeUtteranceSetHeader(std::span<const std::uint8_t> bytes) {
  const HeaderReader in(bytes);
  UtteranceSetHeader header;
  header.reserved = in.Word(0);
  header.version = in.Word(4);
  header.data_kind = in.Word(8);
  header.table_offset = in.Word(12);
  header.first_text_offset = in.Word(16);
  header.first_text_size = static_cast<std::int32_t>(in.Word(20));
  header.second_text_offset = static_cast<std::int32_t>(in.Word(24));
  header.second_text_size = static_cast<std::int32_t>(in.Word(28));
  header.dialect = in.Word(32);
  for (int i = 0; i < 3; ++i) header.counts[i] = in.Word(36 + 4 * i);
  in.Text(48, &header.text);
  header.flag = in.Word(176);
  in.Text(180, &header.dialect_name);
  header.word_196 = in.Word(196);
  header.word_200 = in.Word(200);
  header.sample_rate = in.Word(204);
  return header;
}

std::vector<std::uint8_t> EncodeUtteranceSetHeader(const UtteranceSetHeader& header) {
  std::vector<std::uint8_t> bytes(kUtteranceSetHeaderBytes, 0);
  PutWord(&bytes, 0, header.reserved);
  PutWord(&bytes, 4, header.version);
  PutWord(&bytes, 8, header.data_kind);
  PutWord(&bytes, 12, header.table_offset);
  PutWord(&bytes, 16, header.first_text_offset);
  PutWord(&bytes, 20, static_cast<std::uint32_t>(header.first_text_size));
  PutWord(&bytes, 24, static_cast<std::uint32_t>(header.second_text_offset));
  PutWord(&bytes, 28, static_cast<std::uint32_t>(header.second_text_size));
  PutWord(&bytes, 32, header.dialect);
  for (int i = 0; i < 3; ++i) PutWord(&bytes, 36 + 4 * i, header.counts[i]);
  std::memcpy(bytes.data() + 48, header.text.data(), header.text.size());
  PutWord(&bytes, 176, header.flag);
  std::memcpy(bytes.data() + 180, header.dialect_name.data(), header.dialect_name.size());
  PutWord(&bytes, 196, header.word_196);
  PutWord(&bytes, 200, header.word_200);
  PutWord(&bytes, 204, header.sample_rate);
  return bytes;
}

std::optional<UtteranceSetHeader> ReadAnyUtteranceSetHeader(std::span<const std::uint8_t> bytes,
                                                            std::uint32_t* length_unit) {
  const HeaderReader in(bytes);
  UtteranceSetHeader header = DecodeUtteranceSetHeader(bytes);
  *length_unit = 1;
  switch (header.version) {
    case kUtteranceSetVersion:
      return header;
    case kUtteranceSetVersion720101:
      break;
    case kUtteranceSetVersion610001:
      header.dialect = in.Word(24);
      for (int i = 0; i < 3; ++i) header.counts[i] = in.Word(28 + 4 * i);
      in.Text(40, &header.text);
      header.flag = in.Word(168);
      header.second_text_offset = -1;
      header.second_text_size = 0;
      break;
    case kUtteranceSetVersion64000000:
      // Its word at 24 is the dialect, so it has no second text block either.
      header.dialect = in.Word(24);
      header.counts[0] = header.counts[2] = in.Word(32);
      header.counts[1] = 0;
      header.text = {};
      header.flag = 0;
      header.second_text_offset = -1;
      header.second_text_size = 0;
      break;
    default:
      return std::nullopt;
  }
  MarkUpgraded(&header);
  *length_unit = kOlderLengthUnit;
  return header;
}

std::vector<std::uint8_t> EncodeUtteranceSetHeaderAs(const UtteranceSetHeader& header,
                                                     std::uint32_t version) {
  UtteranceSetHeader fields = header;
  fields.version = version;
  if (version == kUtteranceSetVersion || version == kUtteranceSetVersion720101)
    return EncodeUtteranceSetHeader(fields);
  std::vector<std::uint8_t> bytes(kUtteranceSetHeaderBytes, 0);
  PutWord(&bytes, 4, version);
  PutWord(&bytes, 8, header.data_kind);
  PutWord(&bytes, 12, header.table_offset);
  PutWord(&bytes, 16, header.first_text_offset);
  PutWord(&bytes, 20, static_cast<std::uint32_t>(header.first_text_size));
  PutWord(&bytes, 24, header.dialect);
  if (version == kUtteranceSetVersion610001) {
    for (int i = 0; i < 3; ++i) PutWord(&bytes, 28 + 4 * i, header.counts[i]);
    PutText(&bytes, 40, header.text);
    PutWord(&bytes, 168, header.flag);
  } else {
    PutWord(&bytes, 32, header.counts[0]);
  }
  return bytes;
}

}  // namespace vok::api
