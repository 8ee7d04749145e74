#include "app/zezividudu/string_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zezividudu::CopyString;
using zezividudu::FindString;

TEST(StringTableTest, QuotedTextsAreExact) {
  EXPECT_EQ(FindString(0, 70), "No RECOGNITION KERNEL!!!");
  EXPECT_EQ(FindString(0, 71), "RECOGNITION KERNEL Load fails!!!");
  EXPECT_EQ(FindString(0, 88), "No Import Data.");
  EXPECT_EQ(FindString(0, 185), "Select User");
  EXPECT_EQ(FindString(0, 1065), "&Tradiational Chinese (BIG5 Code)");
  EXPECT_EQ(FindString(0, 85), "\"%s\" is a new user, do you want this name to be added to the User List?");
}

TEST(StringTableTest, PopupMenuTextsAreExact) {
  const struct {
    unsigned id;
    const char* text;
  } kMenu[] = {{36, "On-screen Keyboard"},
               {37, "Symbols"},
               {38, "Half &Width"},
               {39, "F&ull Width"},
               {40, "&Setup..."},
               {42, "&Window Mode"},
               {44, "&Close"},
               {65, "Mi&nimize"},
               {66, "&Training..."},
               {72, "&Sign and Draw"},
               {74, "Associate Phrase"},
               {82, "&Adapting"},
               {89, "Homophones"},
               {91, "Training Data Editor"},
               {92, "About"},
               {95, "Cursive"},
               {96, "Full Strokes"},
               {99, "Fuzzy Mode"},
               {1119, "Use &Wait Button"}};
  for (const auto& entry : kMenu) {
    EXPECT_EQ(FindString(0, entry.id), entry.text) << entry.id;
    EXPECT_NE(FindString(2000, entry.id), FindString(0, entry.id)) << "Big5 text of its own: " << entry.id;
    EXPECT_NE(FindString(4000, entry.id), FindString(0, entry.id)) << "GB2312 text of its own: " << entry.id;
  }
  EXPECT_TRUE(FindString(0, 502));
  EXPECT_EQ(FindString(2000, 89), "\xA6P\xAD\xB5\xA6r");  // Big5, written out by hand
  EXPECT_EQ(FindString(0, 190)->substr(0, 11), "A user name") << "the bad-name message moved off 89";
}

TEST(StringTableTest, ChineseTextsArriveInTheirCodePage) {
  // "No" ... in Big5 and in GB2312, bytes written out by hand.
  EXPECT_EQ(FindString(2000, 70)->substr(0, 4), "\xA8\x53\xA6\xB3");
  EXPECT_EQ(FindString(4000, 70)->substr(0, 4), "\xC3\xBB\xD3\xD0");
  EXPECT_EQ(FindString(2000, 185), "\xBF\xEF\xBE\xDC\xA8\xCF\xA5\xCE\xAA\xCC");
  EXPECT_EQ(FindString(2000, 52)->size(), 190u);
  EXPECT_EQ(FindString(4000, 52)->size(), 190u);
}

TEST(StringTableTest, OtherLanguagesAndMissingIdsFallBackToEnglish) {
  for (const int language : {0, 1000, 3000, 1234}) EXPECT_EQ(FindString(language, 185), "Select User");
  EXPECT_EQ(FindString(2000, 94), "2.63") << "no Big5 text of its own";
  EXPECT_FALSE(FindString(4000, 9999));
  EXPECT_FALSE(FindString(0, 52)) << "no full-width table without a Chinese language";
}

TEST(StringTableTest, NullBufferGivesLengthAndMissingGivesZero) {
  EXPECT_EQ(CopyString(0, 70, nullptr, 0), 24);
  EXPECT_EQ(CopyString(0, 9999, nullptr, 0), 0);
  char buffer[8] = "unset";
  EXPECT_EQ(CopyString(0, 9999, buffer, 7), 0);
  EXPECT_STREQ(buffer, "unset");
}

TEST(StringTableTest, BufferOfLengthPlusOneWithSizeLengthTakesTheWholeText) {
  for (const int language : {0, 2000, 4000}) {
    for (const unsigned id : {16u, 70u, 85u, 185u}) {
      const int length = CopyString(language, id, nullptr, 0);
      ASSERT_GT(length, 0);
      std::string buffer(static_cast<size_t>(length) + 1, '#');
      EXPECT_EQ(CopyString(language, id, buffer.data(), length), length);
      EXPECT_EQ(buffer.substr(0, static_cast<size_t>(length)), *FindString(language, id));
      EXPECT_EQ(buffer.back(), '\0');
    }
  }
}

TEST(StringTableTest, ShortBufferTakesWholeCharactersOnly) {
  char buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(CopyString(0, 70, buffer, 5), 5);
  EXPECT_STREQ(buffer, "No RE");
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(CopyString(2000, 70, buffer, 3), 2) << "the second character's lead byte alone is not copied";
  EXPECT_STREQ(buffer, "\xA8\x53");
  EXPECT_EQ(buffer[3], '#');
  EXPECT_EQ(CopyString(0, 70, buffer, 0), 0);
}

}  // namespace
