#include "engine/core/core_lm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/core/cache_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/log_score.h"
#include "engine/core/resources.h"
#include "engine/core/semi_class_bigram.h"
#include "engine/core/symbol_table.h"
#include "engine/core/testing/lm_file_writers.h"
#include "test_support.h"

namespace {

using vok::CacheLM;
using vok::CoreLM;

// The older class bigram form, written independently of the reader.
vok_testing::OlderClassBigramModel OlderModel(int classes, int bias, int shift) {
  vok_testing::OlderClassBigramModel m;
  m.unused_fill = 0xAA;
  m.words = 1234;
  m.classes = classes;
  m.bias = bias;
  m.shift = shift;
  m.person = 7;
  m.place = 8;
  m.discarded = 9;
  m.table.assign(static_cast<std::size_t>(classes) * static_cast<std::size_t>(classes), 0);
  return m;
}

std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) {
  const std::string path =
      ::testing::TempDir() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// Words "<S>" 0, "</S>" 1, "<UNK>" 2, "a" 3, "b" 4, "c" 5 in classes 0, 1,
// 2, 3, 3, 2 over four classes.
class CoreLMTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto writer = OlderModel(4, 0, 2);
    for (int c1 = 0; c1 < 4; ++c1)
      for (int c2 = 0; c2 < 4; ++c2) writer.Set(c1, c2, static_cast<uint8_t>(10 * c1 + c2));
    path_ = WriteFile("core_lm_small.bin", writer.Write());
    lm_ = std::make_unique<CoreLM>(nullptr, path_.c_str());
    ASSERT_EQ(lm_->status(), 0);
    words_.Init(16);
    const char* names[] = {"<S>", "</S>", "<UNK>", "a", "b", "c"};
    const int classes[] = {0, 1, 2, 3, 3, 2};
    const int counts[] = {50, 50, 5, 30, 10, 3};
    lm_->AllocWords(6);
    for (int i = 0; i < 6; ++i) {
      words_.Add(names[i]);
      lm_->SetWordCount(i, classes[i], counts[i]);
    }
    lm_->BindClassTokens(words_);
  }
  void TearDown() override { std::remove(path_.c_str()); }

  std::string path_;
  std::unique_ptr<CoreLM> lm_;
  vok::SymbolTable words_;
};

TEST_F(CoreLMTest, ReadsTheOlderForm) {
  EXPECT_EQ(lm_->class_count(), 4);
  EXPECT_EQ(lm_->bigram_shift(), 2);
  EXPECT_EQ(lm_->table_byte(2, 3), 23);
  EXPECT_EQ(lm_->table_byte(4, 0), 255);  // beyond the classes
  EXPECT_EQ(lm_->table_byte(65535, 0), 255);
}

TEST(CoreLMFileTest, CorruptFilesAreRefused) {
  auto writer = OlderModel(3, 0, 2);
  const std::vector<unsigned char> good = writer.Write();
  auto short_header = writer;
  short_header.header_length = 511;
  auto with_int = [&](std::size_t at, uint32_t v) {
    std::vector<unsigned char> b = good;
    for (int k = 0; k < 4; ++k) b.at(at + k) = static_cast<unsigned char>(v >> (24 - 8 * k));
    return b;
  };
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
  } cases[] = {
      {"empty", {}},
      {"header length 511", short_header.Write()},
      {"short header", std::vector<unsigned char>(good.begin(), good.begin() + 300)},
      {"short table", std::vector<unsigned char>(good.begin(), good.end() - 1)},
      {"negative class count", with_int(260, 0xFFFFFFFF)},
      {"class count beyond the file", with_int(260, 40000)},
      {"class count 65535", with_int(260, 65535)},
      {"shift 31", with_int(268, 31)},
      {"negative shift", with_int(268, 0xFFFFFFFE)},
  };
  vok_test::CapturedMessages messages;
  for (const Case& c : cases) {
    const std::string path = WriteFile("core_lm_corrupt.bin", c.bytes);
    CoreLM lm(nullptr, path.c_str());
    EXPECT_EQ(lm.status(), -1) << c.name;
    std::remove(path.c_str());
  }
  EXPECT_NE(messages.Errors().find("header length = 511"), std::string::npos);
  CoreLM missing(nullptr, "/nonexistent/core.lm");
  EXPECT_EQ(missing.status(), -1);
  const std::string path = WriteFile("core_lm_good.bin", good);
  EXPECT_EQ(CoreLM(nullptr, path.c_str()).status(), 0);
  std::remove(path.c_str());
}

