// Reading codes of the homophone tables: a Mandarin reading in 16 bits.
//   bits 0-4   initial 0-21 (0 none): b p m f d t n l g k h j q x zh ch sh r z c s
//   bits 5-7   tone 0-4: first, second, third, fourth, neutral
//   bits 8-11  final 0-13 (0 none): a o e ê ai ei ao ou an en ang eng er
//   bits 12-15 medial 0-3 (0 none): i u ü
// The code with the tone bits cleared is the syllable.
#pragma once

#include <cstdint>
#include <string>

namespace wrendle::app {

struct ReadingFields {
  int initial = 0;
  int medial = 0;
  int final = 0;
  int tone = 0;
};

inline constexpr std::uint16_t kSyllableMask = 0xFF1F;

constexpr ReadingFields FieldsOf(std::uint16_t code) {
  return {code & 0x1F, (code >> 12) & 0xF, (code >> 8) & 0xF, (code >> 5) & 0x7};
}

constexpr std::uint16_t CodeOf(const ReadingFields& fields) {
  return static_cast<std::uint16_t>(fields.initial | fields.tone << 5 | fields.final << 8 |
                                    fields.medial << 12);
}

constexpr bool IsValidReading(std::uint16_t code) {
  const ReadingFields fields = FieldsOf(code);
  return fields.initial <= 21 && fields.tone <= 4 && fields.final <= 13 && fields.medial <= 3;
}

constexpr std::uint16_t SyllableOf(std::uint16_t code) {
  return static_cast<std::uint16_t>(code & kSyllableMask);
}
constexpr int ToneOf(std::uint16_t code) { return (code >> 5) & 0x7; }

// The reading in pinyin ("juan(1)", "ying(2)", "zhi(4)", "ma" for the
// neutral tone; ü spelled ":u"). Empty for an invalid code.
std::string PinyinLabel(std::uint16_t code);

// The reading in bopomofo, Big5 bytes. Empty for an invalid code.
std::string BopomofoLabel(std::uint16_t code);

}  // namespace wrendle::app
