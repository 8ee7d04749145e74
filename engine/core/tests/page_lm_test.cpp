#include "engine/core/page_lm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/core/hypothesis.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm_cache.h"
#include "engine/core/semi_class_trigram.h"
#include "engine/core/symbol_table.h"
#include "engine/core/testing/lm_file_writers.h"
#include "test_support.h"

namespace {

using vok::PageLM;
using vok_testing::OlderPageModel;
using vok_testing::SemiClassTrigramModel;

std::string TempPath(const std::string& name) {
  std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(test.begin(), test.end(), '/', '_');
  return ::testing::TempDir() + test + "_" + name;
}

int16_t Saturate(int64_t x) { return static_cast<int16_t>(std::clamp<int64_t>(x, -32768, 32767)); }

// The older model's class scores from the maps, in the order the levels try.
struct OlderOracle {
  const OlderPageModel& m;

  int Requant(int64_t x) const {
    const int s = m.shifts[2];
    int64_t b = m.biases[2];
    if (b > 255) b >>= s;
    return -static_cast<int>(std::clamp<int64_t>(-((x >> s) + b), 0, 255));
  }
  const OlderPageModel::Block* Block(int c1, int c2) const {
    const auto it = m.blocks.find({c1, c2});
    return it == m.blocks.end() ? nullptr : &it->second;
  }
  int Trigram(int c1, int c2, int c3, int* level) const {
    const OlderPageModel::Block* tri = Block(c1, c2);
    if (tri && tri->trigrams.count(static_cast<uint16_t>(c3))) {
      *level = 1;
      return -tri->trigrams.at(static_cast<uint16_t>(c3));
    }
    const int64_t b3 = tri ? tri->backoff : 0;
    if (const OlderPageModel::Block* bi = Block(c2, c3)) {
      *level = 2;
      return Requant(-(b3 + ((int64_t{m.biases[1]} + bi->bigram) << m.shifts[1])));
    }
    *level = 3;
    return Requant(-(b3 + ((int64_t{m.unigrams[c3]} + m.biases[0]) << m.shifts[0]) + m.backoffs[c2]));
  }
  int Bigram(int c1, int c2, int* level) const {
    if (const OlderPageModel::Block* bi = Block(c1, c2)) {
      *level = 1;
      return Requant(-((int64_t{m.biases[1]} + bi->bigram) << m.shifts[1]));
    }
    *level = 2;
    return Requant(-(((int64_t{m.unigrams[c2]} + m.biases[0]) << m.shifts[0]) + m.backoffs[c1]));
  }
};

OlderPageModel RandomOlderModel(int classes, unsigned seed) {
  std::mt19937 rng(seed);
  OlderPageModel m;
  m.words = 99;
  m.classes = classes;
  m.biases[0] = 300;  // above 255: shifted before use
  m.biases[1] = 20;
  m.biases[2] = 10;
  m.shifts[0] = 3;
  m.shifts[1] = 4;
  m.shifts[2] = 2;
  m.person = 1;
  m.place = 2;
  for (int c = 0; c < classes; ++c) {
    m.unigrams.push_back(static_cast<uint8_t>(rng() % 256));
    m.backoffs.push_back(static_cast<uint16_t>(rng() % 2000));
  }
  for (int c1 = 0; c1 < classes; ++c1)
    for (int c2 = 0; c2 < classes; ++c2) {
      if (rng() % 3 == 0) continue;  // no block
      OlderPageModel::Block& block = m.blocks[{c1, c2}];
      block.bigram = static_cast<uint8_t>(rng() % 256);
      block.backoff = static_cast<uint16_t>(rng() % 3000);
      for (int c3 = 0; c3 < classes; ++c3)
        if (rng() % 2) block.trigrams[static_cast<uint16_t>(c3)] = static_cast<uint8_t>(rng() % 256);
    }
  return m;
}

// A word list "<S>", "</S>", "<UNK>", then "w3"... with word i in class
// i % classes, each with in-class byte 7 x i.
class PageWords {
 public:
  explicit PageWords(int n) : words_(64) {
    words_.Add("<S>");
    words_.Add("</S>");
    words_.Add("<UNK>");
    for (int i = 3; i < n; ++i) words_.Add(("w" + std::to_string(i)).c_str());
  }
  void Bind(PageLM* lm, int classes) {
    lm->AllocWords(words_.GetCount());
    for (int i = 0; i < words_.GetCount(); ++i) lm->AddWord(i, i % classes, 7 * i);
    lm->BindClassTokens(words_);
  }
  const vok::SymbolTable& table() const { return words_; }

