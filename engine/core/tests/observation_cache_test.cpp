#include "engine/core/observation_cache.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using vok::ObservationCache;
using vok::ObservationFrameSource;

struct Tables {
  std::vector<uint8_t> bytes[3];
  explicit Tables(int codes, uint32_t seed) {
    std::mt19937 random(seed);
    for (auto& table : bytes) {
      table.resize(static_cast<std::size_t>(codes));
      for (auto& b : table) b = static_cast<uint8_t>(random() % 256);
    }
  }
  ObservationCache Cache() const { return ObservationCache(bytes[0], bytes[1], bytes[2]); }
  ObservationCache::Record Direct(const ObservationFrameSource& source, int t) const {
    ObservationCache::Record r{};
    for (int j = 0; j < 3; ++j) {
      int sum = 0;
      for (int s = 0; s < source.stream_count(); ++s) sum -= bytes[j][source.Code(s, t)];
      r[static_cast<std::size_t>(j)] = static_cast<int16_t>(sum);
    }
    return r;
  }
};

void FillRandom(ObservationFrameSource& source, int frames, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint16_t> codes(static_cast<std::size_t>(source.stream_count()));
  for (int t = 0; t < frames; ++t) {
    for (auto& k : codes) k = static_cast<uint16_t>(random() % static_cast<uint32_t>(source.code_count()));
    ASSERT_EQ(source.AddFrame(codes), 0);
  }
}

ObservationCache::Record At(ObservationCache& cache, ObservationFrameSource& source, int t) {
  EXPECT_EQ(source.SetCurrentFrame(t), 0);
  const ObservationCache::Record* r = cache.GetScores(source);
  EXPECT_NE(r, nullptr);
  return r ? *r : ObservationCache::Record{};
}

TEST(ObservationCache, AFrameAskedAgainIsNotComputedAgain) {
  ObservationFrameSource source(2, 16, 8);
  FillRandom(source, 20, 1);
  const Tables tables(16, 2);
  ObservationCache cache = tables.Cache();
  EXPECT_EQ(At(cache, source, 3), tables.Direct(source, 3));
  EXPECT_EQ(At(cache, source, 3), tables.Direct(source, 3));
  EXPECT_EQ(cache.computed(), 1);
  // Frames behind the last one, inside the ring, are held too.
  At(cache, source, 4);
  At(cache, source, 5);
  EXPECT_EQ(At(cache, source, 4), tables.Direct(source, 4));
  EXPECT_EQ(cache.computed(), 3);
}

TEST(ObservationCache, AFrameOlderThanTheRingRestartsIt) {
  ObservationFrameSource source(3, 32, 4);
  FillRandom(source, 20, 3);
  const Tables tables(32, 4);
  ObservationCache cache = tables.Cache();
  for (int t = 0; t <= 9; ++t) At(cache, source, t);
  // The ring holds frames 6 to 9 now.
  EXPECT_EQ(At(cache, source, 6), tables.Direct(source, 6));
  const int64_t before = cache.computed();
  EXPECT_EQ(At(cache, source, 2), tables.Direct(source, 2));
  EXPECT_EQ(cache.computed(), before + 1);
  // The ring now starts at 2: frame 9 is ahead of it again.
  EXPECT_EQ(At(cache, source, 3), tables.Direct(source, 3));
  EXPECT_EQ(At(cache, source, 9), tables.Direct(source, 9));
}

TEST(ObservationCache, TwoSixStreamSourcesKeepTheirOwnCodes) {
  ObservationFrameSource first(6, 64, 8), second(6, 64, 8);
  FillRandom(first, 10, 5);
  FillRandom(second, 10, 6);
  const Tables tables(64, 7);
  ObservationCache cache = tables.Cache();
  for (int t = 0; t < 10; ++t) {
    EXPECT_EQ(At(cache, first, t), tables.Direct(first, t)) << t;
    EXPECT_EQ(At(cache, second, t), tables.Direct(second, t)) << t;
  }
}

// Forward steps, jumps beyond the ring, look-backs inside and before it, and
// a refill of the source: every answer equals the direct sum.
TEST(ObservationCache, RandomWalksGiveTheDirectSums) {
  for (const int ring : {1, 3, 16}) {
    for (const int streams : {1, 2, 6}) {
      ObservationFrameSource source(streams, 40, ring);
      FillRandom(source, 300, static_cast<uint32_t>(ring * 10 + streams));
      const Tables tables(40, static_cast<uint32_t>(streams));
      ObservationCache cache = tables.Cache();
      std::mt19937 random(static_cast<uint32_t>(ring + streams));
      int t = 0;
      for (int step = 0; step < 2000; ++step) {
        const int move = static_cast<int>(random() % 10);
        if (move < 5) {
          t += 1;
        } else if (move < 7) {
          t -= static_cast<int>(random() % static_cast<uint32_t>(ring + 2));
        } else if (move < 9) {
          t += static_cast<int>(random() % static_cast<uint32_t>(3 * ring + 2));
        } else {
          t = static_cast<int>(random() % 300);
        }
        t = std::clamp(t, 0, 299);
        ASSERT_EQ(At(cache, source, t), tables.Direct(source, t))
            << "ring " << ring << ", streams " << streams << ", step " << step << ", frame " << t;
        if (step == 1000) {
          source.Clear();
          FillRandom(source, 300, 99);
        }
      }
    }
  }
}

TEST(ObservationCache, CodesOutsideTheTablesAreRefused) {
  ObservationFrameSource source(2, 16, 4);
  const uint16_t good[] = {15, 0};
  const uint16_t bad[] = {3, 16};
  const uint16_t short_frame[] = {3};
  EXPECT_EQ(source.AddFrame(good), 0);
  EXPECT_EQ(source.AddFrame(bad), -1);
  EXPECT_EQ(source.AddFrame(short_frame), -1);
  EXPECT_EQ(source.frame_count(), 1);
  EXPECT_EQ(source.SetCurrentFrame(1), -1);

  // Tables of 15 codes cannot score a source of 16.
  const Tables small(15, 1);
  ObservationCache cache = small.Cache();
  EXPECT_EQ(cache.GetScores(source), nullptr);
  // Nor can any cache score an empty source.
  ObservationFrameSource empty(2, 15, 4);
  EXPECT_EQ(cache.GetScores(empty), nullptr);
  EXPECT_FALSE(ObservationFrameSource(0, 16, 4).ok());
  EXPECT_FALSE(ObservationFrameSource(2, 16, 0).ok());
}

}  // namespace