TEST_F(CoreLMTest, ClassTokensAndPseudoWords) {
  EXPECT_EQ(lm_->token_id(CoreLM::kStart), 0);
  EXPECT_EQ(lm_->token_class(CoreLM::kEnd), 1);
  EXPECT_EQ(lm_->token_id(CoreLM::kUnknown), 2);
  EXPECT_EQ(lm_->token_id(CoreLM::kPerson), 65501);  // absent: pseudo-word
  EXPECT_EQ(lm_->token_class(CoreLM::kPerson), 2);   // with the class of "<UNK>"
  EXPECT_EQ(lm_->AddPseudoWords(240), 7);
  for (int id = 65500; id <= 65506; ++id) {
    EXPECT_EQ(lm_->entry(id).word_class, 2) << id;
    EXPECT_EQ(lm_->entry(id).unigram, 240) << id;
    EXPECT_EQ(lm_->entry(id).in_class, 240) << id;
  }
}

TEST_F(CoreLMTest, WordEditing) {
  lm_->AddWord(3, 1, 100);
  EXPECT_EQ(lm_->entry(3).in_class, 100);
  lm_->AddWord(3, 2, 200);  // a higher score changes only the class
  EXPECT_EQ(lm_->entry(3).word_class, 2);
  EXPECT_EQ(lm_->entry(3).in_class, 100);
  lm_->BoostWord(3, 150);
  EXPECT_EQ(lm_->entry(3).in_class, 0);
  lm_->BoostWord(3, -300);
  EXPECT_EQ(lm_->entry(3).unigram, 255);
  lm_->AddWord(4, 1000, 5);  // a class beyond the model's: unset, scores as "<UNK>"
  EXPECT_EQ(lm_->entry(4).word_class, 65535);
  EXPECT_EQ(lm_->ScoringClass(4), 2);
  lm_->ResetWord(4);
  EXPECT_EQ(lm_->entry(4).in_class, 255);
  lm_->AddWord(65535, 1, 0);  // never indexes
  EXPECT_EQ(lm_->entry(65535).word_class, 65535);
  EXPECT_EQ(lm_->word_count_of(65535), -1);
}

