#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "shapes/letters/helvane_library.h"
#include "shapes/letters/letter_features.h"
#include "shapes/letters/letter_raster.h"
#include "shapes/letters/letter_recognizer.h"
#include "shapes/letters/template_file_reader.h"
#include "shapes/letters/template_file_writer.h"
#include "shapes/letters/template_matcher.h"
#include "shapes/letters/tests/letter_samples.h"
#include "tests/support/temporary_directory.h"

namespace {

using letters_testing::DrawLetter;
using letters_testing::ListOf;
using letters_testing::Polyline;
using letters_testing::TableOf;
using wrendle::StrokeEntry;

std::optional<letters::LetterRaster> RasterOf(const std::vector<StrokeEntry>& list) {
  return letters::RasterizeLetter(*wrendle::StrokeListView::Parse(list));
}

TEST(LetterRaster, FitsTheLargerSideInto128PixelsAndThickensTheInk) {
  // 1000 pixels high, 10 wide: the height becomes 128 pixels plus one of
  // thickening on each side.
  const auto raster = RasterOf(ListOf({Polyline({{5000, 1000}, {5010, 1999}})}));
  ASSERT_TRUE(raster);
  EXPECT_EQ(raster->height(), 130);
  EXPECT_EQ(raster->width(), 4);
}

TEST(LetterRaster, RefusesDotsAndTooManyPoints) {
  EXPECT_FALSE(RasterOf(ListOf({{{40, 40}, {40, 40}, {40, 40}}})));
  EXPECT_FALSE(RasterOf(ListOf({})));
  std::vector<StrokeEntry> points;
  for (int i = 0; i < 512; ++i) points.push_back({i, (i * 7) % 100});
  EXPECT_TRUE(RasterOf(ListOf({points})));
  points.push_back({600, 0});
  EXPECT_FALSE(RasterOf(ListOf({points})));
}

TEST(LetterRaster, CoordinatesAtTheEndsOfInt32) {
  const int32_t low = INT32_MIN, high = INT32_MAX;
  const auto raster = RasterOf(ListOf({{{low, low}, {high, high}}, {{low, high}, {high, low}}}));
  ASSERT_TRUE(raster);
  EXPECT_EQ(raster->width(), 130);
  EXPECT_EQ(raster->height(), 130);
}

TEST(LetterFeatures, StayFiniteAndInRangeForThinAndEmptyZones) {
  // An upright line is three pixels wide: most column bands and zones are
  // empty and must give 0, never a quotient of nothing.
  const std::vector<std::vector<StrokeEntry>> shapes = {ListOf({Polyline({{0, 0}, {0, 300}})}),
                                                        ListOf({Polyline({{0, 0}, {300, 0}})}),
                                                        DrawLetter('O'), DrawLetter('T')};
  for (const auto& shape : shapes) {
    const letters::LetterFeatures features = letters_testing::FeaturesOf(shape);
    for (const double value : features) {
      EXPECT_TRUE(std::isfinite(value));
      EXPECT_GE(value, 0);
      EXPECT_LE(value, 100);
    }
  }
}

TEST(LetterFeatures, ConcavitySeesTheClosedInsideOfAnO) {
  const letters::LetterFeatures o = letters_testing::FeaturesOf(DrawLetter('O'));
  const letters::LetterFeatures l = letters_testing::FeaturesOf(DrawLetter('L'));
  const letters::LetterFeatures u = letters_testing::FeaturesOf(DrawLetter('U'));
  // Second block, zones (1, 1) and (2, 2) of the 4 x 4 grid: the inside of an
  // O meets ink on all four sides, the crook of an L on two, the inside of a
  // U on three with the open side upwards.
  const auto share = [](const letters::LetterFeatures& f, int zone, int pattern) {
    return f[letters::kFirstBlockSize + 4 * static_cast<std::size_t>(zone) +
             static_cast<std::size_t>(pattern)];
  };
  for (const int zone : {5, 10}) {
    EXPECT_GT(share(o, zone, 2), 90) << zone;
    EXPECT_EQ(share(l, zone, 2), 0) << zone;
    EXPECT_EQ(share(l, zone, 1), 0) << zone;
    EXPECT_GT(share(u, zone, 1), 90) << zone;
  }
}

TEST(GroupBytes, ScaleTruncateAndClamp) {
  letters::TemplateGroup group;
  group.first_feature = 2;
  group.dimension = 5;
  group.scales = {1000, 3, 10, 7, 1};
  letters::LetterFeatures features{};
  features[2] = 17.9;          // 17.9 / 1000 x 1000
  features[3] = 0.5;           // 166.6
  features[4] = 400;           // over 255
  features[5] = -3;            // negative
  features[6] = std::nan("");  // not a number
  EXPECT_EQ(letters::GroupBytes(features, group), (std::vector<std::uint8_t>{17, 166, 255, 0, 0}));
}

TEST(BestMatches, TenNearestTiesToTheEarlier) {
  letters::TemplateGroup group;
  group.dimension = 1;
  group.scales = {1};
  for (int t = 0; t < 14; ++t) {
    letters::LetterTemplate record;
    record.code = static_cast<std::uint8_t>('a' + t);
    record.features[0] = static_cast<std::uint8_t>(100 + (t % 7) * 3);  // pairs of equal templates
    group.templates.push_back(record);
  }
  const std::uint8_t probe[] = {103};
  const auto best = letters::BestMatches(probe, group);
  ASSERT_EQ(best.size(), 10u);
  const int expected_order[] = {1, 8, 0, 2, 7, 9, 3, 10, 4, 11};
  for (std::size_t i = 0; i < best.size(); ++i) EXPECT_EQ(best[i].index, expected_order[i]) << i;
  EXPECT_EQ(best[0].distance, 0);
  EXPECT_EQ(best[2].distance, 9);
}

class LetterTableTest : public ::testing::Test {
 protected:
  static letters::TemplateTable Table(const letters::TemplateFileContent& content) {
    return std::move(*letters::ReadTemplateFile(letters::WriteTemplateFile(content)).table);
  }
  static letters::LetterResult Recognize(const letters::TemplateTable& table,
                                         const std::vector<StrokeEntry>& list) {
    return letters::RecognizeLetter(table, *wrendle::StrokeListView::Parse(list));
  }
};

TEST_F(LetterTableTest, LettersAnywhereAtAnySizeAreFoundFirst) {
  // L, O, U and C differ in both blocks of features.
  const letters::TemplateTable table = Table(TableOf({'L', 'O', 'U', 'C'}, 32767));
  struct Case {
    char letter;
    int x, y, size;
  };
  const Case cases[] = {{'L', 0, 0, 100}, {'O', 3000, 200, 37}, {'U', -500, -900, 240}, {'C', 10, 10, 61}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.letter));
    const letters::LetterResult result = Recognize(table, DrawLetter(c.letter, c.x, c.y, c.size));
    // Every group confident on the same code: the highest score.
    EXPECT_EQ(result.score, 100);
    ASSERT_EQ(result.status, 4);
    EXPECT_EQ(result.codes.front(), static_cast<std::uint8_t>(c.letter));
  }
}

