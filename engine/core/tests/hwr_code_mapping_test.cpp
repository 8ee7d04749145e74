#include "engine/core/hwr_code_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(HwrCodeMapping, FirstCodesOfEachLevel) {
  EXPECT_EQ(vok::ScIndex(0xB0A1), 0);
  EXPECT_EQ(vok::ScIndex(0xD8A1), 3755);
  EXPECT_EQ(vok::ScLevel2Index(0xD8A1), 0);
  EXPECT_EQ(vok::ScIndex(0xD7F9), 3754);
  EXPECT_EQ(vok::ScIndex(0xF7FE), 6762);
  EXPECT_EQ(vok::TcIndex(0xA440), 0);
  EXPECT_EQ(vok::TcLevel2Index(0xC940), 0);
  EXPECT_EQ(vok::TcIndex(0xC940), 5401);
  EXPECT_EQ(vok::TcIndex(0xA47E), 62);
  EXPECT_EQ(vok::TcIndex(0xA4A1), 63);
  EXPECT_EQ(vok::TcIndex(0xC67E), 5400);
  EXPECT_EQ(vok::TcLevel2Index(0xF9DC), 7658);
  EXPECT_EQ(vok::TcIndex(0x8740), 5401 + vok::kTcFurtherFirstIndex);
  EXPECT_EQ(vok::LatinIndex('0'), 0);
  EXPECT_EQ(vok::LatinIndex('A'), 10);
  EXPECT_EQ(vok::LatinIndex('z'), 61);
}

TEST(HwrCodeMapping, CodesWithoutAClass) {
  const uint16_t sc[] = {0xB0A0, 0xB0FF, 0xD7FA, 0xA1A1, 0xF8A1, 0x0041};
  for (uint16_t code : sc) EXPECT_EQ(vok::ScIndex(code), -1) << std::hex << code;
  // Past the frequent set, trails outside Big5, and codes absent from the
  // table of further codes map to no class rather than class 0.
  const uint16_t tc[] = {0xC6A1, 0xC87E, 0xA43F, 0xA480, 0xA140, 0xF9DD, 0xFFFF, 0x0041};
  for (uint16_t code : tc) EXPECT_EQ(vok::TcIndex(code), -1) << std::hex << code;
  const uint16_t latin[] = {'/', ':', '@', '[', '`', '{', 0x4100};
  for (uint16_t code : latin) EXPECT_EQ(vok::LatinIndex(code), -1) << code;
  EXPECT_EQ(vok::ScCode(6763), -1);
  EXPECT_EQ(vok::TcCode(-1), -1);
  EXPECT_EQ(vok::LatinCode(62), -1);
}

TEST(HwrCodeMapping, EveryIndexRoundTrips) {
  for (int i = 0; i < vok::kScClasses; ++i) {
    const int code = vok::ScCode(i);
    ASSERT_GE(code, 0) << i;
    ASSERT_EQ(vok::ScIndex(static_cast<uint16_t>(code)), i) << i;
  }
  // The last level-2 index has no code: the table fills 7659 + 3048 places.
  for (int i = 0; i < vok::kTcLevel1Count + vok::kTcFurtherFirstIndex + vok::kTcFurtherCodeCount; ++i) {
    const int code = vok::TcCode(i);
    ASSERT_GE(code, 0) << i;
    ASSERT_EQ(vok::TcIndex(static_cast<uint16_t>(code)), i) << i;
  }
  EXPECT_EQ(vok::TcCode(vok::kTcClasses - 1), -1);
  for (int i = 0; i < vok::kLatinClasses; ++i)
    EXPECT_EQ(vok::LatinIndex(static_cast<uint16_t>(vok::LatinCode(i))), i);
  const uint16_t* further = vok::TcFurtherCodes();
  EXPECT_TRUE(std::is_sorted(further, further + vok::kTcFurtherCodeCount));
  EXPECT_TRUE(std::adjacent_find(further, further + vok::kTcFurtherCodeCount) ==
              further + vok::kTcFurtherCodeCount);
}

}  // namespace
