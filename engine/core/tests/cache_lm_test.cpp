#include "engine/core/cache_lm.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/core_lm.h"
#include "engine/core/log_score.h"
#include "engine/core/resources.h"
#include "test_support.h"

namespace {

using vok::CacheLM;

TEST(CacheLM, RingKeepsTheLastWordsAndUpdateCountsThem) {
  vok::Resources resources;
  resources.PutInt("LMBackend", "CacheLMHistory", 3);
  CacheLM cache(&resources, 100, 4, 2);
  ASSERT_EQ(cache.history(), 3);
  const uint16_t list[] = {4, 5, 6, 5, 7};
  cache.AddWords(list);
  EXPECT_EQ(cache.ring(0), 7);
  EXPECT_EQ(cache.ring(1), 6);
  EXPECT_EQ(cache.ring(2), 5);
  EXPECT_EQ(cache.position(), 1);
  EXPECT_EQ(cache.fill(), 3);
  EXPECT_EQ(cache.GetScoreByte(5), 255);  // only Update changes the bytes
  EXPECT_EQ(cache.Update(), 0);
  for (int w : {5, 6, 7}) {
    EXPECT_EQ(cache.GetCount(w), 1);
    EXPECT_EQ(cache.GetScoreByte(w), vok::ScoreByte(1.0 / 3.0, 2, 4));
  }
  EXPECT_EQ(cache.GetCount(8), 0);
  EXPECT_EQ(cache.GetScoreByte(8), 255);
  cache.Clear();
  EXPECT_EQ(cache.fill(), 0);
  EXPECT_EQ(cache.ring(0), CacheLM::kNoWord);
  EXPECT_EQ(cache.GetScoreByte(5), 255);
}

TEST(CacheLM, EmptyRingAndOutOfRangeIds) {
  CacheLM cache(nullptr, 10, 0, 0);
  EXPECT_EQ(cache.history(), CacheLM::kDefaultHistory);
  EXPECT_EQ(cache.weight(), 1.0f);
  EXPECT_EQ(cache.Update(), -1);
  for (int w = 0; w < 10; ++w) EXPECT_EQ(cache.GetScoreByte(w), 255);
  const uint16_t list[] = {3, 10, 65535, 2};
  cache.AddWords(list);
  EXPECT_EQ(cache.fill(), 1);  // ids at or beyond the word count are skipped
  EXPECT_EQ(cache.Update(), 0);
  EXPECT_EQ(cache.GetScoreByte(2), 0);
  EXPECT_EQ(cache.GetScoreByte(-1), 255);
  EXPECT_EQ(cache.GetScoreByte(10), 255);
}

TEST(CacheLM, OptionsAndReport) {
  vok::Resources resources;
  resources.PutInt("LMBackend", "CacheLMHistory", 0);
  resources.PutFloat("LMBackend", "CacheLMWeight", 0.5f);
  vok_test::CapturedMessages messages;
  CacheLM cache(&resources, 1000, 0, 0);
  EXPECT_EQ(cache.history(), CacheLM::kDefaultHistory);  // a history below 1 is refused
  EXPECT_EQ(cache.weight(), 0.5f);
  EXPECT_EQ(cache.GetMemoryUsage(), (200 + 2 * 1000 + 22) * 2);
  vok_test::CapturedLogStream log;
  cache.PrintReport();
  EXPECT_EQ(log.Text(), "\nCacheLM Report:\n" + std::string(30, '-') +
                            "\nHistory window size: 200\nCache LM weight: 0.500000\nMemory usage: 4444\n" +
                            std::string(30, '-') + "\n");
}

}  // namespace