TEST_F(LetterTableTest, GroupsThatDisagreeAreNotConfident) {
  // Group 2 calls every L a T: groups 1 and 2 disagree and nothing is under
  // the thresholds.
  const letters::TemplateTable table = Table(TableOf({'L', 'O'}, 0, {{'L', 'T'}}));
  const letters::LetterResult result = Recognize(table, DrawLetter('L'));
  EXPECT_EQ(result.status, letters::kNotConfident);
  EXPECT_EQ(result.score, 60);
}

TEST_F(LetterTableTest, RepeatedCodesAreWrittenOnce) {
  letters::TemplateFileContent content = TableOf({'L', 'O'}, 32767);
  for (auto& group : content.groups) group.push_back(group.front());  // a second 'L'
  const letters::LetterResult result = Recognize(Table(content), DrawLetter('L'));
  EXPECT_EQ(result.codes, (std::vector<std::uint8_t>{'L', 'O'}));
  EXPECT_EQ(result.status, 2);
}

class RecordingSink : public letters::LoaderMessageSink {
 public:
  void Show(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

class HelvaneLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto bytes = letters::WriteTemplateFile(TableOf({'L', 'O', 'C'}, 32767));
    folder_.Write("HELVANE.TPL", std::string(bytes.begin(), bytes.end()));
    prefix_ = folder_.path().string() + "/";
  }
  testing_support::TemporaryDirectory folder_;
  std::string prefix_;
  RecordingSink sink_;
  letters::HelvaneLibrary library_{sink_};
};

