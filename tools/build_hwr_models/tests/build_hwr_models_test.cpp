#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/core/hwr_code_mapping.h"
#include "engine/core/hwr_gesture_model.h"
#include "engine/core/hwr_model.h"
#include "engine/core/hwr_radical_scorer.h"
#include "engine/core/hwr_recognizer.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "tests/support/temporary_directory.h"
#include "tools/build_hwr_models/gesture_shapes.h"
#include "tools/build_hwr_models/ink_samples.h"
#include "tools/build_hwr_models/language_statistics.h"
#include "tools/build_hwr_models/latin_model_builder.h"
#include "tools/build_hwr_models/punctuation_templates.h"
#include "tools/build_hwr_models/radical_training.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_letter_templates/letter_ink.h"

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

TEST(BuildHwrModels, NgramBigramsInsideAndAcrossWords) {
  // Words 1 "AB" (p 0.6) and 2 "C" (p 0.4); P(2 | 1) = 0.5.
  build_language_data::NgramStatistics ngrams;
  ngrams.words = {"", "AB", "C"};
  ngrams.unigrams = {0, 0.6, 0.4};
  ngrams.bigrams = {{1, 2, 0.5}, {2, 1, 0.25}, {1, 7, 0.9}};
  build_hwr_models::LanguageStatistics statistics;
  statistics.bigrams[{"X", "Y"}] = 3;
  build_hwr_models::TakeNgramBigrams(ngrams, &statistics);
  EXPECT_EQ(statistics.bigrams.size(), 3u);
  EXPECT_DOUBLE_EQ((statistics.bigrams.at({"A", "B"})), 0.6);
  EXPECT_DOUBLE_EQ((statistics.bigrams.at({"B", "C"})), 0.6 * 0.5);
  EXPECT_DOUBLE_EQ((statistics.bigrams.at({"C", "A"})), 0.4 * 0.25);
}

// Both font files of the folder with the same glyphs.
void WriteFonts(testing_support::TemporaryDirectory& folder, const std::string& glyphs) {
  const std::string svg =
      "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"><defs><font id=\"f\">" + glyphs +
      "</font></defs></svg>";
  for (const char* file : letter_templates::kFontFiles) folder.Write(file, svg);
}

TEST(BuildHwrModels, PunctuationTemplatesAreNamedInTheCodePage) {
  testing_support::TemporaryDirectory folder;
  WriteFonts(folder,
             "<glyph unicode=\",\" d=\"M 100 50 L 80 -120\"/>"
             "<glyph unicode=\"!\" d=\"M 100 700 L 100 200 M 100 40 L 102 30\"/>"
             "<glyph unicode=\"(\" d=\"M 1 1 L 2 2 M 3 3 L 4 4 M 5 5 L 6 6 M 7 7 L 8 8\"/>");
  const struct {
    kernel::CodePage code_page;
    std::string comma;
    std::string exclamation;
  } cases[] = {{kernel::CodePage::kGb2312, "\xA3\xAC", "\xA3\xA1"},
               {kernel::CodePage::kBig5, "\xA1\x41", "\xA1\x49"}};
  for (const auto& c : cases) {
    const auto bytes = build_hwr_models::PunctuationFile(folder.path().string(), c.code_page);
    vok::CHWRGestureRecognizer recognizer;
    ASSERT_TRUE(recognizer.Parse(bytes.data(), bytes.size()));
    // Both fonts; the four-stroke mark is left out.
    ASSERT_EQ(recognizer.templates().size(), 4u);
    EXPECT_EQ(std::string(recognizer.templates()[0].name.data()), c.comma);
    EXPECT_EQ(recognizer.templates()[0].strokes, 1);
    EXPECT_EQ(std::string(recognizer.templates()[1].name.data()), c.exclamation);
    EXPECT_EQ(recognizer.templates()[1].strokes, 2);
  }
  EXPECT_TRUE(build_hwr_models::PunctuationFile((folder.path() / "missing").string(), kernel::CodePage::kBig5)
                  .empty());
}

TEST(BuildHwrModels, LatinModelLoadsAndReadsItsLetters) {
  const std::vector<letter_templates::FontGlyphs> fonts = {
      {{'L', {{{10, 700}, {10, 0}, {400, 0}}}},
       {'7', {{{10, 700}, {400, 700}, {150, 0}}}},
       {'o', {{{200, 400}, {20, 200}, {200, 0}, {380, 200}, {200, 400}}}}}};
  build_hwr_models::HwrBuildOptions options;
  options.jobs = 2;
  const auto model = build_hwr_models::BuildLatinModel(fonts, options);
  const auto file = vok_testing::WriteHwrLatinModel(model);
  ASSERT_EQ(file.bytes.size(), vok::HwrLatinModelFileSize());
  vok::CHWRRomRecognizer recognizer;
  ASSERT_TRUE(recognizer.LoadBytes(file.bytes.data(), file.bytes.size()));
  EXPECT_EQ(model.dictionary[vok::LatinIndex('L')].strokes, 1);
  for (const char letter : {'L', '7', 'o'}) {
    const std::size_t index = letter_templates::kLetterClasses.find(letter);
    const auto ink = build_hwr_models::ToEngineInk(
        letter_templates::GlyphInk(fonts[0].at(letter), letter_templates::HeldOutInkStyle(),
                                   letter_templates::HeldOutSeed(index, 0, 1)));
    vok::HwrCandidate candidates[10];
    const int found = recognizer.Recognize(ink.points.data(), static_cast<int>(ink.counts.size()),
                                           ink.counts.data(), candidates, 10);
    ASSERT_GT(found, 0) << letter;
    EXPECT_EQ(candidates[0].code, static_cast<uint16_t>(letter << 8)) << letter;
  }
}

}  // namespace