 private:
  vok::SymbolTable words_;
};

TEST(PageLMCache, EmptiedEntriesReturnToThePool) {
  vok::PageLMCache cache(4);
  // Far beyond 250 blocks of 4 entries: emptying gives the entries back.
  for (int i = 0; i < 300 * 4; ++i) {
    ASSERT_EQ(cache.Insert(static_cast<uint16_t>(i), 1, 2, static_cast<uint16_t>(i)), 0) << i;
    uint16_t score = 0;
    ASSERT_TRUE(cache.Find(static_cast<uint16_t>(i), 1, 2, &score));
    EXPECT_EQ(score, static_cast<uint16_t>(i));
    EXPECT_LE(cache.count(), cache.capacity() / 2 + 1);
  }
  // An equal key replaces its score.
  cache.Insert(9, 9, 9, 1);
  cache.Insert(9, 9, 9, 2);
  uint16_t score = 0;
  ASSERT_TRUE(cache.Find(9, 9, 9, &score));
  EXPECT_EQ(score, 2);
}

class OlderPageLMTest : public ::testing::Test {
 protected:
  static constexpr int kClasses = 7;
  void SetUp() override {
    model_ = RandomOlderModel(kClasses, 11);
    path_ = TempPath("older.plm");
    ASSERT_TRUE(vok_testing::WriteFileBytes(path_, model_.Write()));
  }
  OlderPageModel model_;
  std::string path_;
};

TEST_F(OlderPageLMTest, HeaderAndTokenClasses) {
  PageLM lm(path_.c_str(), 3, 1.0f, 100);
  ASSERT_EQ(lm.status(), 0);
  EXPECT_FALSE(lm.semi_class());
  EXPECT_EQ(lm.class_count(), kClasses);
  EXPECT_EQ(lm.token_class(PageLM::kPerson), 1);
  EXPECT_EQ(lm.token_class(PageLM::kPlace), 2);
  EXPECT_EQ(lm.token_class(PageLM::kIdiom), kClasses - 6);
  EXPECT_EQ(lm.token_class(PageLM::kUnknown), kClasses - 6);
  EXPECT_EQ(lm.token_class(PageLM::kDate), kClasses - 2);
  EXPECT_EQ(lm.token_class(PageLM::kTime), kClasses - 1);
  EXPECT_EQ(lm.token_class(PageLM::kUnused), kClasses - 3);
}

TEST_F(OlderPageLMTest, EveryClassTripleMatchesTheReferenceCachedOrNot) {
  PageLM lm(path_.c_str(), 3, 1.0f, 1000);
  PageWords words(3 + kClasses);
  words.Bind(&lm, kClasses);
  const OlderOracle oracle{model_};
  lm.StartUtterance();
  for (int pass = 0; pass < 2; ++pass) {
    for (int w3 = 3; w3 < 3 + kClasses; ++w3) {
      const int c3 = w3 % kClasses;
      for (int c1 = 0; c1 < kClasses; ++c1)
        for (int c2 = 0; c2 < kClasses; ++c2) {
          int expected_level = 0;
          const int expected = oracle.Trigram(c1, c2, c3, &expected_level) - lm.entry(w3).in_class;
          int level = -1;
          ASSERT_EQ(lm.GetClassTrigramScore(c1, c2, w3, &level), expected) << c1 << " " << c2 << " " << c3;
          EXPECT_EQ(level, pass == 0 ? expected_level : 0);
        }
      for (int c1 = 0; c1 < kClasses; ++c1) {
        int expected_level = 0;
        const int expected = oracle.Bigram(c1, c3, &expected_level) - lm.entry(w3).in_class;
        int level = -1;
        ASSERT_EQ(lm.GetClassBigramScore(c1, w3, &level), expected);
        EXPECT_EQ(level, pass == 0 ? expected_level : 0);
      }
    }
  }
  lm.EndUtterance();
  EXPECT_GT(lm.total_hits(), 0);
  EXPECT_EQ(lm.total_hits() * 2, lm.total_lookups());
}

TEST_F(OlderPageLMTest, BigramsHaveAKeySpaceApartFromTrigramsAfterStart) {
  // Make the trigram after "<S>" (class 0) differ from the bigram.
  OlderPageModel::Block& block = model_.blocks[{0, 3}];
  block.trigrams[4] = 200;
  model_.blocks[{3, 4}].bigram = 1;
  ASSERT_TRUE(vok_testing::WriteFileBytes(path_, model_.Write()));
  PageLM lm(path_.c_str(), 3, 1.0f, 100);
  PageWords words(3 + kClasses);
  words.Bind(&lm, kClasses);
  const OlderOracle oracle{model_};
  int level = 0;
  const int trigram = oracle.Trigram(0, 3, 4, &level) - lm.entry(4).in_class;
  const int bigram = oracle.Bigram(3, 4, &level) - lm.entry(4).in_class;
  ASSERT_NE(trigram, bigram);
  lm.StartUtterance();
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(lm.GetTrigramScore(0, 3, 4), trigram);
    EXPECT_EQ(lm.GetBigramScore(3, 4), bigram);
  }
  lm.EndUtterance();
}