TEST_F(CoreLMTest, Scores) {
  lm_->ComputeScores();
  lm_->AddPseudoWords(240);
  lm_->ApplySentenceEndRule();
  EXPECT_EQ(lm_->table_byte(1, 0), 255);
  EXPECT_EQ(lm_->table_byte(1, 1), 0);
  EXPECT_EQ(lm_->table_byte(0, 1), 255);
  // After "</S>" only "</S>" may follow.
  EXPECT_EQ(lm_->GetBigramScore(1, 3), CoreLM::kForbidden);
  EXPECT_NE(lm_->GetBigramScore(1, 1), CoreLM::kForbidden);
  EXPECT_EQ(lm_->GetContinuationScore(1, 3), CoreLM::kForbidden);

  const int b = lm_->table_byte(3, 2) + lm_->entry(5).in_class;
  EXPECT_EQ(lm_->GetBigramScore(3, 5), -b);
  EXPECT_EQ(lm_->GetUnigramScore(3), -static_cast<int>(lm_->entry(3).unigram * 0.5f));
  CoreLM::WordTerms terms;
  const int16_t total = lm_->GetWordScore(0, 3, &terms);
  EXPECT_EQ(terms.bigram, -lm_->table_byte(0, 3));
  EXPECT_EQ(terms.in_class, -lm_->entry(3).in_class);
  EXPECT_EQ(terms.unigram, -lm_->entry(3).unigram);
  EXPECT_EQ(total, static_cast<int>((terms.bigram + terms.in_class) * 1.0f + terms.unigram * 0.5f));
  EXPECT_EQ(terms.word_class, 3);
  // A reset word scores as "<UNK>" with the floor byte.
  lm_->ResetWord(4);
  EXPECT_EQ(lm_->GetBigramScore(3, 4), -(lm_->table_byte(3, 2) + 255));
  EXPECT_EQ(lm_->GetBigramScore(3, 65535), -(lm_->table_byte(3, 2) + 255));

  const uint16_t sentence[] = {3, 5, 4};
  CoreLM::WordTerms per_word[3];
  int sum = 0, previous = 0;
  for (int k = 0; k < 3; ++k) {
    sum += lm_->GetWordScore(previous, sentence[k], nullptr);
    previous = lm_->ScoringClass(sentence[k]);
  }
  EXPECT_EQ(lm_->GetSentenceScore(sentence, 3, per_word), sum);
  EXPECT_EQ(per_word[1].word_class, 2);
  EXPECT_EQ(lm_->GetBigramSum(sentence, 3),
            lm_->GetBigramScore(0, 3) + lm_->GetBigramScore(3, 5) + lm_->GetBigramScore(5, 4));
  // Long sums saturate instead of wrapping.
  const std::vector<uint16_t> long_sentence(400, 4);
  EXPECT_EQ(lm_->GetSentenceScore(long_sentence.data(), 400, nullptr), -32768);
  EXPECT_EQ(lm_->GetUnigramSum(long_sentence.data(), 400), -32768);
}

// What a decoder derives from the class table stays valid while the
// revision stays: the sentence end rule changes the table and the revision,
// and a second model never shares the revision of the first.
TEST_F(CoreLMTest, TableRevisionChangesWithTheTable) {
  const uint64_t read = lm_->table_revision();
  lm_->ComputeScores();
  EXPECT_EQ(lm_->table_revision(), read);
  lm_->ApplySentenceEndRule();
  const uint64_t ruled = lm_->table_revision();
  EXPECT_NE(ruled, read);
  const CoreLM other(nullptr, path_.c_str());
  ASSERT_EQ(other.status(), 0);
  EXPECT_NE(other.table_revision(), read);
  EXPECT_NE(other.table_revision(), ruled);
}

// Independent reimplementation of the count-to-byte conversion.
struct Oracle {
  static int Quantile(std::vector<int> costs, double offset, double f, int total) {
    for (int& c : costs) c = static_cast<int>(std::min(c + offset, 10000.0));
    std::sort(costs.begin(), costs.end());
    const double target = f * total;
    for (std::size_t k = 0; k < costs.size(); ++k)
      if (static_cast<double>(k + 1) >= target) return static_cast<int>(costs[k] - offset);
    return -1;
  }
};

