#include "app/core/frame_text.h"

#include <gtest/gtest.h>

namespace wrendle::app {
namespace {

TEST(CharButtonTextsTest, FourteenBytesGiveSevenButtons) {
  const std::string marks = "\xA3\xAC\xA1\xA3\xA3\xBF\xA3\xA1\xA3\xBA\xA3\xBB\xA1\xA2";  // 14 bytes
  const auto buttons = CharButtonTexts(marks);
  for (int k = 0; k < 7; ++k) {
    EXPECT_TRUE(buttons[k].enabled) << k;
    EXPECT_EQ(buttons[k].text, marks.substr(2 * k, 2)) << k;
  }
  for (int k = 7; k < kCharButtonCount; ++k) EXPECT_EQ(buttons[k], (CharButtonText{"", false})) << k;
}

TEST(CharButtonTextsTest, OddLengthLeavesALoneByteOnTheLastButton) {
  const auto buttons = CharButtonTexts("\xA3\xAC\xA1");
  EXPECT_EQ(buttons[1], (CharButtonText{"\xA1", true}));
  EXPECT_FALSE(buttons[2].enabled);
  EXPECT_FALSE(CharButtonTexts("")[0].enabled);
}

struct InsertCase {
  const char* name;
  std::string text;
  int length;
  std::vector<std::uint16_t> codes;
};

class InsertTextTest : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertTextTest, Codes) {
  EXPECT_EQ(InsertTextCodes(GetParam().text, GetParam().length), GetParam().codes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, InsertTextTest,
    testing::Values(InsertCase{"keyboard", "a", 1, {0x61}}, InsertCase{"symbol", "\xA3\xAC", 2, {0xACA3}},
                    InsertCase{"button", "\xD2\xBB", 2, {0xBBD2}}, InsertCase{"empty button", "", 2, {}},
                    InsertCase{"lone lead byte", "\xD2", 2, {}},
                    InsertCase{"string",
                               "ab\xD2\xBB"
                               "c",
                               5,
                               {0x61, 0x62, 0xBBD2, 0x63}},
                    InsertCase{"string cut in a character", "ab\xD2\xBB", 3, {0x61, 0x62}},
                    InsertCase{"length past the text", "ab\xD2", 40, {0x61, 0x62}},
                    InsertCase{"negative length", "abc", -1, {}}),
    [](const testing::TestParamInfo<InsertCase>& param_info) {
      std::string name = param_info.param.name;
      for (char& c : name) c = c == ' ' ? '_' : c;
      return name;
    });

TEST(CellCaptionTest, FirstCellInBracketsWhenTheStripHasRoom) {
  EXPECT_EQ(CellCaption("Wrendle", 10, "\xD2\xBB"), "Wrendle-[ \xD2\xBB ]");
  EXPECT_EQ(CellCaption("Wrendle", 10, ""), "Wrendle-[  ]");
  EXPECT_EQ(CellCaption("Wrendle", 0, "x"), "Wrendle");
}

struct PageCase {
  int offset, entries, page;
  PhrasePage expected;
};

class PhrasePageTest : public testing::TestWithParam<PageCase> {};

TEST_P(PhrasePageTest, ClampedPage) {
  EXPECT_EQ(PagePhrases(GetParam().offset, GetParam().entries, GetParam().page), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, PhrasePageTest,
                         testing::Values(PageCase{0, 20, 6, {0, 6}}, PageCase{6, 20, 6, {6, 6}},
                                         PageCase{18, 20, 6, {14, 6}},  // past the end: last full page
                                         PageCase{-6, 20, 6, {0, 6}},   // before the start
                                         PageCase{6, 4, 6, {0, 4}},     // N < P
                                         PageCase{0, 0, 6, {0, 0}},
                                         PageCase{3, 20, 0, {0, 0}}));  // no columns

}  // namespace
}  // namespace wrendle::app