TEST_F(OlderPageLMTest, WeightPenaltyAndSentences) {
  PageLM lm(path_.c_str(), 3, 1.0f, 0);
  PageWords words(3 + kClasses);
  words.Bind(&lm, kClasses);
  PageLM plain(path_.c_str(), 3, 1.0f, 0);
  words.Bind(&plain, kClasses);
  lm.SetWeight(0.5f);
  lm.SetWordPenalty(-3);
  lm.SetWeight(std::numeric_limits<float>::quiet_NaN());  // refused
  EXPECT_EQ(lm.weight(), 0.5f);
  lm.StartUtterance();
  plain.StartUtterance();
  for (int w = 3; w < 3 + kClasses; ++w) {
    const int x = plain.GetTrigramScore(3, 4, w);
    EXPECT_EQ(lm.GetTrigramScore(3, 4, w), static_cast<int>(std::trunc(x * 0.5)) - 3);
  }
  const uint16_t ids[] = {5, 6, 7, 8};
  int64_t expected = plain.GetBigramScore(0, 5) + plain.GetTrigramScore(0, 5, 6) +
                     plain.GetTrigramScore(5, 6, 7) + plain.GetTrigramScore(6, 7, 8);
  EXPECT_EQ(plain.GetSentenceScore(ids, 4), Saturate(expected));
  EXPECT_EQ(plain.GetSentenceScore(ids, 0), 0);

  // The N-best list gets the sentence score (mode 0) or the bigram sum from
  // "<S>" (mode 1) and is sorted again.
  vok::NBestList list(10);
  const uint16_t a[] = {5, 6};
  const uint16_t b[] = {7, 8};
  list.Append(-100, a, 2);
  list.Append(-101, b, 2);
  const int sa = plain.GetSentenceScore(a, 2);
  const int sb = plain.GetSentenceScore(b, 2);
  plain.RescoreNBest(&list, 0);
  ASSERT_EQ(list.count(), 2);
  const int best = std::max(-100 + sa, -101 + sb);
  EXPECT_EQ(list.Get(0).score, best);
  vok::NBestList bigrams(10);
  bigrams.Append(0, a, 2);
  plain.RescoreNBest(&bigrams, 1);
  EXPECT_EQ(bigrams.Get(0).score, plain.GetBigramScore(0, 5) + plain.GetBigramScore(5, 6));
  lm.EndUtterance();
  plain.EndUtterance();
}

TEST_F(OlderPageLMTest, OutsideAnUtteranceLookupsFallBackAndAreNotCached) {
  PageLM lm(path_.c_str(), 3, 1.0f, 100);
  PageWords words(3 + kClasses);
  words.Bind(&lm, kClasses);
  const OlderOracle oracle{model_};
  for (int c1 = 0; c1 < kClasses; ++c1)
    for (int c2 = 0; c2 < kClasses; ++c2) {
      const int w3 = 3 + (c1 + c2) % kClasses;
      int level = 0;
      lm.GetClassTrigramScore(c1, c2, w3, &level);
      EXPECT_EQ(level, PageLM::kUnigram);  // no file: only the in-memory tables
      lm.StartUtterance();
      int expected_level = 0;
      const int expected = oracle.Trigram(c1, c2, w3 % kClasses, &expected_level) - lm.entry(w3).in_class;
      EXPECT_EQ(lm.GetClassTrigramScore(c1, c2, w3, &level), expected);
      EXPECT_EQ(level, expected_level);
      lm.EndUtterance();
    }
}

