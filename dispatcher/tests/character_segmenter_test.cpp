#include "dispatcher/segmentation/character_segmenter.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "platform/system_info.h"

namespace {

using wrendle::CharacterSegmenter;
using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;
using wrendle::StrokeListView;

using Stroke = std::vector<StrokeEntry>;

std::vector<int> SegmentAt(const CharacterSegmenter& segmenter, const std::vector<Stroke>& strokes,
                           int max_cells = 10) {
  StrokeListBuilder builder;
  for (const Stroke& stroke : strokes) builder.AddStroke(stroke);
  const auto list = builder.Build();
  const auto view = StrokeListView::Parse(list);
  std::vector<std::int32_t> ends(static_cast<std::size_t>(max_cells), -7);
  const int count = segmenter.Segment(*view, ends);
  if (count < 0) return {count};
  return std::vector<int>(ends.begin(), ends.begin() + count);
}

TEST(CharacterSegmenterTest, ScalesParametersWithScreen) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(1280, 1024), 1);
  EXPECT_FLOAT_EQ(segmenter.scale(), 1024.0f / 480.0f);
  EXPECT_EQ(segmenter.parameters().margin_x, 21);
  EXPECT_EQ(segmenter.parameters().margin_y, 21);
  EXPECT_EQ(segmenter.parameters().min_extent, 106);
  EXPECT_EQ(segmenter.parameters().gap_limit, 42);
  EXPECT_EQ(segmenter.parameters().ratio_limit, 426);
  EXPECT_EQ(segmenter.GetCutSetting(), 50);
}

TEST(CharacterSegmenterTest, NegativeScreenChangesNothing) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(640, 480), 1);
  EXPECT_EQ(segmenter.InitSegment(-1, 480), 0);
  EXPECT_EQ(segmenter.InitSegment(640, -5), 0);
  EXPECT_EQ(segmenter.parameters().min_extent, 50);
}

TEST(CharacterSegmenterTest, ZeroTakesTheScreenSize) {
  CharacterSegmenter by_screen;
  CharacterSegmenter explicit_size;
  ASSERT_EQ(by_screen.InitSegment(0, 0), 1);
  const auto screen = platform::PrimaryScreenSize();
  ASSERT_EQ(explicit_size.InitSegment(screen.width, screen.height), 1);
  EXPECT_EQ(by_screen.scale(), explicit_size.scale());
}

TEST(CharacterSegmenterTest, CutSettingsAndPointValue) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(640, 480), 1);
  EXPECT_EQ(segmenter.CutSetting(100), 100);
  EXPECT_EQ(segmenter.GetCutSettingPoint(), 1536);
  EXPECT_EQ(segmenter.parameters().gap_limit, 30);
  EXPECT_EQ(segmenter.parameters().margin_y, 10);  // kept by every cut setting

  EXPECT_EQ(segmenter.CutSettingPoint(5), 5);
  EXPECT_EQ(segmenter.GetCutSettingPoint(), 20);
  EXPECT_EQ(segmenter.GetCutSetting(), 100);

  segmenter.CutSetting(1);
  EXPECT_EQ(segmenter.parameters().margin_x, 0);
  EXPECT_EQ(segmenter.parameters().min_extent, 10);
  EXPECT_EQ(segmenter.parameters().gap_limit, 0);
  EXPECT_EQ(segmenter.GetCutSettingPoint(), 0);

  segmenter.CutSettingPoint(0);
  EXPECT_EQ(segmenter.parameters().min_extent, 10);
  EXPECT_EQ(segmenter.GetCutSettingPoint(), 0);
}

TEST(CharacterSegmenterTest, HugeCutSettingGivesTheLargestThresholds) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(1280, 1024), 1);
  EXPECT_EQ(segmenter.CutSetting(2147483647), 2147483647);
  EXPECT_EQ(segmenter.GetCutSettingPoint(), 2147483647);
  EXPECT_EQ(segmenter.parameters().min_extent, 2147483647);
  EXPECT_EQ(segmenter.parameters().ratio_limit, 2147483647);
  const double factor = (2147483647.0 + 50.0) / 100.0 * static_cast<double>(segmenter.scale());
  EXPECT_EQ(segmenter.parameters().gap_limit,
            static_cast<std::int16_t>(static_cast<std::int32_t>(factor * 20.0)))
      << "within the int32 range, kept to 16 bits";
}

