#include "kernel/olzun.h"
#include "kernel/tests/code_page_names.h"
#include "tests/support/stroke_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/recognition_types.h"
#include "kernel/quick_classifier.h"
#include "kernel/segment_list_file.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/file_access.h"
#include "tests/support/temporary_directory.h"

namespace {

using kernel::CodePage;
using kernel::Olzun;
using kernel::SegmentRecord;
using wrendle::StrokeEntry;

using testing_support::Stroke;

using testing_support::ListOf;
using testing_support::Polyline;

class OlzunTest : public ::testing::TestWithParam<CodePage> {
 protected:
  void SetUp() override {
    samples_ = kernel_testing::SyntheticSamples(GetParam(), 20, 2);
    kernel_testing::WriteBaseFiles(program_.path().string(),
                                   kernel_testing::BuildBaseFiles(GetParam(), samples_, 4));
    olzun_ = Olzun::Create({GetParam(), program_.path().string(), learning_.path().string()});
    ASSERT_NE(olzun_, nullptr);
  }

  std::vector<std::uint16_t> Run(const std::vector<StrokeEntry>& list, int* result = nullptr) {
    std::array<std::uint16_t, 10> codes{};
    const int count = olzun_->Recognize(list, codes, 0);
    if (result != nullptr) *result = count;
    if (count < 1 || count > 10) return {};
    return {codes.begin(), codes.begin() + count};
  }

  testing_support::TemporaryDirectory program_;
  testing_support::TemporaryDirectory learning_;
  std::vector<kernel_testing::Sample> samples_;
  std::unique_ptr<Olzun> olzun_;
};

TEST_P(OlzunTest, ShortShapesUnderTheRangeFlags) {
  const auto level = ListOf({Polyline({{100, 200}, {300, 200}})});
  const auto upright = ListOf({Polyline({{200, 100}, {200, 300}})});
  const auto enter = ListOf({Polyline({{300, 100}, {300, 300}, {100, 300}})});
  struct Case {
    const char* name;
    const std::vector<StrokeEntry>* list;
    int flags;
    int result;
    std::uint16_t first_code;
  };
  const std::uint16_t one = kernel::CharacterOne(GetParam());
  const Case cases[] = {
      {"level stroke, Chinese", &level, kernel::kRangeChinese, 1, one},
      {"upright stroke, digits", &upright, kernel::kRangeDigits, 1, '1'},
      {"down then left, any flags", &enter, 0x7, wrendle::kGestureEnter, 0},
      {"down then left, no flags", &enter, 0, wrendle::kGestureEnter, 0},
  };
  for (const Case& c : cases) {
    olzun_->SetRange(c.flags);
    std::array<std::uint16_t, 10> codes{};
    EXPECT_EQ(olzun_->Recognize(*c.list, codes, 0), c.result) << c.name;
    EXPECT_EQ(codes[0], c.first_code) << c.name;
  }
}

TEST_P(OlzunTest, ShortShapeWithoutItsFlagGoesToTheDictionaries) {
  olzun_->SetRange(kernel::kRangeChinese);
  const auto upright = ListOf({Polyline({{200, 100}, {200, 300}})});
  for (const std::uint16_t code : Run(upright)) EXPECT_NE(code, '1');
  olzun_->SetRange(kernel::kRangeDigits);
  const auto level = ListOf({Polyline({{100, 200}, {300, 200}})});
  int result = -1;
  EXPECT_TRUE(Run(level, &result).empty());
  EXPECT_EQ(result, 0) << "digits admit no dictionary code";
}

TEST_P(OlzunTest, EightShapeWritesEight) {
  olzun_->SetRange(kernel::kRangeDigits);
  // Starts up and to the left, zigzags and ends up and to the right.
  const auto eight = ListOf({Polyline({{300, 500}, {100, 350}, {300, 250}, {120, 150}, {300, 60}})});
  std::array<std::uint16_t, 10> codes{};
  ASSERT_EQ(olzun_->Recognize(eight, codes, 0), 1);
  EXPECT_EQ(codes[0], '8');
}

TEST_P(OlzunTest, IntakeLimits) {
  struct Case {
    const char* name;
    std::size_t points;
    int size;
    int result;
  };
  const Case cases[] = {
      {"1023 points", 1023, 200, wrendle::kGestureEnter},
      {"1024 points", 1024, 200, 0},
      {"box of 10 pixels", 40, 10, 0},
      {"box of 11 pixels", 40, 11, wrendle::kGestureEnter},
  };
  for (const Case& c : cases) {
    // Down then left, the last point repeated up to the count.
    Stroke stroke = Polyline({{100 + c.size, 100}, {100 + c.size, 100 + c.size}, {100, 100 + c.size}});
    ASSERT_LE(stroke.size(), c.points);
    stroke.resize(c.points, stroke.back());
    int result = -1;
    Run(ListOf({stroke}), &result);
    EXPECT_EQ(result, c.result) << c.name;
  }
}

TEST_P(OlzunTest, LearnedCharacterRanksFirstForItsOwnInk) {
  olzun_->SetRange(kernel::kRangeChinese);
  const auto ink = kernel_testing::SyntheticCharacter(500, 0);
  const std::uint16_t code = kernel_testing::CharacterCode(GetParam(), 500);
  ASSERT_FALSE(Run(samples_[0].strokes).empty());
  std::array<std::uint16_t, 10> unused{};
  ASSERT_EQ(olzun_->Recognize(ink, unused, code), 1);
  const auto codes = Run(ink);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes[0], code);
}