TEST_F(CoreLMTest, ComputeScoresMatchesAnIndependentReimplementation) {
  lm_->ComputeScores();
  const int s = 2;
  // Counts: the six words, then 65535 - 6 words of "<UNK>" with count 1.
  std::vector<int> word_class = {0, 1, 2, 3, 3, 2};
  std::vector<long long> count = {50, 50, 5, 30, 10, 3};
  for (int w = 6; w < 65535; ++w) {
    word_class.push_back(2);
    count.push_back(1);
  }
  long long total = 0, largest = 0;
  std::vector<long long> class_total(4, 0);
  for (std::size_t w = 0; w < count.size(); ++w) {
    total += count[w];
    largest = std::max(largest, count[w]);
    class_total[word_class[w]] += count[w];
  }
  auto cost = [](double p) { return static_cast<int>(-std::trunc(std::log(p) / std::log1p(1e-4L) + 0.5)); };
  std::vector<int> in_class_costs, unigram_costs;
  for (std::size_t w = 0; w < count.size(); ++w) {
    in_class_costs.push_back(cost(double(count[w]) / class_total[word_class[w]]) >> s);
    unigram_costs.push_back(cost(double(count[w]) / total) >> s);
  }
  const int offset = -(cost(double(largest) / total) >> s);
  const int in_class_bias = Oracle::Quantile(in_class_costs, 0, 1 - 0.3f, 65535) - 255;
  const int unigram_bias = Oracle::Quantile(unigram_costs, offset, 1 - 0.85f, 65535) - 255;
  EXPECT_EQ(lm_->in_class_bias(), in_class_bias);
  EXPECT_EQ(lm_->unigram_bias(), unigram_bias);
  EXPECT_EQ(lm_->in_class_shift(), s);
  EXPECT_EQ(lm_->unigram_shift(), s);
  auto byte = [&](double p, int bias) {
    const long long b = bias > 255 ? bias >> s : bias;
    const long long v = -((-static_cast<long long>(cost(p)) >> s) + b);
    return static_cast<int>(std::clamp<long long>(v, 0, 255));
  };
  for (int w = 0; w < 6; ++w) {
    EXPECT_EQ(lm_->entry(w).unigram, byte(double(count[w]) / total, unigram_bias)) << w;
    int in_class = byte(double(count[w]) / class_total[word_class[w]], in_class_bias);
    if (word_class[w] == 2) in_class = std::min(in_class, 120);
    EXPECT_EQ(lm_->entry(w).in_class, in_class) << w;
  }
  for (int w : {6, 1000, 65499, 65534}) {
    EXPECT_EQ(lm_->entry(w).word_class, 2) << w;
    EXPECT_EQ(lm_->entry(w).unigram, 240) << w;
    EXPECT_EQ(lm_->entry(w).in_class, 240) << w;
  }
}

TEST(CoreLMOptionsTest, ReadFromTheStoreAndSetters) {
  vok::Resources resources;
  resources.Put("LMBackend", "ClassBigramWeight", "2.0");
  resources.Put("LMBackend", "WordProbWeight", "1.0");
  auto writer = OlderModel(2, 0, 0);
  writer.Set(0, 1, 10);
  const std::string path = WriteFile("core_lm_options.bin", writer.Write());
  CoreLM lm(&resources, path.c_str());
  std::remove(path.c_str());
  vok::SymbolTable words(4);
  words.Add("<S>");
  words.Add("x");
  lm.AllocWords(2);
  lm.SetWordCount(0, 0, 1);
  lm.SetWordCount(1, 1, 1);
  lm.AddWord(1, 1, 7);
  EXPECT_EQ(lm.GetBigramScore(0, 1), -34);  // (10 + 7) x 2
  EXPECT_EQ(lm.GetUnigramScore(1), -7);
  lm.SetClassBigramWeight(0.5f);
  EXPECT_EQ(lm.GetBigramScore(0, 1), -8);
}

TEST_F(CoreLMTest, CacheModelTermWinsWhenBetter) {
  lm_->ComputeScores();
  CacheLM cache(nullptr, 65535, lm_->in_class_bias(), lm_->in_class_shift());
  cache.set_weight(0.25f);
  const uint16_t list[] = {2, 3, 3};
  cache.AddWords(list);
  ASSERT_EQ(cache.Update(), 0);
  const int own3 = -static_cast<int>(lm_->entry(3).unigram * 0.5f);
  const int own4 = -static_cast<int>(lm_->entry(4).unigram * 0.5f);
  lm_->SetCacheLM(&cache);
  EXPECT_EQ(lm_->GetUnigramScore(3), std::max(own3, -static_cast<int>(cache.GetScoreByte(3) * 0.25f)));
  // Absent from the ring: byte 255 x 0.25 = -63 only wins over a worse own term.
  EXPECT_EQ(lm_->GetUnigramScore(4), std::max(own4, -63));
  lm_->SetCacheLM(nullptr);
  EXPECT_EQ(lm_->GetUnigramScore(3), own3);
}

