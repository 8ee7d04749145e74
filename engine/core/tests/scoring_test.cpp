#include "engine/core/scoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/core/messages.h"
#include "engine/core/string_map.h"
#include "engine/core/symbol_table.h"

namespace {

using vok::Scoring;

struct Stats {
  int sub = 0, ins = 0, del = 0, words = 0;
  float percent = 0;
};

Stats Sentence(const Scoring& s) {
  Stats r;
  s.GetSentenceStats(&r.sub, &r.ins, &r.del, &r.words, &r.percent);
  return r;
}

class ScoringTest : public ::testing::Test {
 protected:
  void SetUp() override { vok::ErrorClear(); }
  void TearDown() override { vok::ErrorClear(); }
  Scoring scoring_;
};

TEST_F(ScoringTest, EdgeCases) {
  struct Case {
    const char* reference;
    const char* hypothesis;
    bool case_sensitive;
    int sub, ins, del, words;
  };
  const Case cases[] = {
      {"a b c", "a x c", false, 1, 0, 0, 3}, {"a b", "a b c", false, 0, 1, 0, 2},
      {"a b c", "a c", false, 0, 0, 1, 3},   {"A", "a", false, 0, 0, 0, 1},
      {"A", "a", true, 1, 0, 0, 1},          {"a\tb\r\n", "a b", false, 0, 0, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.reference << " / " << c.hypothesis);
    ASSERT_EQ(scoring_.CompareSentences(c.reference, c.hypothesis, c.case_sensitive), 0);
    const Stats s = Sentence(scoring_);
    EXPECT_EQ(s.sub, c.sub);
    EXPECT_EQ(s.ins, c.ins);
    EXPECT_EQ(s.del, c.del);
    EXPECT_EQ(s.words, c.words);
  }
}

TEST_F(ScoringTest, PercentAndTotals) {
  ASSERT_EQ(scoring_.CompareSentences("a b c", "a x c", false), 0);
  EXPECT_NEAR(Sentence(scoring_).percent, 33.3f, 0.05f);
  ASSERT_EQ(scoring_.CompareSentences("a b c", "a c", false), 0);
  EXPECT_EQ(scoring_.last_cost(), 10);
  ASSERT_EQ(scoring_.CompareSentences("d", "d", false), 0);
  int sub, ins, del, words;
  float percent;
  scoring_.GetTotalStats(&sub, &ins, &del, &words, &percent);
  EXPECT_EQ(sub, 1);
  EXPECT_EQ(del, 1);
  EXPECT_EQ(ins, 0);
  EXPECT_EQ(words, 7);
  EXPECT_NEAR(percent, 200.0f / 7.0f, 1e-4);
  EXPECT_EQ(scoring_.sentences(), 3);
  EXPECT_EQ(scoring_.correct_sentences(), 1);
}

TEST_F(ScoringTest, EmptySentences) {
  EXPECT_EQ(scoring_.CompareSentences("  ", "a", false), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errGetRefWordsFailed"));
  EXPECT_EQ(scoring_.sentences(), 0);
  EXPECT_EQ(Sentence(scoring_).percent, -1.0f);
  EXPECT_EQ(scoring_.CompareSentences("a b", "", false), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errGetHypWordsFailed"));
  const Stats s = Sentence(scoring_);
  EXPECT_EQ(s.del, 2);
  EXPECT_EQ(s.words, 2);
  EXPECT_EQ(scoring_.sentences(), 1);
}

TEST_F(ScoringTest, ConfusionMapGetsPairs) {
  vok::StringMap map(100);
  scoring_.SetConfusionMap(&map);
  ASSERT_EQ(scoring_.CompareSentences("a b", "a b c", false), 0);
  ASSERT_NE(map.Lookup("c"), nullptr);
  EXPECT_STREQ(map.Lookup("c")->record->value, "<INS>");
  EXPECT_STREQ(map.Lookup("a")->record->value, "a");
  ASSERT_EQ(scoring_.CompareSentences("a b", "a", false), 0);
  const vok::StringMap::ValueLink* b = map.Lookup("b");
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(b->record->value, "b");
  EXPECT_STREQ(b->next->record->value, "<DEL>");
  EXPECT_EQ(map.Lookup("a")->record->count, 2);
}

TEST_F(ScoringTest, IgnoredWordsExceptTheFirst) {
  scoring_.SetIgnoredWords({"uh"});
  ASSERT_EQ(scoring_.CompareSentences("a b", "a uh b uh", false), 0);
  EXPECT_EQ(Sentence(scoring_).ins, 0);
  ASSERT_EQ(scoring_.CompareSentences("uh a", "a", false), 0);
  EXPECT_EQ(Sentence(scoring_).del, 1);  // the first word stays
}

TEST_F(ScoringTest, LongSentencesAreRefused) {
  std::string words;
  for (int i = 0; i < 199; ++i) words += "w ";
  EXPECT_EQ(scoring_.CompareSentences(words.c_str(), words.c_str(), false), 0);
  words += "w";
  EXPECT_EQ(scoring_.CompareSentences(words.c_str(), "w", false), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errSentenceTooLong"));
  EXPECT_EQ(scoring_.sentences(), 1);
}

TEST_F(ScoringTest, PrintsThroughTheLog) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  vok::SetLogStream(log);
  scoring_.PrintSentenceStats();  // nothing compared: percent -1, nothing printed
  ASSERT_EQ(scoring_.CompareSentences("a b c", "a x c", false), 0);
  scoring_.PrintSentenceStats();
  scoring_.PrintTotalStats();
  vok::SetLogStream(nullptr);
  std::rewind(log);
  char text[256] = {};
  const std::size_t n = std::fread(text, 1, sizeof text - 1, log);
  std::fclose(log);
  EXPECT_EQ(std::string(text, n),
            "ERRORS: 0 ins 0 del 1 sub 3 wds (33.3%)\nTOTALS: 0 ins 0 del 1 sub 3 wds (33.3%)\n");
}

// Weighted edit distance by plain recursion over every alignment.
int BruteForceCost(const std::vector<std::string>& r, std::size_t i, const std::vector<std::string>& h,
                   std::size_t j) {
  if (i == r.size()) return 10 * static_cast<int>(h.size() - j);
  if (j == h.size()) return 10 * static_cast<int>(r.size() - i);
  const int diagonal = BruteForceCost(r, i + 1, h, j + 1) + (r[i] == h[j] ? 0 : 15);
  const int deletion = BruteForceCost(r, i + 1, h, j) + 10;
  const int insertion = BruteForceCost(r, i, h, j + 1) + 10;
  return std::min({diagonal, deletion, insertion});
}

TEST_F(ScoringTest, MatchesBruteForceEditDistance) {
  std::mt19937 random(8106);
  const char* vocabulary[] = {"a", "b", "c", "d"};
  for (int round = 0; round < 400; ++round) {
    std::vector<std::string> ref(1 + random() % 6);
    std::vector<std::string> hyp(1 + random() % 6);
    std::string ref_text, hyp_text;
    for (auto& w : ref) {
      w = vocabulary[random() % 4];
      ref_text += w + " ";
    }
    for (auto& w : hyp) {
      w = vocabulary[random() % 4];
      hyp_text += w + " ";
    }
    SCOPED_TRACE(ref_text + "/ " + hyp_text);
    ASSERT_EQ(scoring_.CompareSentences(ref_text.c_str(), hyp_text.c_str(), true), 0);
    const Stats s = Sentence(scoring_);
    const int expected = BruteForceCost(ref, 0, hyp, 0);
    EXPECT_EQ(scoring_.last_cost(), expected);
    EXPECT_EQ(10 * s.ins + 10 * s.del + 15 * s.sub, expected);
    EXPECT_EQ(s.ins - s.del, static_cast<int>(hyp.size()) - static_cast<int>(ref.size()));
    EXPECT_LE(s.sub + s.del, static_cast<int>(ref.size()));
  }
}

TEST(SegmentWordsTest, GreedyLongestMatch) {
  vok::SymbolTable words(4);
  words.Add("ab");
  words.Add("abc");
  uint16_t ids[16];
  ASSERT_EQ(vok::SegmentWords(words, 3, "abcab", ids, 16), 0);
  ASSERT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], words.Find("abc"));
  EXPECT_EQ(ids[2], words.Find("ab"));
  ASSERT_EQ(vok::SegmentWords(words, 3, "xabz", ids, 16), 0);
  ASSERT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], words.Find("ab"));
  ASSERT_EQ(vok::SegmentWords(words, 3, "", ids, 16), 0);
  EXPECT_EQ(ids[0], 0);
}

