// The homophone table ("B5Phone.Tab", "GBPhone.Tab"; little-endian):
//   0   "CPCX"
//   4   directory of 16-byte records {int32 count, int32 unused, int32 type,
//       int32 data offset}, ended by a record of type 0; types 1, 2 and 3
//       must all be present.
//   type 1, character map: `count` 16-bit words, one per character index: a
//       reading code, 0 for none, or 0x8000 | n: the zero-terminated list of
//       reading codes at word count + n of the same array.
//   type 2, syllable table: `count` syllable codes (tone bits 0).
//   type 3, homophone lists: for each syllable in table order and tones 0 to
//       4, a zero-terminated list of 16-bit characters; `count` is the
//       number of words.
// Parse checks every count, offset, list reference and list end against the
// file before the table is used.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace wrendle::app {

// The character index of a double-byte character (lead byte in the low
// byte) in the character map of `language`'s table: Big5 A440 -> 0,
// C67E -> 5400, C940 -> 5401, F9FE -> 13093; GB2312 B0A1 -> 0, D7F9 -> 3754,
// D8A1 -> 3755, F7FE -> 6762. Nullopt outside the Chinese ranges; any other
// language has index 0.
std::optional<int> PhoneTableIndex(int language, std::uint16_t character);

// Character map counts of the two tables.
inline constexpr int kBig5PhoneCharacters = 13094;
inline constexpr int kGb2312PhoneCharacters = 6763;
inline constexpr int kPhoneTones = 5;

class PhoneTable {
 public:
  static std::optional<PhoneTable> Parse(std::vector<std::uint8_t> bytes);

  int character_count() const { return static_cast<int>(character_count_); }
  // The readings of a character index, common reading first; none outside.
  std::vector<std::uint16_t> Readings(int index) const;
  // The characters of a syllable and tone; empty when the table lacks them.
  std::span<const std::uint16_t> Homophones(std::uint16_t syllable, int tone) const;
  std::span<const std::uint16_t> syllables() const { return {syllables_.data(), syllables_.size()}; }

 private:
  struct ListSpan {
    std::size_t start;
    std::size_t length;
  };
  PhoneTable() = default;

  std::vector<std::uint16_t> words_;  // the whole file as little-endian words
  std::size_t map_start_ = 0;         // in words
  std::size_t character_count_ = 0;
  std::vector<std::uint16_t> syllables_;
  std::vector<ListSpan> lists_;  // kPhoneTones per syllable
};

}  // namespace wrendle::app
