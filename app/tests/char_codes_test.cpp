#include "app/core/char_codes.h"

#include <gtest/gtest.h>

namespace {

using namespace wrendle::app;

TEST(UserCodeTest, RangeRule) {
  EXPECT_FALSE(IsUserCode(0xFF));
  EXPECT_FALSE(IsUserCode(0x100)) << "low byte 0";
  EXPECT_TRUE(IsUserCode(0x101));
  EXPECT_FALSE(IsUserCode(0x120)) << "low byte 0x20";
  EXPECT_FALSE(IsUserCode(0x2001)) << "high byte 0x20";
  EXPECT_FALSE(IsUserCode(0x20FF));
  EXPECT_TRUE(IsUserCode(0x2101));
  EXPECT_TRUE(IsUserCode(0x3FFF));
  EXPECT_FALSE(IsUserCode(0x4001));
}

TEST(KeyCodeTest, KeyCodesAndBytes) {
  EXPECT_TRUE(IsKeyCode(kKeyBackspace));
  EXPECT_FALSE(IsKeyCode(0xD0D6));
  EXPECT_EQ(VirtualKeyOf(kKeyDelete), 0x2E);
  EXPECT_EQ(SwapBytes(0x0102), 0x0201);
  EXPECT_EQ(CodeBytes(0xD0D6), "\xD6\xD0");
  EXPECT_EQ(CodeBytes(0x0041), "A");
  EXPECT_EQ(CodeBytes(kKeyEnter), "");
  EXPECT_EQ(CodeBytes(0), "");
}

TEST(FullWidthTest, GbTable) {
  EXPECT_EQ(ToFullWidth(' ', 4000), 0xA1A1);
  EXPECT_EQ(ToFullWidth('!', 4000), 0xA1A3);
  EXPECT_EQ(ToFullWidth('A', 4000), 0xC1A3);
  EXPECT_EQ(ToFullWidth('z', 4000), 0xFAA3);
  EXPECT_EQ(ToFullWidth('~', 4000), 0xABA1);
}

TEST(FullWidthTest, Big5Table) {
  EXPECT_EQ(ToFullWidth(' ', 2000), 0x40A1);
  EXPECT_EQ(ToFullWidth('0', 2000), 0xAFA2);
  EXPECT_EQ(ToFullWidth('A', 2000), 0xCFA2);
  EXPECT_EQ(ToFullWidth('a', 2000), 0xE9A2);
  EXPECT_EQ(ToFullWidth('z', 2000), 0x43A3);
  EXPECT_EQ(ToFullWidth('[', 2000), 0x65A1) << "no full-width form: nearest glyph";
}

TEST(FullWidthTest, OtherCodesUnchanged) {
  EXPECT_EQ(ToFullWidth(31, 4000), 31);
  EXPECT_EQ(ToFullWidth(127, 4000), 127);
  EXPECT_EQ(ToFullWidth(0xD0D6, 4000), 0xD0D6);
  EXPECT_EQ(ToFullWidth(0x49A1, 2000), 0x49A1) << "a Big5 full-width code stays";
  EXPECT_EQ(ToFullWidth('A', 0), 'A');
}

TEST(FullWidthTest, JapaneseAndKorean) {
  EXPECT_EQ(ToFullWidth('A', 1000), 0x6082);
  EXPECT_EQ(ToFullWidth('A', 3000), 0xC1A3);
}

TEST(GestureKeyTest, Table) {
  EXPECT_EQ(GestureKey(11), kKeyEnter);
  EXPECT_EQ(GestureKey(14), kKeyBackspace);
  EXPECT_FALSE(GestureKey(15));
  EXPECT_EQ(GestureKey(26), kKeyEscape);
  EXPECT_FALSE(GestureKey(10));
  EXPECT_FALSE(GestureKey(27));
}

}  // namespace