TEST_P(OlzunTest, LearnedSegmentListsWithAHugeListCountAreRebuiltFromTheInk) {
  olzun_->SetRange(kernel::kRangeChinese);
  const auto ink = kernel_testing::SyntheticCharacter(500, 0);
  const std::uint16_t code = kernel_testing::CharacterCode(GetParam(), 500);
  std::array<std::uint16_t, 10> unused{};
  ASSERT_EQ(olzun_->Recognize(ink, unused, code), 1);
  // No records, but five million lists per record: the next learning would
  // fill that many lists.
  ASSERT_TRUE(platform::WriteWholeFile(learning_.File("tlrnsg0.dbs"),
                                       kernel::WriteSegmentListFile(GetParam(), 5046272, 5, 1, {})));
  EXPECT_EQ(olzun_->AttachLearn({}), 1);
  ASSERT_EQ(olzun_->core().slots().size(), 2u);
  EXPECT_EQ(olzun_->core().slots()[1]->record_count(), 1u) << "rebuilt from the pen ink";
  EXPECT_EQ(olzun_->Recognize(ink, unused, code), 1);
  const auto codes = Run(ink);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes[0], code);
}

TEST_P(OlzunTest, CandidatesAreTenDistinctCodesWhenTheTableHoldsThem) {
  olzun_->SetRange(kernel::kRangeChinese);
  for (const auto& sample : samples_) {
    const auto codes = Run(sample.strokes);
    std::vector<std::uint16_t> sorted = codes;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    const auto view = wrendle::StrokeListView::Parse(sample.strokes);
    const auto cell = kernel::TakeCell(*view);
    const auto& core = olzun_->core();
    const auto table = core.Match(core.Analyze(*cell, core.QuickSegments(*cell).segments));
    std::vector<std::uint16_t> distinct;
    for (const auto& entry : table) distinct.push_back(core.CodeOf(entry.record));
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_EQ(codes.size(), std::min<std::size_t>(10, distinct.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(BothCodePages, OlzunTest, ::testing::Values(CodePage::kBig5, CodePage::kGb2312),
                         kernel::CodePageName);

SegmentRecord Seg(int x0, int y0, int x1, int y1, std::uint8_t link = 0) {
  return {static_cast<std::uint8_t>(x0), static_cast<std::uint8_t>(y0), static_cast<std::uint8_t>(x1),
          static_cast<std::uint8_t>(y1), link};
}

TEST(QuickClassifyTest, DecisionTable) {
  struct Case {
    const char* name;
    std::vector<SegmentRecord> segments;
    int strokes;
    int expected;
  };
  const Case cases[] = {
      {"level", {Seg(10, 40, 70, 45)}, 1, kernel::kShapeCross},
      {"steep", {Seg(40, 10, 45, 70)}, 1, kernel::kShapeOne},
      {"enter", {Seg(70, 10, 70, 70), Seg(70, 70, 10, 70)}, 1, wrendle::kGestureEnter},
      {"tab", {Seg(10, 70, 10, 10), Seg(10, 10, 70, 10)}, 1, wrendle::kGestureTab},
      {"insert", {Seg(10, 70, 40, 10), Seg(40, 10, 70, 70)}, 1, wrendle::kGestureInsert},
      {"backspace", {Seg(70, 40, 10, 40), Seg(10, 40, 40, 10)}, 1, wrendle::kGestureBackspace},
      {"two legs not joined", {Seg(70, 10, 70, 70), Seg(60, 70, 10, 70)}, 1, kernel::kShapeNone},
      {"eight", {Seg(60, 10, 10, 5), Seg(10, 5, 60, 40), Seg(60, 40, 70, 2)}, 1, kernel::kShapeEight},
      {"delete", {Seg(60, 10, 10, 40), Seg(10, 40, 20, 60), Seg(20, 60, 70, 70)}, 1, wrendle::kGestureDelete},
      {"delete ending above its start",
       {Seg(60, 30, 10, 40), Seg(10, 40, 20, 50), Seg(20, 5, 70, 20)},
       1,
       kernel::kShapeNone},
      {"two narrow strokes", {Seg(40, 5, 42, 10), Seg(40, 20, 45, 70)}, 2, kernel::kShapeDot},
      {"two strokes, one wide", {Seg(40, 5, 42, 10), Seg(10, 20, 45, 70)}, 2, kernel::kShapeNone},
      {"right arrow",
       {Seg(10, 40, 70, 40), Seg(50, 20, 70, 40), Seg(70, 40, 50, 60)},
       2,
       wrendle::kGestureRight},
      {"up arrow", {Seg(40, 70, 40, 10), Seg(20, 30, 40, 10), Seg(40, 10, 60, 30)}, 2, wrendle::kGestureUp},
      {"escape",
       {Seg(10, 10, 70, 10), Seg(10, 20, 70, 20), Seg(60, 30, 20, 60), Seg(20, 60, 70, 70)},
       3,
       wrendle::kGestureEscape},
      {"nothing", {Seg(10, 10, 70, 10), Seg(10, 20, 70, 20)}, 3, kernel::kShapeNone},
  };
  for (const Case& c : cases) EXPECT_EQ(kernel::QuickClassify(c.segments, c.strokes), c.expected) << c.name;
}

}  // namespace

namespace {

// Codes in the swapped form (lead byte high) under every range flag.
TEST(RangeBoundaryTest, FilterAndCategoryAtTheRangeEnds) {
  struct Case {
    std::uint16_t swapped;
    bool big5;
    int big5_category;
    bool gb;
    int gb_category;
  };
  const Case cases[] = {
      {0xA13F, false, 0, false, 0}, {0xA140, true, 1, false, 0},    {0xC67E, true, 0, true, 2},
      {0xC67F, false, 0, true, 2},  {0xF9FE, true, 2, false, 0},    {0xFA40, true, 8, false, 0},
      {0xA9FE, true, 1, true, 1},   {0xB0A1, true, 1, true, 2},     {0xF7FE, true, 2, true, 2},
      {0x4000, false, 0, false, 0},  // "@", 64, and just above the user codes
      {0x4100, true, 3, true, 3},    // "A"
      {0x7A00, true, 4, true, 4},    // "z"
      {0x7B00, false, 0, false, 0},  // "{"
      {0x00FF, false, 0, false, 0}, {0x0100, true, 100, true, 100}, {0x3FFF, true, 100, true, 100},
  };
  constexpr int kEveryRange = 0x801F;
  for (const Case& c : cases) {
    const std::uint16_t code = kernel::SwapBytes(c.swapped);
    EXPECT_EQ(kernel::FilterCode(CodePage::kBig5, kEveryRange, code), c.big5) << std::hex << c.swapped;
    EXPECT_EQ(kernel::FilterCode(CodePage::kGb2312, kEveryRange, code), c.gb) << std::hex << c.swapped;
    EXPECT_EQ(kernel::GetCharCategory(CodePage::kBig5, code), c.big5_category) << std::hex << c.swapped;
    EXPECT_EQ(kernel::GetCharCategory(CodePage::kGb2312, code), c.gb_category) << std::hex << c.swapped;
  }
}

}  // namespace
