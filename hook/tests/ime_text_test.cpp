#include "hook/core/ime_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hook/core/requests.h"

namespace jebhook {
namespace {

// GB2312 and Big5 lead bytes.
bool IsLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

struct CutCase {
  const char* name;
  std::string text;
  std::size_t max;
  std::size_t expected;
};

class BoundaryTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(BoundaryTest, CutsBetweenCharacters) {
  EXPECT_EQ(CharacterBoundaryPrefix(GetParam().text, GetParam().max, IsLead), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BoundaryTest,
    ::testing::Values(CutCase{"fits", "abc", 10, 3}, CutCase{"ascii_cut", "abcdef", 4, 4},
                      CutCase{"pair_fits", "a\xC4\xE3", 3, 3}, CutCase{"pair_split", "a\xC4\xE3", 2, 1},
                      CutCase{"trail_looks_like_lead", "\xC4\xE3\xBA\xC3", 3, 2},
                      CutCase{"dangling_lead", "ab\xC4", 3, 3}, CutCase{"zero_room", "abc", 0, 0}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

class PendingTextTest : public ::testing::Test {
 protected:
  char field_[kImeTextBytes] = {};
};

TEST_F(PendingTextTest, AppendsAndTakesOnceInOrder) {
  EXPECT_EQ(AppendImeText(field_, "ab", IsLead), 2u);
  EXPECT_EQ(AppendImeText(field_, "\xC4\xE3", IsLead), 2u);
  EXPECT_EQ(PendingImeText(field_), "ab\xC4\xE3");
  char taken[kImeTextBytes];
  EXPECT_EQ(TakeImeText(field_, taken), 4u);
  EXPECT_STREQ(taken, "ab\xC4\xE3");
  EXPECT_EQ(TakeImeText(field_, taken), 0u);
  EXPECT_STREQ(taken, "");
}

TEST_F(PendingTextTest, LongTextStopsAtTheCapacityOnABoundary) {
  std::string text = "a";
  for (int i = 0; i < 200; ++i) text += "\xC4\xE3";
  // 1 + 2 x 132 = 265 bytes fit; the next character would need 267.
  EXPECT_EQ(AppendImeText(field_, text, IsLead), 265u);
  EXPECT_EQ(PendingImeText(field_).size(), 265u);
  EXPECT_EQ(AppendImeText(field_, "\xC4\xE3", IsLead), 0u);
  EXPECT_EQ(AppendImeText(field_, "z", IsLead), 1u);
  EXPECT_EQ(PendingImeText(field_).size(), kImeTextCapacity);
  EXPECT_EQ(field_[kImeTextCapacity], '\0');
}

TEST_F(PendingTextTest, AFieldWithoutItsZeroEndsAtTheCapacity) {
  std::memset(field_, 'x', sizeof field_);
  EXPECT_EQ(PendingImeText(field_).size(), kImeTextCapacity);
  EXPECT_EQ(AppendImeText(field_, "y", IsLead), 0u);
}

TEST(RequestTest, Classifies) {
  EXPECT_EQ(ClassifyRequest(121), RequestAction::kRecordFocus);
  EXPECT_EQ(ClassifyRequest(142), RequestAction::kSetComposition);
  EXPECT_EQ(ClassifyRequest(144), RequestAction::kSwitchLayout);
  for (std::uintptr_t r : {140u, 141u, 143u}) EXPECT_EQ(ClassifyRequest(r), RequestAction::kNoEffect) << r;
  for (std::uintptr_t r : {0u, 120u, 122u, 139u, 145u, 1000u}) {
    EXPECT_EQ(ClassifyRequest(r), RequestAction::kNotHandled) << r;
  }
}

}  // namespace
}  // namespace jebhook
