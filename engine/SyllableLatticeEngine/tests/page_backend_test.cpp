// The back end with a page (class trigram) model and a cache model.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/SyllableLatticeEngine/lattice_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/cache_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/resources.h"

namespace {

using vok::BackTraceTable;
using vok::CLMBackendEngine;
using vok::NBestList;
using vok::PageLM;
using vok_testing::OlderPageModel;

constexpr int kClasses = 5;

OlderPageModel RandomPageModel(unsigned seed) {
  std::mt19937 rng(seed);
  OlderPageModel m;
  m.words = 10;
  m.classes = kClasses;
  m.biases[0] = 10;
  m.biases[1] = 20;
  m.biases[2] = 10;
  m.shifts[0] = 2;
  m.shifts[1] = 2;
  m.shifts[2] = 2;
  for (int c = 0; c < kClasses; ++c) {
    m.unigrams.push_back(static_cast<uint8_t>(rng() % 100));
    m.backoffs.push_back(static_cast<uint16_t>(rng() % 200));
  }
  for (int c1 = 0; c1 < kClasses; ++c1) {
    for (int c2 = 0; c2 < kClasses; ++c2) {
      if (rng() % 3 == 0) continue;
      OlderPageModel::Block& block = m.blocks[{c1, c2}];
      block.bigram = static_cast<uint8_t>(rng() % 100);
      block.backoff = static_cast<uint16_t>(rng() % 300);
      for (int c3 = 0; c3 < kClasses; ++c3) {
        if (rng() % 2) block.trigrams[static_cast<uint16_t>(c3)] = static_cast<uint8_t>(rng() % 120);
      }
    }
  }
  return m;
}

class PageBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(18);
    std::vector<uint8_t> bytes(kClasses * kClasses);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng() % 60);
    page_model_ = RandomPageModel(21);
    ASSERT_TRUE(language_.Load(
        kClasses, bytes, vok_test::WithSentenceWords({{"a", 3, 10}, {"b", 4, 20}, {"c", 3, 5}, {"d", 4, 8}}),
        &page_model_));
    options_.PutInt("LMBackend", "WordInsertionPenalty", -40);
    back_end_ = std::make_unique<CLMBackendEngine>(options_, language_.lexicon.get(), language_.core.get(),
                                                   language_.page.get());
  }
  PageLM& page() { return *language_.page; }

  vok_test::CapturedMessages messages_;
  OlderPageModel page_model_;
  vok_test::SmallLanguage language_;
  vok::Resources options_;
  std::unique_ptr<CLMBackendEngine> back_end_;
};

TEST_F(PageBackendTest, RescoringNeedsAPageWeightAboveZero) {
  NBestList list(10);
  list.Reset(0, 1);
  const uint16_t ids[] = {3, 4};
  list.Append(-5, ids, 2);
  page().SetWeight(0);
  EXPECT_EQ(back_end_->RescoreNBest(&list, nullptr, nullptr), -1);
  EXPECT_EQ(back_end_->RescoreWordGraph(&list), -1);
  EXPECT_EQ(list.Get(0).score, -5);
  CLMBackendEngine without_page(options_, language_.lexicon.get(), language_.core.get(), nullptr);
  EXPECT_EQ(without_page.RescoreNBest(&list, nullptr, nullptr), -1);
  EXPECT_EQ(without_page.GetPageUnknownClass(), 65535);
  EXPECT_EQ(back_end_->GetPageUnknownClass(), page().token_class(PageLM::kUnknown));
  EXPECT_EQ(back_end_->GetPagePersonClass(), page().token_class(PageLM::kPerson));
}

TEST_F(PageBackendTest, ContextWordsSurroundEveryRecordWhileRescoring) {
  NBestList list(10), prepared(10);
  list.Reset(0, 1);
  const std::vector<std::vector<uint16_t>> sentences = {{3, 4}, {4}, {5, 6, 3}};
  for (std::size_t i = 0; i < sentences.size(); ++i) {
    list.Append(-10 * static_cast<int>(i), sentences[i].data(), static_cast<int>(sentences[i].size()));
  }
  list.CopyTo(&prepared);
  back_end_->PrepareNBest(&prepared);
  const uint16_t left[] = {1, 6};
  const uint16_t right[] = {2, 5, 4};
  ASSERT_EQ(back_end_->RescoreNBest(&list, left, right), 0);
  ASSERT_EQ(list.count(), 3);
  page().StartUtterance();
  for (int i = 0; i < prepared.count(); ++i) {
    const vok::Hypothesis& p = prepared.Get(i);
    std::vector<uint16_t> full = {6};
    full.insert(full.end(), p.ids, p.ids + p.count);
    full.insert(full.end(), {5, 4});
    const int expected = p.score + page().GetSentenceScore(full.data(), static_cast<int>(full.size()));
    int found = 0;
    for (int k = 0; k < list.count(); ++k) {
      if (!list.Get(k).Equals(p.ids, p.count)) continue;
      ++found;
      EXPECT_EQ(list.Get(k).score, std::clamp(expected, -32768, 32767)) << "record " << i;
    }
    EXPECT_EQ(found, 1) << "the ids of record " << i << " are restored";
  }
  page().EndUtterance();
}

