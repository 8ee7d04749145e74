// The back end with a page (class trigram) model and a cache model.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "engine/SyllableLatticeEngine/lattice_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/stack_decoder.h"
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

  // Reading the alternatives leaves the stacks as they were: the page-model
  // pass after it finds the same path.
  NBestList before(5);
  ASSERT_EQ(back_end_->RescoreWordGraph(&before), 0);
  std::vector<uint16_t> spoken(static_cast<std::size_t>(vok::Hypothesis::kMaxIds) + 1);
  best.GetIds(spoken.data(), static_cast<int>(spoken.size()));
  std::vector<vok::CAlternativeList> records(spoken.size() + 1);
  ASSERT_EQ(back_end_->decoder()->GetAlternatives(spoken.data(), records.data()), 0);
  ASSERT_EQ(back_end_->RescoreWordGraph(&list), 0);
  EXPECT_EQ(list.count(), 1);
  EXPECT_GE(list.Get(0).count, 1);
  EXPECT_TRUE(list.Get(0).Equals(before.Get(0).ids, before.Get(0).count));
  EXPECT_EQ(list.Get(0).score, before.Get(0).score);
  back_end_->UseClassTrigram(false);
}

// The page-model pass's best path of 250 words does not fit a hypothesis:
// refused, not written past its 200 ids nor cut into another sentence.
TEST_F(PageBackendTest, APagePassPathLongerThanAHypothesisIsRefused) {
  BackTraceTable table(1000, 10, 1);
  table.Reset(0);
  for (int t = 1; t <= 250; ++t) {
    table.EndFrame();
    table.AddRecord(static_cast<uint16_t>(3 + t % 4), 0, t - 1);
  }
  table.EndFrame();
  ASSERT_EQ(back_end_->Decode(&table, nullptr, 30000, 30000), 0);
  NBestList list(5);
  EXPECT_EQ(back_end_->RescoreWordGraph(&list), -1);
  EXPECT_EQ(list.count(), 0);
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

// The word-graph pass against an exhaustive search: every path through the
// theories the decode left (each a word from its start frame to its
// parent's, scored as the theory less its parent), scored with the page
// model's bigram after the start and trigrams after it; with no beam the
// pass finds the best one. Its record is then prepared as any list.
TEST_F(PageBackendTest, WordGraphPassFindsTheBestPathOfTheTheories) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    const int frames = 3 + static_cast<int>(rng() % 4);
    BackTraceTable table(200, 20, 1);
    table.Reset(0);
    for (int t = 1; t <= frames; ++t) {
      table.EndFrame();
      const int entries = 1 + static_cast<int>(rng() % 3);
      for (int e = 0; e < entries; ++e)
        table.AddRecord(static_cast<uint16_t>(3 + rng() % 4),
                        static_cast<int16_t>(-static_cast<int>(rng() % 50)),
                        static_cast<int>(rng() % static_cast<unsigned>(t)));
    }
    table.EndFrame();
    back_end_->UseClassTrigram(false);
    ASSERT_EQ(back_end_->Decode(&table, nullptr, 30000, 30000), 0) << seed;

    struct Item {
      int end;
      uint16_t word;
      int64_t score;
    };
    vok::StackDecoder& decoder = *back_end_->decoder();
    const int last = decoder.last_frame();
    std::vector<std::vector<Item>> starting(static_cast<std::size_t>(last) + 1);
    for (int f = 0; f <= last; ++f) {
      vok::TheoryStack* stack = decoder.StackAt(f);
      if (!stack) continue;
      for (vok::Theory* head : stack->Snapshot())
        for (vok::Theory* t = head; t; t = t->next)
          if (t->parent && t->parent->frame > f)
            starting[static_cast<std::size_t>(f)].push_back(
                {t->parent->frame, t->word, t->score - t->parent->score});
    }
    page().StartUtterance();
    const uint16_t start = page().token_id(PageLM::kStart);
    int64_t best = INT64_MIN;
    std::vector<std::vector<uint16_t>> best_paths;  // all of the best score
    std::vector<uint16_t> words;
    const std::function<void(int, int64_t)> walk = [&](int frame, int64_t score) {
      if (frame == last) {
        if (words.empty() || score < best) return;
        if (score > best) best_paths.clear();
        best = score;
        best_paths.push_back(words);
        return;
      }
      for (const Item& item : starting[static_cast<std::size_t>(frame)]) {
        const std::size_t n = words.size();
        const int lm = n == 0
                           ? page().GetBigramScore(start, item.word)
                           : page().GetTrigramScore(n >= 2 ? words[n - 2] : start, words[n - 1], item.word);
        words.push_back(item.word);
        walk(item.end, score + item.score + lm);
        words.pop_back();
      }
    };
    walk(0, 0);
    page().EndUtterance();
    NBestList list(10);
    if (best == INT64_MIN) {
      EXPECT_EQ(back_end_->RescoreWordGraph(&list), -1) << seed;
      continue;
    }
    ASSERT_EQ(back_end_->RescoreWordGraph(&list), 0) << seed;
    ASSERT_EQ(list.count(), 1);
    const vok::Hypothesis& h = list.Get(0);
    // The prepared score: the insertion penalties and the core model's
    // bigram sum taken out (the second weight is 0).
    const std::vector<uint16_t> found(h.ids, h.ids + h.count);
    ASSERT_NE(std::find(best_paths.begin(), best_paths.end(), found), best_paths.end()) << seed;
    const int64_t prepared = best + 40 * h.count - language_.core->GetBigramSum(h.ids, h.count);
    EXPECT_EQ(h.score, prepared) << seed;
  }
}

