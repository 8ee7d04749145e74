#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/core/hwr_gesture_model.h"
#include "engine/core/hwr_radical_scorer.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "tests/support/temporary_directory.h"
#include "tools/build_hwr_models/gesture_shapes.h"
#include "tools/build_hwr_models/ink_samples.h"
#include "tools/build_hwr_models/language_statistics.h"
#include "tools/build_hwr_models/radical_training.h"

namespace {

TEST(BuildHwrModels, AlignmentScoresAsTheRecognizer) {
  const auto model = vok_testing::MakeSmallCharacterModel({1, 8, 24}, 5);
  std::mt19937 random(9);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<int16_t> chain;
    for (int r = 0, n = 1 + static_cast<int>(random() % 4); r < n; ++r)
      chain.push_back(static_cast<int16_t>(random() % 8));
    std::vector<uint8_t> codes(1 + random() % 40);
    for (auto& c : codes) c = static_cast<uint8_t>(random() % 32);
    vok::RadicalScorer scorer;
    scorer.Reset(codes.data(), static_cast<int>(codes.size()));
    std::vector<int> states;
    const int64_t aligned = build_hwr_models::AlignChain(model.print_models, chain, codes, &states);
    const int64_t scored =
        scorer.Score(model.print_models, chain.data(), static_cast<int>(chain.size()), false);
    ASSERT_EQ(aligned, scored == vok::kNoRadicalScore ? INT64_MAX : scored) << trial;
    if (aligned == INT64_MAX) continue;
    // The path visits every chain state in order.
    ASSERT_EQ(states.front(), 0);
    for (std::size_t t = 1; t < states.size(); ++t) ASSERT_LE(states[t] - states[t - 1], 1u);
  }
}

TEST(BuildHwrModels, StrokeListsBecomeYxStrokes) {
  const std::vector<wrendle::StrokeEntry> list = {{2, 0}, {10, 20}, {11, 21}, {1, 0}, {30, 40}, {0, 0}};
  const auto ink = build_hwr_models::ToEngineInk(list);
  ASSERT_EQ(ink.counts, (std::vector<int>{2, 1}));
  EXPECT_EQ(ink.points[0].y, 20);
  EXPECT_EQ(ink.points[0].x, 10);
  EXPECT_EQ(ink.points[2].y, 40);
}

TEST(BuildHwrModels, DefaultGesturesLoadAndMatchTheirShapes) {
  const auto bytes = build_hwr_models::DefaultGestureFile();
  vok::CHWRGestureRecognizer recognizer;
  ASSERT_TRUE(recognizer.Parse(bytes.data(), bytes.size()));
  EXPECT_EQ(recognizer.templates().size(), 15u);
  // A hasty backspace: right to left with a wobble.
  std::vector<vok::InkPoint> points;
  for (int i = 0; i < 25; ++i)
    points.push_back({static_cast<int16_t>(300 + (i % 3)), static_cast<int16_t>(500 - 15 * i)});
  const int count = 25;
  std::string name;
  int64_t score = 0;
  ASSERT_EQ(recognizer.Match(points.data(), 1, &count, &name, &score), 1);
  EXPECT_EQ(name, "Backspace");
  EXPECT_EQ(build_hwr_models::GestureSamples().size(), 3u * 32 * 2);
}

TEST(BuildHwrModels, WordCountsGiveCharactersAndBigrams) {
  testing_support::TemporaryDirectory folder;
  folder.Write("words", "\xE4\xB8\xAD\xE5\x9B\xBD 10 ns\n\xE4\xB8\xAD\t5\nbad line\n");
  build_hwr_models::LanguageStatistics statistics;
  ASSERT_TRUE(build_hwr_models::ReadWordCounts(folder.File("words"), &statistics));
  EXPECT_EQ(statistics.characters.at("\xE4\xB8\xAD"), 15);
  EXPECT_EQ(statistics.characters.at("\xE5\x9B\xBD"), 10);
  EXPECT_EQ((statistics.bigrams.at({"\xE4\xB8\xAD", "\xE5\x9B\xBD"})), 10);
  EXPECT_FALSE(build_hwr_models::ReadWordCounts(folder.File("missing"), &statistics));
}

}  // namespace
