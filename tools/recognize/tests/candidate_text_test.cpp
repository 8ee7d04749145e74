#include "tools/recognize/candidate_text.h"

#include <gtest/gtest.h>

namespace {

TEST(CandidateTextTest, SingleByteCodesPrintAsTheirCharacter) {
  EXPECT_EQ(wrendle::CandidateText('8', 4000), "8");
  EXPECT_EQ(wrendle::CandidateText(0x2061, 4000), "a");
}

TEST(CandidateTextTest, DoubleByteCodesPrintInUtf8OrHex) {
  // The character "one" in both code pages, when the system converts them.
  const std::string gb = wrendle::CandidateText(0xBBD2, 4000);
  EXPECT_TRUE(gb == "\xE4\xB8\x80" || gb == "D2BB") << gb;
  const std::string big5 = wrendle::CandidateText(0x40A4, 2000);
  EXPECT_TRUE(big5 == "\xE4\xB8\x80" || big5 == "A440") << big5;
}

}  // namespace
