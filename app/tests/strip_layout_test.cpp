#include "app/core/strip_layout.h"

#include <gtest/gtest.h>

#include "app/core/char_codes.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace wrendle::app;

// The pad's strip for an average character width of 8: a = 24, b = 2,
// d = 8, so a cell is its text's width + 16 pixels wide, cells 2 apart.
constexpr StripMetrics kPad{24, 2, 10, 8};
constexpr Rect kClient{0, 0, 400, 40};

// Four cells of text width 16: [0, 32) [34, 66) [68, 100) [102, 134); the
// free slot starts at 136.
StripLayout FourCells(int capacity = 10) { return StripLayout(kPad, {16, 16, 16, 16}, capacity, kClient); }

TEST(StripLayoutTest, CellRectsAndFreeSlot) {
  const StripLayout layout = FourCells();
  EXPECT_EQ(layout.CellRect(0), (Rect{0, 0, 32, 40}));
  EXPECT_EQ(layout.CellRect(3), (Rect{102, 0, 134, 40}));
  EXPECT_EQ(layout.CellRect(4), (Rect{136, 0, 152, 40})) << "an empty text";
  EXPECT_TRUE(layout.CellRect(10).empty()) << "at the capacity";
  EXPECT_EQ(layout.CellArea(), (Rect{0, 0, 136, 40}));
  EXPECT_EQ(FourCells(4).CellArea(), kClient) << "full strip";
}

TEST(StripLayoutTest, UnevenWidthsAddUp) {
  const StripLayout layout(kPad, {8, 30}, 10, kClient);
  EXPECT_EQ(layout.CellRect(1), (Rect{18 + 8, 0, 26 + 16 + 30, 40}));
}

TEST(StripLayoutTest, HitCell) {
  const StripLayout layout = FourCells();
  EXPECT_EQ(layout.HitCell(0), 0);
  EXPECT_EQ(layout.HitCell(31), 0);
  EXPECT_EQ(layout.HitCell(32), 1) << "the gap belongs to the next cell";
  EXPECT_EQ(layout.HitCell(133), 3);
  EXPECT_EQ(layout.HitCell(134), 4) << "beyond every cell";
  EXPECT_EQ(layout.HitCell(-1), 4);
  EXPECT_EQ(StripLayout(kPad, {}, 10, kClient).HitCell(5), 0) << "no cell";
}

struct DropCase {
  const char* name;
  int capacity;
  int cell;
  Rect dropped;
  DropAction action;
};

class DropTest : public testing::TestWithParam<DropCase> {};

TEST_P(DropTest, Decision) {
  const DropCase& c = GetParam();
  EXPECT_EQ(DecideDrop(FourCells(c.capacity), kPad, c.cell, c.dropped), c.action);
}

// Cell 2 is [68, 100): merging holds while its left edge + a stays in it.
INSTANTIATE_TEST_SUITE_P(
    Table, DropTest,
    testing::Values(
        DropCase{"InPlaceMerges", 10, 2, {68, 0, 100, 40}, {DropAction::kMerge, 0}},
        DropCase{"LeftByLessThanAPlusGapMerges", 10, 2, {42, 2, 74, 42}, {DropAction::kMerge, 0}},
        DropCase{"FurtherLeftMovesOntoTheCellBefore", 10, 2, {41, 0, 73, 40}, {DropAction::kMove, 1}},
        DropCase{"RightByLessThanWidthMinusDMerges", 10, 2, {75, 0, 107, 40}, {DropAction::kMerge, 0}},
        DropCase{"OntoTheNextCellSplits", 10, 2, {76, 0, 108, 40}, {DropAction::kSplit, 0}},
        DropCase{"PastTheLastCellMovesToTheEnd", 10, 2, {110, 0, 142, 40}, {DropAction::kMove, 4}},
        DropCase{"ToTheFirstCellMoves", 10, 2, {0, 0, 32, 40}, {DropAction::kMove, 0}},
        DropCase{"FirstCellInPlaceMerges", 10, 0, {0, 0, 32, 40}, {DropAction::kMerge, 0}},
        DropCase{"AboveTheStripRemoves", 10, 2, {68, -50, 100, -10}, {DropAction::kRemove, 0}},
        DropCase{"BelowTheStripRemoves", 10, 2, {68, 40, 100, 80}, {DropAction::kRemove, 0}},
        DropCase{"OnTheFreeSlotRemoves", 10, 2, {136, 0, 168, 40}, {DropAction::kRemove, 0}},
        DropCase{"FullStripTakesTheWholeClient", 4, 2, {136, 0, 168, 40}, {DropAction::kMove, 4}}),
    [](const testing::TestParamInfo<DropCase>& param) { return std::string(param.param.name); });

class CellLabelTest : public testing::Test {
 protected:
  CellLabelTest() : user_map_(directory_.path().string(), 2000) {}
  testing_support::TemporaryDirectory directory_;
  CUserMap user_map_;
};

TEST_F(CellLabelTest, Labels) {
  user_map_.Add(0x0141, "hello");
  EXPECT_EQ(CellLabel(kKeyTab, user_map_), "tb");
  EXPECT_EQ(CellLabel(kKeyEnter, user_map_), "cr");
  EXPECT_EQ(CellLabel(kKeySpace, user_map_), "sp");
  EXPECT_EQ(CellLabel(kKeyBackspace, user_map_), "VK");
  EXPECT_EQ(CellLabel(0x20, user_map_), "sp");
  EXPECT_EQ(CellLabel(0x40A1, user_map_), "SP");
  EXPECT_EQ(CellLabel(0x4101, user_map_), "hello") << "user code, bytes swapped";
  EXPECT_EQ(CellLabel(0x4201, user_map_), "") << "user code without a text";
  EXPECT_EQ(CellLabel(0xA4A4, user_map_), "\xA4\xA4");
  EXPECT_EQ(CellLabel('a', user_map_), "a");
}

}  // namespace