TEST_F(PageBackendTest, SystemsRescoreTheirListThroughTheBackEnd) {
  options_.PutInt("System", "NBestChoices", 10);
  options_.PutInt("Search", "StackSearchBeam", 2000);
  vok::CLatticeSystem system(options_, back_end_.get());
  ASSERT_EQ(system.DecodeText("abcd", false), 0);
  ASSERT_GT(system.nbest()->count(), 0);
  NBestList expected(10);
  system.GetNBestList(&expected);
  ASSERT_EQ(back_end_->RescoreNBest(&expected, nullptr, nullptr), 0);
  ASSERT_EQ(system.RescoreNBest(nullptr, nullptr), 0);
  for (int i = 0; i < expected.count(); ++i) {
    EXPECT_EQ(system.nbest()->Get(i).score, expected.Get(i).score) << i;
    EXPECT_TRUE(system.nbest()->Get(i).Equals(expected.Get(i).ids, expected.Get(i).count)) << i;
  }
  page().SetWeight(0);
  EXPECT_EQ(system.RescoreNBest(nullptr, nullptr), -1);
}

TEST_F(PageBackendTest, DecodingWithThePageModel) {
  // Frames 1-3 with words a-d; the best path is scored with the class
  // trigram read backwards from the sentence end.
  BackTraceTable table(100, 10, 1);
  table.Reset(0);
  const std::vector<std::vector<std::pair<uint16_t, int>>> frames = {
      {{3, 0}, {4, 0}}, {{5, 1}, {6, 1}, {4, 0}}, {{3, 2}, {6, 1}, {5, 0}}};
  for (const auto& frame : frames) {
    table.EndFrame();
    for (const auto& [word, start] : frame) table.AddRecord(word, static_cast<int16_t>(-word), start);
  }
  table.EndFrame();
  back_end_->UseClassTrigram(true);
  ASSERT_EQ(back_end_->Decode(&table, nullptr, 30000, 30000), 0);
  NBestList list(20);
  ASSERT_EQ(back_end_->GetNBest(&list, 1), 0);
  const vok::Hypothesis& best = list.Get(0);
  ASSERT_GE(best.count, 1);
  EXPECT_EQ(best.score, 0);

  // The score of that path: entries relative to their frame's best, unigram
  // scores and penalties, and the page model from the end backwards.
  std::vector<int> frame_best(4, -32768);
  for (std::size_t f = 0; f < frames.size(); ++f) {
    for (const auto& [word, start] : frames[f]) frame_best[f + 1] = std::max(frame_best[f + 1], -word);
  }
  page().StartUtterance();
  int64_t expected = 0;
  int frame = 3;
  std::vector<uint16_t> right = {page().token_id(PageLM::kEnd)};
  for (int i = best.count - 1; i >= -1; --i) {
    const uint16_t word = i >= 0 ? best.ids[i] : page().token_id(PageLM::kStart);
    if (i >= 0) {
      int start = -1;
      for (const auto& [w, s] : frames[static_cast<std::size_t>(frame - 1)]) {
        if (w == word) start = s;
      }
      ASSERT_GE(start, 0);
      expected +=
          -word - frame_best[static_cast<std::size_t>(frame)] + language_.core->GetUnigramScore(word) - 40;
      frame = start;
    }
    const std::size_t n = right.size();
    expected += n == 1 ? page().GetClassBigramScore(page().WordClass(right[0]), word)
                       : page().GetClassTrigramScore(page().WordClass(right[n - 2]),
                                                     page().WordClass(right[n - 1]), word);
    right.push_back(word);
  }
  page().EndUtterance();
  EXPECT_EQ(frame, 0);
  EXPECT_EQ(list.best_score(), expected);

  ASSERT_EQ(back_end_->RescoreWordGraph(&list), 0);
  EXPECT_EQ(list.count(), 1);
  EXPECT_GE(list.Get(0).count, 1);
  back_end_->UseClassTrigram(false);
}

TEST_F(PageBackendTest, CacheModel) {
  EXPECT_EQ(back_end_->ResetCacheLM(), -1);
  EXPECT_EQ(back_end_->InitCacheLM(options_), -1);  // no "CacheLMHistory"
  options_.PutInt("LMBackend", "CacheLMHistory", 10);
  ASSERT_EQ(back_end_->InitCacheLM(options_), 0);
  ASSERT_NE(back_end_->cache(), nullptr);
  EXPECT_EQ(language_.core->cache_lm(), back_end_->cache());
  const uint16_t words[] = {3, 4, 5, 4};  // count first
  EXPECT_EQ(back_end_->UpdateCacheLM(words), 0);
  EXPECT_EQ(back_end_->cache()->GetCount(4), 2);
  EXPECT_EQ(back_end_->ResetCacheLM(), 0);
  EXPECT_EQ(back_end_->cache()->fill(), 0);
  back_end_.reset();  // the models let go of the cache model
  EXPECT_EQ(language_.core->cache_lm(), nullptr);
}

}  // namespace
