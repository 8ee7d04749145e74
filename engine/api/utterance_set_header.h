// The 208-byte little-endian header of an utterance-set file, which also
// begins every user's profile "enroll".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vok::api {

inline constexpr std::size_t kUtteranceSetHeaderBytes = 208;
inline constexpr std::uint32_t kUtteranceSetVersion = 0x720002;
inline constexpr std::uint32_t kAudioDataKind = 0x61756420;  // " dua" in file order
// Older versions, upgraded on reading. Their utterance lengths count units
// of 330 bytes (one 15 ms frame at 11025 Hz).
inline constexpr std::uint32_t kUtteranceSetVersion720101 = 0x720101;
inline constexpr std::uint32_t kUtteranceSetVersion610001 = 0x610001;
inline constexpr std::uint32_t kUtteranceSetVersion64000000 = 0x64000000;
inline constexpr std::uint32_t kOlderLengthUnit = 330;

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

// The header of any known version in the current layout and version:
//   0x720002 as it is;
//   0x720101 the same layout;
//   0x610001 dialect at 24, counts at 28, 32, 36, text at 40, flag at 168,
//            no second text block;
//   0x64000000 dialect at 24, the first and third counts from its word at
//            32, second count 0, no text, no second text block.
// An upgraded header gets the dialect name "Beijing", 30, 0 and 11025 at
// 196, 200 and 204. `length_unit` tells what one unit of an utterance length
// is in bytes (330 for the older versions). Nullopt for another version.
std::optional<UtteranceSetHeader> ReadAnyUtteranceSetHeader(std::span<const std::uint8_t> bytes,
                                                            std::uint32_t* length_unit);

// The header laid out as `version` stores it (the set writer's older files).
std::vector<std::uint8_t> EncodeUtteranceSetHeaderAs(const UtteranceSetHeader& header, std::uint32_t version);

}  // namespace vok::api
