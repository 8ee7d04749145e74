#include "dispatcher/character_class.h"

#include "common/recognition_types.h"

namespace wrendle {
namespace {

struct CodeRange {
  std::uint16_t first;
  std::uint16_t last;
  int character_class;
};

// Big5 ranges in the order they are tried: rare characters, the extra areas
// (user-defined and the like), then the common and secondary sets.
constexpr CodeRange kBig5Ranges[] = {
    {0xC6E7, 0xC7F2, 0x10}, {0xFA40, 0xFEFE, 0x8}, {0x8E40, 0xA0FE, 0x8}, {0x8140, 0x8DFE, 0x8},
    {0xC6A1, 0xC8FE, 0x8},  {0xF9D6, 0xF9FE, 0x8}, {0xA140, 0xC67E, 0x1}, {0xC940, 0xF9FE, 0x1},
};
constexpr CodeRange kKoreanRanges[] = {{0x8141, 0xCAA0, 0x20}, {0xCAA1, 0xFEA0, 0x1}};
constexpr CodeRange kGb2312Ranges[] = {{0xA1A1, 0xA9FE, 0x1}, {0xB0A1, 0xF7FE, 0x1}};

template <std::size_t N>
int ClassIn(const CodeRange (&ranges)[N], std::uint16_t bytes) {
  for (const CodeRange& range : ranges) {
    if (bytes >= range.first && bytes <= range.last) return range.character_class;
  }
  return 0;
}

}  // namespace

int CharacterClass(std::uint16_t code, int language) {
  if (code < 0x20) return 0x100;
  if (code >= '0' && code <= '9') return kRangeDigits;
  if ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z')) return kRangeLetters;
  const auto bytes = static_cast<std::uint16_t>((code & 0xFF) << 8 | code >> 8);
  switch (language) {
    case kLanguageJapanese:
      return bytes >= 0x8000 ? kRangeChinese : 0;
    case kLanguageTraditionalChinese:
      return ClassIn(kBig5Ranges, bytes);
    case kLanguageKorean:
      return ClassIn(kKoreanRanges, bytes);
    case kLanguageSimplifiedChinese:
      return ClassIn(kGb2312Ranges, bytes);
    default:
      return 0;
  }
}

}  // namespace wrendle