TEST(SegmentWordsTest, SingleBytesAreNeverLookedUp) {
  vok::SymbolTable words(4);
  words.Add("a");
  uint16_t ids[4];
  vok::SegmentWords(words, 3, "aaa", ids, 4);
  EXPECT_EQ(ids[0], 0);
}

TEST(SegmentWordsTest, NeverSplitsADoubleByteCharacter) {
  // GB2312: \xB0\xA1 and \xB0\xA2 are two characters; the bytes \xA1\xB0
  // across their boundary form a known "word" that a byte-wise step would
  // match.
  vok::SymbolTable words(8);
  words.Add("\xA1\xB0");
  words.Add("\xB0\xA2");
  uint16_t ids[8];
  ASSERT_EQ(vok::SegmentWords(words, 4, "\xB0\xA1\xB0\xA2", ids, 8), 0);
  ASSERT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], words.Find("\xB0\xA2"));
  // A three-byte candidate would cut the second character: not tried.
  words.Add("\xB0\xA1\xB0");
  ASSERT_EQ(vok::SegmentWords(words, 3, "\xB0\xA1\xB0\xA2", ids, 8), 0);
  ASSERT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], words.Find("\xB0\xA2"));
  // Mixed text: ASCII bytes step one at a time.
  words.Add("x\xB0");
  ASSERT_EQ(vok::SegmentWords(words, 4, "x\xB0\xA2", ids, 8), 0);
  ASSERT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], words.Find("\xB0\xA2"));
}

TEST(SegmentWordsTest, BoundsTextAndIds) {
  vok::SymbolTable words(4);
  words.Add("ab");
  std::string text;
  for (int i = 0; i < 200; ++i) text += "ab";
  uint16_t ids[200];
  ASSERT_EQ(vok::SegmentWords(words, 2, text.c_str(), ids, 200), 0);
  EXPECT_EQ(ids[0], 127);  // 255 bytes kept
  uint16_t few[4];
  ASSERT_EQ(vok::SegmentWords(words, 2, text.c_str(), few, 4), 0);
  EXPECT_EQ(few[0], 3);
}

}  // namespace
