// The 208-byte little-endian header of an utterance-set file, which also
// begins every user's profile "enroll".
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vok::api {

inline constexpr std::size_t kUtteranceSetHeaderBytes = 208;
inline constexpr std::uint32_t kUtteranceSetVersion = 0x720002;
inline constexpr std::uint32_t kAudioDataKind = 0x61756420;  // " dua" in file order

struct UtteranceSetHeader {
  std::uint32_t reserved = 0;
  std::uint32_t version = kUtteranceSetVersion;
  std::uint32_t data_kind = kAudioDataKind;
  std::uint32_t table_offset = 0;
  std::uint32_t first_text_offset = 0;
  std::int32_t first_text_size = 0;
  std::int32_t second_text_offset = -1;
  std::int32_t second_text_size = 0;
  std::uint32_t dialect = 0;
  std::uint32_t counts[3] = {0, 0, 0};
  std::array<char, 128> text{};
  std::uint32_t flag = 0;
  std::array<char, 16> dialect_name{};
  std::uint32_t word_196 = 30;
  std::uint32_t word_200 = 0;
  std::uint32_t sample_rate = 11025;
};

// Reads the first 208 bytes; bytes that are not there read as zero.
UtteranceSetHeader DecodeUtteranceSetHeader(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> EncodeUtteranceSetHeader(const UtteranceSetHeader& header);

}  // namespace vok::api