TEST_F(CoreLMTest, RemoveScoresFromNBestAndPrintTexts) {
  lm_->ComputeScores();
  vok::NBestList list(4);
  const uint16_t a[] = {3, 4};
  list.Append(-50, a, 2);
  lm_->RemoveScoresFromNBest(&list, true);
  EXPECT_EQ(list.Get(0).score, -50 - lm_->GetBigramSum(a, 2));
  lm_->RemoveScoresFromNBest(&list, false);
  EXPECT_EQ(list.Get(0).score, -50 - lm_->GetBigramSum(a, 2) - lm_->GetUnigramSum(a, 2));
  EXPECT_EQ(lm_->GetMemoryUsage(), (4 + 4) * 4 + 4 * 65535 + 4);

  vok_test::CapturedLogStream log;
  const CoreLM::WordTerms terms[] = {{3, -10, -1, -2, -3}, {2, -20, -4, -5, -6}};
  CoreLM::PrintWordTerms(terms, 2, "++");
  lm_->PrintHeader();
  const std::string text = log.Text();
  EXPECT_EQ(text.substr(0, 30), "++-10(-1,-2,-3) -20(-4,-5,-6) ");
  EXPECT_NE(text.find("\nCoreLM Header\n" + std::string(37, '-') +
                      "\n# Words:           6\n# Classes:         4\n"),
            std::string::npos);
  EXPECT_NE(text.find("Pr(c2|c1) ceiling cnt:       1 (6.2 perc)\n"), std::string::npos);
}

// Words "<S>" 0, "</S>" 1, "<UNK>" 2, "a" 3, "b" 4 (listed by the model) and
// "x" 5 (not listed), over 300 classes so that the second list is used.
class SemiClassBigramTest : public ::testing::Test {
 protected:
  static constexpr int kClasses = 300;
  void SetUp() override {
    model_.classes = kClasses;
    model_.bias = 100;
    model_.shift = 3;
    for (const char* text : {"<S>", "</S>", "a", "b"}) {
      vok_testing::SemiClassBigramModel::Word w;
      w.text = text;
      w.weight = 2.0f;
      model_.words.push_back(w);
    }
    model_.words[2].scores = {{0, 7}, {3, 9}, {260, 11}};
    model_.words[3].scores = {{0, 17}, {259, 4}, {260, 33}};
    model_.words[3].weight = 100.0f;
    for (int c = 0; c < kClasses; ++c) model_.masses.push_back(1.0f + static_cast<float>(c));
    path_ = WriteFile("semi_bigram.bin", model_.Write());
    lm_ = std::make_unique<CoreLM>(nullptr, path_.c_str());
    ASSERT_EQ(lm_->status(), 0);
    ASSERT_NE(lm_->semi_class_bigram(), nullptr);
    words_.Init(16);
    const char* names[] = {"<S>", "</S>", "<UNK>", "a", "b", "x"};
    const int classes[] = {0, 1, 2, 3, 260, 3};
    lm_->AllocWords(6);
    for (int i = 0; i < 6; ++i) {
      words_.Add(names[i]);
      lm_->SetWordCount(i, classes[i], 10 + i);
    }
    lm_->BindClassTokens(words_);
    lm_->ComputeScores();
  }
  void TearDown() override { std::remove(path_.c_str()); }

  // The lookup from the maps.
  int Expected(int h, const std::string& word) const {
    for (const auto& w : model_.words) {
      if (w.text != word) continue;
      const auto it = w.scores.find(static_cast<uint16_t>(h));
      if (it != w.scores.end()) return it->second;
      auto value =
          static_cast<uint32_t>(vok::LogValue(double{model_.masses[static_cast<std::size_t>(h)]} * w.weight));
      value = value < 100u ? 0 : value - 100u;
      return static_cast<int>(std::min<uint32_t>(value >> 3, 255));
    }
    return 255;
  }

