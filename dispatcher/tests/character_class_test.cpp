#include "dispatcher/character_class.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/recognition_types.h"

namespace {

// Codes as they lie in a byte string: first byte low.
constexpr std::uint16_t Code(std::uint16_t bytes) {
  return static_cast<std::uint16_t>(bytes >> 8 | bytes << 8);
}

struct ClassCase {
  int language;
  std::uint16_t code;
  int expected;
  friend void PrintTo(const ClassCase& c, std::ostream* os) {
    *os << c.language << ' ' << c.code << ' ' << c.expected;
  }
};

class CharacterClassTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(CharacterClassTest, ClassesCodeAtRangeBoundaries) {
  EXPECT_EQ(wrendle::CharacterClass(GetParam().code, GetParam().language), GetParam().expected)
      << std::hex << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CharacterClassTest,
    ::testing::Values(ClassCase{4000, 0x1F, 0x100}, ClassCase{4000, '0', 0x4}, ClassCase{4000, '9', 0x4},
                      ClassCase{2000, 'a', 0x2}, ClassCase{2000, 'Z', 0x2}, ClassCase{2000, '@', 0},
                      ClassCase{4000, Code(0xA1A1), 0x1}, ClassCase{4000, Code(0xA9FE), 0x1},
                      ClassCase{4000, Code(0xAAA1), 0}, ClassCase{4000, Code(0xB0A1), 0x1},
                      ClassCase{4000, Code(0xF7FE), 0x1}, ClassCase{4000, Code(0xF8A1), 0},
                      ClassCase{2000, Code(0xA13F), 0}, ClassCase{2000, Code(0xA140), 0x1},
                      ClassCase{2000, Code(0xC67E), 0x1}, ClassCase{2000, Code(0xC6A1), 0x8},
                      ClassCase{2000, Code(0xC6E7), 0x10}, ClassCase{2000, Code(0xC7F2), 0x10},
                      ClassCase{2000, Code(0xC940), 0x1}, ClassCase{2000, Code(0xF9D5), 0x1},
                      ClassCase{2000, Code(0xF9D6), 0x8}, ClassCase{2000, Code(0xFA40), 0x8},
                      ClassCase{2000, Code(0x8140), 0x8}, ClassCase{1000, Code(0x8240), 0x1},
                      ClassCase{1000, Code(0x7F40), 0}, ClassCase{3000, Code(0x8141), 0x20},
                      ClassCase{3000, Code(0xCAA1), 0x1}, ClassCase{5000, Code(0xB0A1), 0}));

}  // namespace
