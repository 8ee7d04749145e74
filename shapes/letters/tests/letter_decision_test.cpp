#include <gtest/gtest.h>

#include "shapes/letters/letter_decision.h"

namespace {

using letters::RankedMatch;

// A match of `code` that is under A with kind 1 ('A'), under its threshold
// only ('t'), or under none ('-').
RankedMatch M(int code, char under) {
  RankedMatch m;
  m.code = code;
  m.under_a_with_kind_1 = under == 'A';
  m.under_threshold = under == 'A' || under == 't';
  return m;
}
const RankedMatch kMissing{};

TEST(GroupConfidence, EveryBranch) {
  struct Case {
    const char* name;
    RankedMatch r0, r1, r2;
    int expected;
  };
  const Case cases[] = {
      {"all alike, one under A with kind 1", M('a', '-'), M('a', '-'), M('a', 'A'), 1},
      {"all alike through look-alikes, two under", M('o', 't'), M('O', 't'), M('0', '-'), 11},
      {"all alike, one under", M('s', 't'), M('S', '-'), M('s', '-'), 10},
      {"first two alike, both under A", M('k', 'A'), M('K', 'A'), M('x', 't'), 31},
      {"first two alike, one under A, third not under", M('k', '-'), M('k', 'A'), M('x', 't'), 50},
      {"first two alike, one under A, third clear", M('k', '-'), M('k', 'A'), M('x', '-'), 51},
      {"first two alike, only under B", M('k', 't'), M('k', 't'), M('x', '-'), 50},
      {"first and third alike, first under, second not", M('9', 't'), M('g', '-'), M('q', '-'), 61},
      {"first and third alike, both under", M('9', 't'), M('g', 't'), M('q', '-'), 60},
      {"alone, under, others differ", M('e', 't'), M('c', 't'), M('a', 't'), 91},
      {"alone, under, others agree and are under", M('e', 't'), M('c', 't'), M('c', '-'), 90},
      {"alone, under, others agree, neither under", M('e', 't'), M('c', '-'), M('c', '-'), 91},
      {"alone, not under", M('e', '-'), M('c', '-'), M('a', '-'), 90},
      // A group of fewer than three templates: the missing results are
      // neither alike nor under a threshold.
      {"two templates, alike", M('x', 'A'), M('X', 'A'), kMissing, 31},
      {"one template", M('x', 't'), kMissing, kMissing, 91},
      {"no template", kMissing, kMissing, kMissing, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(letters::GroupConfidence(c.r0, c.r1, c.r2), c.expected);
  }
}

TEST(DecisionScore, EveryBranch) {
  struct Case {
    const char* name;
    int confidence[3];
    int top[3];
    int expected;
  };
  const Case cases[] = {
      {"all confident and agreeing", {91, 11, 31}, {'a', 'a', 'a'}, 100},
      {"group 0 confident elsewhere", {91, 11, 31}, {'b', 'a', 'a'}, 70},
      {"groups 1, 2 confident, 0 not, agreeing", {90, 11, 31}, {'a', 'a', 'a'}, 80},
      {"groups 1, 2 confident, 0 not, 0 elsewhere", {90, 11, 31}, {'b', 'a', 'a'}, 60},
      {"one confident group, agreeing", {90, 10, 31}, {'a', 'a', 'a'}, 70},
      {"one confident group, 0 elsewhere", {90, 10, 31}, {'b', 'a', 'a'}, 60},
      {"look-alikes, 0 and 1 confident on t1", {91, 91, 90}, {'o', 'o', 'O'}, 75},
      {"look-alikes, 0 and 2 confident on t2", {91, 90, 91}, {'O', 'o', 'O'}, 80},
      {"look-alikes, group 1 not confident", {91, 90, 91}, {'o', 'o', 'O'}, 60},
      {"different, not alike", {91, 91, 91}, {'a', 'a', 'e'}, 60},
      {"none of 1, 2 confident, 0 alone confident", {91, 90, 60}, {'a', 'a', 'a'}, 65},
      {"none of 1, 2 confident, 0 confident", {11, 50, 60}, {'a', 'a', 'a'}, 75},
      {"none of 1, 2 confident, 0 confident elsewhere", {91, 90, 90}, {'b', 'a', 'a'}, 60},
      {"none confident, agreeing", {90, 90, 90}, {'a', 'a', 'a'}, 70},
      {"none confident, 0 elsewhere", {90, 90, 90}, {'b', 'a', 'a'}, 60},
      {"1, 2 differ, 0 confident with 1", {91, 90, 90}, {'a', 'a', 'b'}, 70},
      {"1, 2 differ, 0 confident with 2", {91, 90, 90}, {'b', 'a', 'b'}, 70},
      {"1, 2 differ, 0 not confident", {90, 90, 90}, {'a', 'a', 'b'}, 60},
      {"groups without templates never agree", {90, 90, 90}, {-1, -1, -1}, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(letters::DecisionScore(c.confidence, c.top), c.expected);
  }
}

TEST(CodesAlike, PairsBothWaysAndNothingElse) {
  const char* pairs[] = {"cC", "kK", "mM", "nN", "oO", "pP", "sS", "uU", "vV", "wW",
                         "xX", "yY", "zZ", "0o", "0O", "1l", "2z", "2Z", "6b", "9q"};
  for (const char* pair : pairs) {
    EXPECT_TRUE(letters::CodesAlike(pair[0], pair[1])) << pair;
    EXPECT_TRUE(letters::CodesAlike(pair[1], pair[0])) << pair;
  }
  EXPECT_TRUE(letters::CodesAlike('e', 'e'));
  EXPECT_FALSE(letters::CodesAlike('a', 'A'));
  EXPECT_FALSE(letters::CodesAlike('1', 'I'));
  EXPECT_FALSE(letters::CodesAlike('6', 'B'));
  EXPECT_FALSE(letters::CodesAlike(-1, -1));
}

}  // namespace