  vok_testing::SemiClassBigramModel model_;
  std::string path_;
  std::unique_ptr<CoreLM> lm_;
  vok::SymbolTable words_;
};

TEST_F(SemiClassBigramTest, ScoresMatchTheReference) {
  EXPECT_EQ(lm_->class_count(), kClasses);
  const char* names[] = {"<S>", "</S>", "<UNK>", "a", "b", "x"};
  for (int w1 = 0; w1 < 6; ++w1)
    for (int w2 = 0; w2 < 6; ++w2) {
      const int c1 = lm_->ScoringClass(w1);
      if (c1 == 1 && lm_->ScoringClass(w2) != 1) {
        EXPECT_EQ(lm_->GetBigramScore(w1, w2), CoreLM::kForbidden);
        continue;
      }
      EXPECT_EQ(lm_->GetBigramScore(w1, w2), -Expected(c1, names[w2])) << w1 << " " << w2;
      EXPECT_EQ(lm_->GetContinuationScore(w1, lm_->ScoringClass(w2), w2), -Expected(c1, names[w2]));
    }
  // Every history class, both lists.
  for (int h = 0; h < kClasses; ++h) {
    CoreLM::WordTerms terms;
    const int16_t total = lm_->GetWordScore(h, 4, &terms);
    EXPECT_EQ(terms.bigram, -Expected(h, "b")) << h;
    EXPECT_EQ(terms.in_class, 0);
    EXPECT_EQ(total, static_cast<int>(terms.unigram * 0.5f + terms.bigram * 1.0f));
  }
  // A word the model does not list scores the floor.
  EXPECT_EQ(lm_->GetWordScore(0, 5, nullptr), static_cast<int>(-lm_->entry(5).unigram * 0.5f - 255));
  EXPECT_EQ(lm_->semi_class_bigram()->Lookup(0, 3, "nothing"), 255);
}

TEST(SemiClassBigramFileTest, DamagedFilesAreRefusedOrScoreWithoutACrash) {
  vok_testing::SemiClassBigramModel model;
  model.classes = 2048;
  model.shift = 2;
  for (int i = 0; i < 5; ++i) {
    vok_testing::SemiClassBigramModel::Word w;
    w.text = "w" + std::to_string(i);
    for (int k = 0; k < 20; ++k) w.scores[static_cast<uint16_t>(k * 97 % 2048)] = static_cast<uint8_t>(k);
    model.words.push_back(w);
  }
  model.masses.assign(2048, 3.0f);
  const vok_testing::Bytes good = model.Write();
  {
    vok_testing::SemiClassBigramModel too_many = model;
    too_many.classes = 2049;  // beyond eight lists of 256
    const std::string path = WriteFile("semi_bigram_classes.bin", too_many.Write());
    vok_test::CapturedMessages messages;
    EXPECT_EQ(CoreLM(nullptr, path.c_str()).status(), -1);
  }
  std::mt19937 rng(8);
  vok_test::CapturedMessages messages;
  for (int round = 0; round < 60; ++round) {
    vok_testing::Bytes bytes = good;
    if (round < 20)
      bytes.resize(26 + rng() % (bytes.size() - 26));
    else
      for (int k = 0; k < 1 + round % 4; ++k)
        bytes[64 + rng() % (bytes.size() - 64)] = static_cast<uint8_t>(rng());
    const std::string path = WriteFile("semi_bigram_damaged.bin", bytes);
    CoreLM lm(nullptr, path.c_str());
    vok::SymbolTable words(8);
    lm.AllocWords(5);
    for (int i = 0; i < 5; ++i) {
      words.Add(("w" + std::to_string(i)).c_str());
      lm.SetWordCount(i, i * 500, 1);
    }
    lm.BindClassTokens(words);
    for (int w1 = 0; w1 < 5; ++w1)
      for (int w2 = 0; w2 < 5; ++w2) EXPECT_LE(lm.GetBigramScore(w1, w2), 0);
  }
}

}  // namespace