TEST_F(OlderPageLMTest, WordData) {
  PageLM lm(path_.c_str(), 3, 1.0f, 0);
  lm.AllocWords(10);
  lm.AddWord(3, 2, 240);
  EXPECT_EQ(lm.entry(3).in_class, 240);
  lm.AddWord(3, 2, 250);
  EXPECT_EQ(lm.entry(3).in_class, 240);
  lm.AddWord(4, kClasses + 5, 10);  // beyond the classes: unset, scores as "<UNK>"
  EXPECT_EQ(lm.entry(4).word_class, PageLM::kNoClass);
  vok::SymbolTable words(16);
  for (const char* w : {"<S>", "</S>", "<UNK>", "<PERSON>"}) words.Add(w);
  lm.SetWordCount(2, 4, 1);
  lm.SetWordCount(3, 1, 1);
  lm.BindClassTokens(words);
  EXPECT_EQ(lm.AddPseudoWords(240), 7);
  EXPECT_EQ(lm.entry(65500).word_class, 4);
  EXPECT_EQ(lm.entry(65501).word_class, 1);  // "<PERSON>" is word 3 of class 1
  EXPECT_EQ(lm.entry(65504).word_class, 4);  // no "<IDIOM>": the "<UNK>" class
  for (int id = 65500; id <= 65506; ++id) EXPECT_EQ(lm.entry(id).in_class, 240);
  EXPECT_EQ(lm.WordClass(4), 4);
  EXPECT_EQ(lm.WordClass(65535), 4);
  lm.BoostWord(3, 300);
  EXPECT_EQ(lm.entry(3).in_class, 0);
  lm.ResetWord(3);
  EXPECT_EQ(lm.entry(3).word_class, PageLM::kNoClass);

  // In-class bytes from counts.
  lm.AllocWords(3);
  lm.SetWordCount(0, 1, 30);
  lm.SetWordCount(1, 1, 10);
  lm.SetWordCount(2, 1, 0);
  lm.ComputeInClassScores(5, 2);
  EXPECT_EQ(lm.class_total(1), 40);
  EXPECT_EQ(lm.entry(0).in_class, vok::ScoreByte(0.75, 2, 5));
  EXPECT_EQ(lm.entry(1).in_class, vok::ScoreByte(0.25, 2, 5));
  EXPECT_EQ(lm.entry(2).in_class, 255);
}

TEST_F(OlderPageLMTest, CacheFile) {
  const std::string cache_path = TempPath("cache");
  std::vector<vok_testing::PageCacheRecord> records;
  for (uint16_t k = 0; k < 50; ++k)
    records.push_back({static_cast<uint16_t>(-static_cast<int>(k)), {1, 2, k}});
  ASSERT_TRUE(vok_testing::WriteFileBytes(cache_path, vok_testing::WritePageCache(records)));
  PageLM lm(path_.c_str(), 3, 1.0f, 0);
  EXPECT_EQ(lm.GetMemoryUsage(), 0);
  EXPECT_EQ(lm.LoadCache(cache_path.c_str()), 50);
  ASSERT_NE(lm.cache(), nullptr);
  EXPECT_GT(lm.GetMemoryUsage(), 0);
  PageWords words(3 + kClasses);
  words.Bind(&lm, kClasses);
  int level = -1;
  // Word 5 is of class 5: the cached (1, 2, 5) holds -5.
  EXPECT_EQ(lm.GetClassTrigramScore(1, 2, 5, &level), -5 - lm.entry(5).in_class);
  EXPECT_EQ(level, 0);

  // Absent, short or oversized files leave the cache as it was.
  const struct {
    const char* name;
    vok_testing::Bytes bytes;
  } bad[] = {{"short", {3, 0, 0, 0, 1, 2}}, {"negative", {0xFF, 0xFF, 0xFF, 0xFF}}, {"empty", {}}};
  for (const auto& c : bad) {
    const std::string p = TempPath(c.name);
    ASSERT_TRUE(vok_testing::WriteFileBytes(p, c.bytes));
    EXPECT_EQ(lm.LoadCache(p.c_str()), 0) << c.name;
  }
  EXPECT_EQ(lm.LoadCache((cache_path + ".missing").c_str()), 0);
  EXPECT_EQ(lm.cache()->count(), 50);
}