// 200 words take the insertion penalty back 200 times: 8,000 points that a
// 16-bit sum would wrap past the top into a very low score.
TEST_F(PageBackendTest, ALongSentenceSaturatesInsteadOfWrapping) {
  NBestList list(10);
  list.Reset(0, 1);
  std::vector<uint16_t> ids(vok::Hypothesis::kMaxIds);
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = static_cast<uint16_t>(3 + i % 4);
  list.Append(30000, ids.data(), static_cast<int>(ids.size()));
  ASSERT_EQ(list.Get(0).count, vok::Hypothesis::kMaxIds);
  ASSERT_LE(language_.core->GetBigramSum(ids.data(), static_cast<int>(ids.size())), 0);
  back_end_->PrepareNBest(&list);
  EXPECT_EQ(list.Get(0).score, 32767);
}

// The second adjustment: with the page model's second weight above 0 the
// unigram sums go out of the list as well; a reload sets each weight.
TEST_F(PageBackendTest, TheSecondWeightAsksForTheUnigramsToGo) {
  NBestList list(10), copy(10);
  list.Reset(0, 1);
  const uint16_t ids[] = {3, 4, 6};
  list.Append(-100, ids, 3);
  list.CopyTo(&copy);
  const int bigrams = language_.core->GetBigramSum(ids, 3);
  const int unigrams = language_.core->GetUnigramSum(ids, 3);
  EXPECT_EQ(page().second_weight(), 0.0f);
  back_end_->PrepareNBest(&list);
  EXPECT_EQ(list.Get(0).score, -100 + 3 * 40 - bigrams);
  page().SetSecondWeight(1.0f);
  back_end_->PrepareNBest(&copy);
  EXPECT_EQ(copy.Get(0).score, -100 + 3 * 40 - bigrams - unigrams);

  options_.Put("LMBackend", "ClassTrigramWeight", "2.5");
  options_.Put("LMBackend", "ClassTrigramWeight2", "0.0");
  back_end_->ReadOptions(options_, true);
  EXPECT_FLOAT_EQ(page().weight(), 2.5f);
  EXPECT_FLOAT_EQ(page().second_weight(), 0.0f);
  options_.Put("LMBackend", "ClassTrigramWeight2", "nan");
  back_end_->ReadOptions(options_, true);
  EXPECT_FLOAT_EQ(page().second_weight(), 0.0f);  // not a number: kept
}

}  // namespace
