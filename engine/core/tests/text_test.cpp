#include "engine/core/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

TEST(TextTest, CaseChangesOnlyAsciiLetters) {
  char text[] = "aZ\xB0\xA1-q";
  EXPECT_STREQ(vok::StringToUpper(text), "AZ\xB0\xA1-Q");
  EXPECT_STREQ(vok::StringToLower(text), "az\xB0\xA1-q");
}

TEST(TextTest, SplitWordsKeepsItsCopy) {
  vok::WordList list;
  std::string text = "  one two  three ";
  EXPECT_EQ(vok::SplitWords(text.c_str(), &list), 3);
  text.assign(20, 'z');
  EXPECT_STREQ(list.word(0), "one");
  EXPECT_STREQ(list.word(2), "three");
  EXPECT_EQ(list.word(3), nullptr);
  EXPECT_EQ(vok::SplitWords("   ", &list), 0);
  EXPECT_EQ(vok::SplitWords(nullptr, &list), 0);
}

TEST(TextTest, SplitWordsCutsAt255BytesOnACharacterBoundary) {
  std::string text(254, 'a');
  text += "\xB0\xA1";  // a double-byte character across the 255-byte limit
  vok::WordList list;
  ASSERT_EQ(vok::SplitWords(text.c_str(), &list), 1);
  EXPECT_EQ(std::string(list.word(0)), std::string(254, 'a'));
}

TEST(TextTest, LeadingInt) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {{"12abc", 12},
                        {"  -7", -7},
                        {"+3", 3},
                        {"x1", 0},
                        {"", 0},
                        {"99999999999", 2147483647},
                        {"-99999999999", -2147483647 - 1},
                        {"\r\n42", 42}};
  for (const Case& c : cases) EXPECT_EQ(vok::ParseLeadingInt(c.text), c.value) << c.text;
}

TEST(TextTest, LeadingDouble) {
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("1.5e2x"), 150.0);
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("  -0.25"), -0.25);
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("+2"), 2.0);
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("abc"), 0.0);
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("3,5"), 3.0);
  EXPECT_TRUE(std::isinf(vok::ParseLeadingDouble("1e999")));
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("1e-999"), 0.0);
}

TEST(TextTest, NumbersIgnoreTheHostLocale) {
  // A host with a comma locale must not change how the engine reads or prints.
  // tools/setup-debian.sh generates de_DE.UTF-8; Windows knows "German".
  const char* set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!set) set = std::setlocale(LC_NUMERIC, "German");
  ASSERT_NE(set, nullptr) << "no comma-decimal locale on this machine (run tools/setup-debian.sh)";
  EXPECT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_DOUBLE_EQ(vok::ParseLeadingDouble("0.5"), 0.5);
  EXPECT_EQ(vok::FormatFixed(1.25, 6), "1.250000");
  EXPECT_EQ(vok::FormatFixed(-33.333, 1), "-33.3");
  std::setlocale(LC_NUMERIC, "C");
}

TEST(TextTest, CharacterPrefix) {
  const char text[] =
      "a\xB0\xA1"
      "b";
  EXPECT_EQ(vok::CharacterPrefix(text, 4, 2), 1u);
  EXPECT_EQ(vok::CharacterPrefix(text, 4, 3), 3u);
  EXPECT_EQ(vok::CharacterPrefix(text, 4, 9), 4u);
}

}  // namespace