TEST_F(OlderPageLMTest, PrintTexts) {
  vok_test::CapturedLogStream log;
  PageLM lm(path_.c_str(), 3, 1.0f, 10);
  PageWords words(3 + kClasses);
  words.Bind(&lm, kClasses);
  lm.PrintHeader();
  lm.StartUtterance();
  lm.GetTrigramScore(3, 4, 5);
  lm.GetTrigramScore(3, 4, 5);
  lm.EndUtterance();
  lm.PrintSummary();
  lm.PrintReport();
  const std::string out = log.Text();
  EXPECT_NE(out.find("\nPageLM Header\n" + std::string(27, '-') + "\n"), std::string::npos);
  EXPECT_NE(out.find("Cache Hits = 50.0% (1 out of 2)\n"), std::string::npos);
  EXPECT_NE(out.find("\nPageable LM Report\n" + std::string(56, '-') + "\n"), std::string::npos);
  // Below verbosity 3 the disk lines stay out.
  EXPECT_EQ(out.find("disk access"), std::string::npos);
}

TEST_F(OlderPageLMTest, DamagedFilesAreRefusedOrFallBackWithoutACrash) {
  vok_test::CapturedMessages messages;
  const vok_testing::Bytes good = model_.Write();
  std::mt19937 rng(5);
  PageWords words(3 + kClasses);
  for (int round = 0; round < 60; ++round) {
    vok_testing::Bytes bytes = good;
    if (round < 20) {
      bytes.resize(rng() % bytes.size());
    } else {
      for (int k = 0; k < 1 + round % 5; ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    }
    ASSERT_TRUE(vok_testing::WriteFileBytes(path_, bytes));
    PageLM lm(path_.c_str(), 3, 1.0f, 50);
    words.Bind(&lm, std::max(1, lm.class_count()));
    lm.StartUtterance();
    for (int w1 = 0; w1 < 3 + kClasses; ++w1)
      for (int w3 = 0; w3 < 3 + kClasses; ++w3) {
        const int s = lm.GetTrigramScore(w1, 3, w3);
        EXPECT_LE(s, 0);
        lm.GetBigramScore(w1, w3);
      }
    lm.EndUtterance();
  }
  // Header damage that must be refused.
  for (const int at : {256 + 4, 256 + 4 + 4 + 12}) {  // class count, first shift
    vok_testing::Bytes bytes = good;
    bytes[static_cast<std::size_t>(at)] = 0x7F;
    ASSERT_TRUE(vok_testing::WriteFileBytes(path_, bytes));
    EXPECT_EQ(PageLM(path_.c_str(), 3, 1.0f, 0).status(), -1) << at;
  }
  EXPECT_EQ(PageLM((path_ + ".missing").c_str(), 3, 1.0f, 0).status(), -1);
}

// The semi-class reference: the algorithm over the maps.
struct SemiOracle {
  const SemiClassTrigramModel& m;
  bool with_masses;

  double Power(uint32_t v) const { return std::pow(1.0001, static_cast<double>(uint64_t{v} << m.shift)); }
  double Mass(int b) const {
    return with_masses && b < static_cast<int>(m.masses.size()) ? m.masses[static_cast<std::size_t>(b)]
                                                                : std::pow(1.0001, m.average_backoff);
  }
  double Alpha(int a, int b) const {
    const int k = static_cast<int>(m.masses.size());
    return with_masses && a < k && b < k ? m.alphas[static_cast<std::size_t>(a * k + b)]
                                         : std::pow(1.0001, m.average_backoff);
  }
  uint32_t Backoff(int a, int b, double p) const {
    const double x = Alpha(a, b) * p;
    return static_cast<uint32_t>(x > 0 ? vok::LogValue(x) : vok::kLogZero) >> m.shift;
  }
  int Score(int a, int b, int c, const std::string& word) const {
    int id = -1;
    for (std::size_t i = 0; i < m.words.size(); ++i)
      if (m.words[i].text == word) id = static_cast<int>(i);
    if (id < 0) id = m.class_words[static_cast<std::size_t>(c)];
    const SemiClassTrigramModel::Word& w = m.words[static_cast<std::size_t>(id)];
    uint32_t r = 0;
    if (m.version == 1) {
      const auto ua = static_cast<uint16_t>(a), ub = static_cast<uint16_t>(b);
      if (w.records.count({ub, ua}))
        r = w.records.at({ub, ua});
      else if (w.records.count({ub, 65535}))
        r = Backoff(a, b, Power(w.records.at({ub, 65535})));
      else
        r = Backoff(a, b, Power(w.unigram) * Mass(b));
    } else {
      const auto g = w.groups.find(static_cast<uint16_t>(b));
      if (g == w.groups.end())
        r = Backoff(a, b, Power(w.unigram) * Mass(b));
      else if (g->second.records.count(static_cast<uint16_t>(a)))
        r = uint32_t{g->second.records.at(static_cast<uint16_t>(a))} << 8;
      else
        r = Backoff(a, b, Power(g->second.bigram));
    }
    return Saturate(-static_cast<int64_t>((r & 65535u) >> (8 - m.shift)));
  }
};

constexpr int kSemiClasses = 4;

SemiClassTrigramModel RandomSemiModel(int version, unsigned seed) {
  std::mt19937 rng(seed);
  SemiClassTrigramModel m;
  m.version = version;
  m.classes = kSemiClasses;
  m.average_backoff = 700;
  m.shift = version == 1 ? 4 : 2;
  for (const char* text : {"w3", "w4", "c2", "c3"}) {
    SemiClassTrigramModel::Word w;
    w.text = text;
    w.unigram = static_cast<uint16_t>(rng() % 400);
    for (uint16_t b = 0; b < kSemiClasses; ++b) {
      if (rng() % 4 == 0) continue;
      if (rng() % 2) w.records[{b, 65535}] = static_cast<uint16_t>(rng() % 300);
      w.groups[b].bigram = static_cast<uint16_t>(rng() % 300);
      for (uint16_t a = 0; a < kSemiClasses; ++a) {
        if (rng() % 2) continue;
        w.records[{b, a}] = static_cast<uint16_t>(rng() % 4000);
        w.groups[b].records[a] = static_cast<uint8_t>(rng() % 256);
      }
    }
    m.words.push_back(w);
  }
  m.class_words = {2, 2, 2, 3};
  for (int k = 0; k < kSemiClasses; ++k) m.masses.push_back(1.0f + static_cast<float>(rng() % 50));
  for (int k = 0; k < kSemiClasses * kSemiClasses; ++k)
    m.alphas.push_back(1.0f + static_cast<float>(rng() % 9));
  return m;
}

struct SemiCase {
  int version;
  bool with_masses;
};

class SemiClassPageLMTest : public ::testing::TestWithParam<SemiCase> {
 protected:
  void SetUp() override {
    model_ = RandomSemiModel(GetParam().version, 17);
    path_ = TempPath("semi.plm");
    std::remove((path_ + "a").c_str());
    ASSERT_TRUE(vok_testing::WriteFileBytes(path_, model_.Write()));
    if (GetParam().with_masses) {
      ASSERT_TRUE(vok_testing::WriteFileBytes(path_ + "a", model_.WriteMasses()));
    }
  }
  SemiClassTrigramModel model_;
  std::string path_;
};

TEST_P(SemiClassPageLMTest, EveryClassTripleMatchesTheReferenceCachedOrNot) {
  PageLM lm(path_.c_str(), 3, 1.0f, 1000);
  ASSERT_EQ(lm.status(), 0);
  ASSERT_TRUE(lm.semi_class());
  EXPECT_EQ(lm.class_count(), kSemiClasses);
  // Words 3 "w3" and 4 "w4" are listed; 5 "w5" and the pseudo-word 65500 are not.
  PageWords words(6);
  words.Bind(&lm, kSemiClasses);
  const SemiOracle oracle{model_, GetParam().with_masses};
  lm.StartUtterance();
  for (int pass = 0; pass < 2; ++pass)
    for (int w3 : {3, 4, 5}) {
      const std::string text = "w" + std::to_string(w3);
      for (int a = 0; a < kSemiClasses; ++a)
        for (int b = 0; b < kSemiClasses; ++b) {
          int level = -1;
          ASSERT_EQ(lm.GetClassTrigramScore(a, b, w3, &level), oracle.Score(a, b, lm.WordClass(w3), text))
              << a << " " << b << " " << text;
          EXPECT_EQ(level, pass == 0 ? 1 : 0);
        }
      // The class bigram form looks an unlisted word up under class 2's word.
      for (int c1 = 0; c1 < kSemiClasses; ++c1)
        EXPECT_EQ(lm.GetClassBigramScore(c1, w3), oracle.Score(lm.token_class(PageLM::kStart), c1, 2, text));
    }
  EXPECT_EQ(lm.GetBigramScore(3, 4),
            oracle.Score(lm.token_class(PageLM::kStart), lm.WordClass(3), lm.WordClass(4), "w4"));
  lm.EndUtterance();
  vok_test::CapturedLogStream log;
  lm.PrintReport();
  EXPECT_NE(log.Text().find("Trigram backoff hits"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Forms, SemiClassPageLMTest,
                         ::testing::Values(SemiCase{1, false}, SemiCase{1, true}, SemiCase{2, false},
                                           SemiCase{2, true}));

TEST(SemiClassPageLM, FirstGroupOfAVersionTwoBlockIsFound) {
  SemiClassTrigramModel m;
  m.version = 2;
  m.classes = 3;
  m.shift = 3;
  SemiClassTrigramModel::Word w;
  w.text = "w3";
  w.groups[0].records[1] = 9;
  w.groups[0].records[2] = 11;
  w.groups[2].records[0] = 13;
  m.words = {w};
  m.class_words = {0, 0, 0};
  const std::string path = TempPath("v2.plm");
  ASSERT_TRUE(vok_testing::WriteFileBytes(path, m.Write()));
  PageLM lm(path.c_str(), 3, 1.0f, 0);
  PageWords words(4);
  words.Bind(&lm, 3);
  lm.StartUtterance();
  EXPECT_EQ(lm.GetClassTrigramScore(1, 0, 3), -(9 << 3));
  EXPECT_EQ(lm.GetClassTrigramScore(2, 0, 3), -(11 << 3));
  EXPECT_EQ(lm.GetClassTrigramScore(0, 2, 3), -(13 << 3));  // after the first group's records
  lm.EndUtterance();
  EXPECT_EQ(lm.semi_class_trigram()->trigram_backoffs(), 0);
}

TEST(SemiClassPageLM, UnknownVersionScoresTheFloor) {
  vok_test::CapturedMessages messages;
  SemiClassTrigramModel m = RandomSemiModel(1, 3);
  m.version = 9;
  const std::string path = TempPath("v9.plm");
  ASSERT_TRUE(vok_testing::WriteFileBytes(path, m.Write()));
  PageLM lm(path.c_str(), 3, 1.0f, 0);
  EXPECT_EQ(lm.status(), -1);
  EXPECT_NE(messages.Output().find("Trigram unknown version!"), std::string::npos);
  lm.StartUtterance();
  int level = 0;
  EXPECT_EQ(lm.GetClassTrigramScore(0, 0, 3, &level), -255);
  EXPECT_EQ(level, 1);
  lm.EndUtterance();
}

TEST(SemiClassPageLM, DamagedFilesAreRefusedOrFallBackWithoutACrash) {
  vok_test::CapturedMessages messages;
  for (int version : {1, 2}) {
    const SemiClassTrigramModel m = RandomSemiModel(version, 23);
    const vok_testing::Bytes good = m.Write();
    const vok_testing::Bytes masses = m.WriteMasses();
    const std::string path = TempPath("damaged.plm");
    std::mt19937 rng(static_cast<unsigned>(version));
    PageWords words(6);
    for (int round = 0; round < 80; ++round) {
      vok_testing::Bytes bytes = good;
      vok_testing::Bytes mass_bytes = masses;
      if (round < 20) {
        bytes.resize(rng() % bytes.size());
      } else if (round < 30) {
        mass_bytes.resize(rng() % mass_bytes.size());
      } else {
        vok_testing::Bytes& target = round % 4 == 0 ? mass_bytes : bytes;
        for (int k = 0; k < 1 + round % 4; ++k)
          target[64 + rng() % (target.size() - 64)] = static_cast<uint8_t>(rng());
      }
      ASSERT_TRUE(vok_testing::WriteFileBytes(path, bytes));
      ASSERT_TRUE(vok_testing::WriteFileBytes(path + "a", mass_bytes));
      PageLM lm(path.c_str(), 3, 1.0f, 20);
      words.Bind(&lm, std::max(1, lm.class_count()));
      lm.StartUtterance();
      for (int a = 0; a < 6; ++a)
        for (int w = 0; w < 6; ++w) {
          EXPECT_LE(lm.GetClassTrigramScore(a, a % 4, w), 0);
          lm.GetClassBigramScore(a, 65500);
        }
      lm.EndUtterance();
    }
  }
}

}  // namespace
