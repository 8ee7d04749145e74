#include "app/core/phone_table.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/core/reading_code.h"
#include "common/recognition_types.h"

namespace wrendle::app {

namespace {

constexpr char kMagic[4] = {'C', 'P', 'C', 'X'};
constexpr std::size_t kRecordSize = 16;
constexpr int kTypeMap = 1, kTypeSyllables = 2, kTypeLists = 3;

std::uint32_t ReadUint32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The end of the zero-terminated list at `start`, before `limit`; nullopt
// when no terminator comes.
std::optional<std::size_t> ListEnd(const std::vector<std::uint16_t>& words, std::size_t start,
                                   std::size_t limit) {
  for (std::size_t at = start; at < limit; ++at)
    if (words[at] == 0) return at;
  return std::nullopt;
}

}  // namespace

std::optional<int> PhoneTableIndex(int language, std::uint16_t character) {
  const int lead = character & 0xFF;
  const int trail = character >> 8;
  if (language == kLanguageTraditionalChinese) {
    const bool low_trail = trail >= 0x40 && trail <= 0x7E;
    const bool high_trail = trail >= 0xA1 && trail <= 0xFE;
    if (lead >= 0xA4 && lead <= 0xC5) {
      if (low_trail) return lead * 157 + trail - 25812;
      if (high_trail) return lead * 157 + trail - 25846;
      return std::nullopt;
    }
    if (lead == 0xC6) return low_trail ? std::optional<int>(trail + 5274) : std::nullopt;
    if (lead >= 0xC9 && lead <= 0xF9) {
      if (low_trail) return lead * 157 + trail - 26220;
      if (high_trail) return lead * 157 + trail - 26254;
    }
    return std::nullopt;
  }
  if (language == kLanguageSimplifiedChinese) {
    if (trail < 0xA1 || trail > 0xFE) return std::nullopt;
    if (lead >= 0xB0 && lead <= 0xD6) return lead * 94 + trail - 16705;
    // Row 55 ends at D7F9; D7FA-D7FE are unassigned.
    if (lead == 0xD7) return trail <= 0xF9 ? std::optional<int>(trail + 3505) : std::nullopt;
    if (lead >= 0xD8 && lead <= 0xF7) return lead * 94 + trail - 16710;
    return std::nullopt;
  }
  return 0;
}

std::optional<PhoneTable> PhoneTable::Parse(std::vector<std::uint8_t> bytes) {
  if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  struct Record {
    std::uint32_t count = 0;
    std::uint32_t offset = 0;
    bool present = false;
  };
  std::array<Record, 4> records{};
  for (std::size_t at = sizeof kMagic;; at += kRecordSize) {
    if (at + kRecordSize > bytes.size()) return std::nullopt;
    const std::uint32_t type = ReadUint32(bytes, at + 8);
    if (type == 0) break;
    if (type > kTypeLists || records[type].present) continue;
    records[type] = {ReadUint32(bytes, at), ReadUint32(bytes, at + 12), true};
  }
  for (int type = kTypeMap; type <= kTypeLists; ++type)
    if (!records[static_cast<std::size_t>(type)].present ||
        records[static_cast<std::size_t>(type)].offset % 2 != 0)
      return std::nullopt;

  PhoneTable table;
  table.words_.resize(bytes.size() / 2);
  for (std::size_t i = 0; i < table.words_.size(); ++i)
    table.words_[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  const std::size_t word_count = table.words_.size();
  auto fits = [word_count](std::uint64_t start, std::uint64_t count) {
    return start <= word_count && count <= word_count - start;
  };

  const Record& map = records[kTypeMap];
  table.map_start_ = map.offset / 2;
  table.character_count_ = map.count;
  if (!fits(table.map_start_, map.count)) return std::nullopt;
  for (std::size_t index = 0; index < map.count; ++index) {
    const std::uint16_t word = table.words_[table.map_start_ + index];
    if ((word & 0x8000) == 0) continue;
    const std::uint64_t list = table.map_start_ + map.count + (word & 0x7FFF);
    if (list >= word_count || !ListEnd(table.words_, static_cast<std::size_t>(list), word_count))
      return std::nullopt;
  }

  const Record& syllables = records[kTypeSyllables];
  if (!fits(syllables.offset / 2, syllables.count)) return std::nullopt;
  const auto* first_syllable = table.words_.data() + syllables.offset / 2;
  table.syllables_.assign(first_syllable, first_syllable + syllables.count);

  const Record& lists = records[kTypeLists];
  const std::size_t lists_start = lists.offset / 2;
  if (!fits(lists_start, lists.count)) return std::nullopt;
  const std::size_t lists_end = lists_start + lists.count;
  std::size_t at = lists_start;
  table.lists_.reserve(table.syllables_.size() * kPhoneTones);
  for (std::size_t i = 0; i < table.syllables_.size() * kPhoneTones; ++i) {
    const auto end = ListEnd(table.words_, at, lists_end);
    if (!end) return std::nullopt;
    table.lists_.push_back({at, *end - at});
    at = *end + 1;
  }
  return table;
}

std::vector<std::uint16_t> PhoneTable::Readings(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= character_count_) return {};
  const std::uint16_t word = words_[map_start_ + static_cast<std::size_t>(index)];
  if (word == 0) return {};
  if ((word & 0x8000) == 0) return {word};
  std::vector<std::uint16_t> readings;
  for (std::size_t at = map_start_ + character_count_ + (word & 0x7FFF); words_[at] != 0; ++at)
    readings.push_back(words_[at]);
  return readings;
}

std::span<const std::uint16_t> PhoneTable::Homophones(std::uint16_t syllable, int tone) const {
  if (tone < 0 || tone >= kPhoneTones) return {};
  const auto found = std::find(syllables_.begin(), syllables_.end(), syllable);
  if (found == syllables_.end()) return {};
  const ListSpan& list = lists_[static_cast<std::size_t>(found - syllables_.begin()) * kPhoneTones +
                                static_cast<std::size_t>(tone)];
  return {words_.data() + list.start, list.length};
}

}  // namespace wrendle::app