TEST_F(HelvaneLibraryTest, WritesCodePairsForTheRememberedTable) {
  const auto* table = library_.Create(prefix_.c_str());
  ASSERT_NE(table, nullptr);
  const auto strokes = DrawLetter('C', 40, 40, 80);
  std::uint8_t codes[20];
  std::fill(std::begin(codes), std::end(codes), 0xEE);
  EXPECT_EQ(library_.Recognize(nullptr, strokes.data(), codes), 3);
  EXPECT_EQ(codes[0], 'C');
  EXPECT_EQ(codes[1], 0);
  EXPECT_EQ(codes[3], 0);
  EXPECT_EQ(codes[5], 0);
  EXPECT_EQ(codes[6], 0xEE);
  EXPECT_EQ(library_.Recognize(table, strokes.data(), codes), 3);

  const auto dot = ListOf({{{5, 5}}});
  EXPECT_EQ(library_.Recognize(table, dot.data(), codes), 0);
  const StrokeEntry broken[] = {{-4, 0}, {0, 0}};
  EXPECT_EQ(library_.Recognize(table, broken, codes), 0);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(HelvaneLibraryTest, TheLastFreeReleasesAndLaterCallsAnswerNothing) {
  const auto* first = library_.Create(prefix_.c_str());
  const auto* second = library_.Create(prefix_.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(library_.reference_count(), 2);
  const auto strokes = DrawLetter('O');
  std::uint8_t codes[20];

  library_.Free(first);
  EXPECT_EQ(library_.reference_count(), 1);
  EXPECT_GT(library_.Recognize(nullptr, strokes.data(), codes), 0);
  library_.Free(second);
  EXPECT_EQ(library_.reference_count(), 0);
  EXPECT_EQ(library_.Recognize(nullptr, strokes.data(), codes), 0);
  EXPECT_EQ(library_.Recognize(first, strokes.data(), codes), 0);
  library_.Free(first);  // one free too many changes nothing
  library_.Free(nullptr);
  EXPECT_EQ(library_.reference_count(), 0);

  // The file is read again after the release.
  std::remove(folder_.File("HELVANE.TPL").c_str());
  EXPECT_EQ(library_.Create(prefix_.c_str()), nullptr);
  EXPECT_EQ(sink_.messages.size(), 1u);
}

TEST_F(HelvaneLibraryTest, CallsFromSeveralThreadsShareOneTable) {
  const auto strokes = DrawLetter('O', 5, 5, 70);
  std::vector<std::thread> threads;
  std::vector<int> right(4);
  for (std::size_t t = 0; t < right.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        const void* table = library_.Create(prefix_.c_str());
        std::uint8_t codes[20] = {};
        right[t] += library_.Recognize(nullptr, strokes.data(), codes) > 0 && codes[0] == 'O';
        library_.Free(table);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const int count : right) EXPECT_EQ(count, 20);
  EXPECT_EQ(library_.reference_count(), 0);
}

}  // namespace
