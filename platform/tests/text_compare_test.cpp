#include "platform/text_compare.h"

#include <gtest/gtest.h>

namespace {

using platform::SameTextIgnoringCase;

TEST(TextCompareTest, AsciiLettersFoldOthersDoNot) {
  EXPECT_TRUE(SameTextIgnoringCase("CurrentUser", "currentuser"));
  EXPECT_TRUE(SameTextIgnoringCase("", ""));
  EXPECT_FALSE(SameTextIgnoringCase("a", "ab"));
  EXPECT_FALSE(SameTextIgnoringCase("[", "{")) << "no folding outside the letters";
}

TEST(TextCompareTest, TrailBytesAreNeverFolded) {
  // Big5 A4 61 and A4 41 are two characters.
  EXPECT_FALSE(SameTextIgnoringCase("\xA4\x61", "\xA4\x41"));
  EXPECT_TRUE(SameTextIgnoringCase("\xA4\x61x", "\xA4\x61X")) << "the letter after the pair folds";
  // Two lead bytes in a row: the second is the first one's trail byte.
  EXPECT_TRUE(SameTextIgnoringCase("\xB0\xA1Z", "\xB0\xA1z"));
}

}  // namespace
