#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/core/grammar_word_token.h"

namespace {

TEST(ArcWeightTest, LogOfTheProbabilityInSteps) {
  struct Case {
    double p;
    int16_t weight;
  };
  const Case cases[] = {
      {0.5, -28},
      {1.0, 0},
      {0.0, 0},
      {-2.0, 0},
      {2.0, 27},
      {0.1, -90},
      {1e-300, -26985},
      {std::nan(""), 0},
      {std::numeric_limits<double>::infinity(), 32767},
      {std::numeric_limits<double>::max(), 27727},
  };
  for (const Case& c : cases) EXPECT_EQ(vok::ArcWeight(c.p), c.weight) << c.p;
}

TEST(SplitWordTokenTest, WeightThenFlagsAreCutFromTheEnd) {
  struct Case {
    const char* token;
    const char* word;
    int32_t flags;
    int16_t weight;
  };
  const Case cases[] = {
      {"city", "city", 0, 0},       {"city$0.5", "city", 0, -28}, {"city*-$0.5", "city", 0x101, -28},
      {"city+", "city", 0x1000, 0}, {"city?", "city", 0x10, 0},   {"a$b$1", "a$b", 0, 0},
      {"x-y", "x-y", 0, 0},         {"$0.5", "", 0, -28},         {"city$", "city", 0, 0},
      {"-*", "", 0x101, 0},
  };
  for (const Case& c : cases) {
    vok::WordToken token;
    ASSERT_TRUE(vok::SplitWordToken(c.token, &token)) << c.token;
    EXPECT_EQ(token.word, c.word) << c.token;
    EXPECT_EQ(token.flags, c.flags) << c.token;
    EXPECT_EQ(token.weight, c.weight) << c.token;
  }
}

TEST(SplitWordTokenTest, TokensOver91CharactersAreRefused) {
  vok::WordToken token;
  EXPECT_TRUE(vok::SplitWordToken(std::string(91, 'w').c_str(), &token));
  EXPECT_EQ(token.word.size(), 91U);
  EXPECT_FALSE(vok::SplitWordToken(std::string(92, 'w').c_str(), &token));
}

}  // namespace