struct LineCase {
  std::string name;
  int cut_setting;
  std::vector<Stroke> strokes;
  std::vector<int> expected_ends;
  friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

class SegmentLineTest : public ::testing::TestWithParam<LineCase> {};

// On a 640 x 480 screen at cut setting 50: margins 10, MinExtent 50,
// GapLimit 20 (merge passes 10).
TEST_P(SegmentLineTest, GivesExpectedEnds) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(640, 480), 1);
  segmenter.CutSetting(GetParam().cut_setting);
  EXPECT_EQ(SegmentAt(segmenter, GetParam().strokes), GetParam().expected_ends);
}

const Stroke kBar = {{100, 100}, {140, 100}};  // cell box 90..150 x 90..140
Stroke Shifted(const Stroke& stroke, int dx, int dy = 0) {
  Stroke moved = stroke;
  for (auto& point : moved) point = {point.x + dx, point.y + dy};
  return moved;
}
// A stroke whose widened box starts `gap` pixels right of kBar's cell.
Stroke BarAfterGap(int gap) { return {{160 + gap, 100}, {200 + gap, 100}}; }

const Stroke kWideTop = {{100, 100}, {200, 100}};
const Stroke kWideStem = {{150, 80}, {150, 180}};
const Stroke kWideBottom = {{100, 180}, {200, 180}};

INSTANTIATE_TEST_SUITE_P(
    Lines, SegmentLineTest,
    ::testing::Values(
        LineCase{"SingleStroke", 50, {kBar}, {1}}, LineCase{"EmptyLine", 50, {}, {0}},
        LineCase{"OneCharacter", 50, {kWideTop, kWideStem, kWideBottom}, {3}},
        LineCase{"TwoSideBySide", 50, {kBar, Shifted(kBar, 150)}, {1, 2}},
        LineCase{"WideThenNarrow", 50, {kWideTop, kWideStem, kWideBottom, {{250, 90}, {250, 180}}}, {3, 4}},
        LineCase{"NarrowWithinGapLimitJoins",
                 50,
                 {kWideTop, kWideStem, kWideBottom, {{240, 90}, {240, 180}}},
                 {4}},
        LineCase{"GapAtLimitJoins", 50, {kBar, BarAfterGap(20)}, {2}},
        LineCase{"GapOverLimitOpensCell", 50, {kBar, BarAfterGap(21)}, {1, 2}},
        // Boxes that overlap on no axis open a new cell in the grouping pass;
        // the merge passes join it back when the gap is at most 10.
        LineCase{"MergePassJoinsNearCell", 50, {kBar, {{165, 155}, {170, 160}}}, {2}},
        LineCase{"MergePassKeepsFarCell", 50, {kBar, {{166, 156}, {170, 160}}}, {1, 2}},
        // A stroke that reaches back over the first cell joins the open cell,
        // which then touches the first one: the merge passes join them.
        LineCase{
            "StrokeOverTwoCellsMergesThem", 50, {kBar, Shifted(kBar, 150), {{130, 120}, {300, 120}}}, {3}},
        LineCase{"CutOneTouchingJoins", 1, {kBar, {{140, 100}, {180, 100}}}, {2}},
        LineCase{"CutOneOnePixelApart", 1, {kBar, {{141, 100}, {180, 100}}}, {1, 2}}),
    [](const auto& param_info) { return param_info.param.name; });

TEST(CharacterSegmenterTest, MoreCellsThanWantedGivesFirstOnes) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(640, 480), 1);
  const std::vector<Stroke> line = {kBar, Shifted(kBar, 150), Shifted(kBar, 300)};
  EXPECT_EQ(SegmentAt(segmenter, line, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(SegmentAt(segmenter, line, 1), (std::vector<int>{1}));
}

TEST(CharacterSegmenterTest, NoRoomForEndsFails) {
  CharacterSegmenter segmenter;
  const auto list = StrokeListBuilder().AddStroke(kBar).Build();
  EXPECT_EQ(segmenter.Segment(*StrokeListView::Parse(list), {}), -1);
}

TEST(CharacterSegmenterTest, ExtremeCoordinatesDoNotOverflow) {
  CharacterSegmenter segmenter;
  ASSERT_EQ(segmenter.InitSegment(640, 480), 1);
  const Stroke far = {{INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}};
  EXPECT_EQ(SegmentAt(segmenter, {far, far}), (std::vector<int>{2}));
}

}  // namespace
