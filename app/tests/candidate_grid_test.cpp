#include "app/core/candidate_grid.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/char_codes.h"
#include "app/tests/fakes.h"
#include "tests/support/temporary_directory.h"

namespace {

using app_testing::FakeDispatcher;
using app_testing::Line;
using app_testing::RecordingFrame;
using namespace wrendle::app;

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint16_t> codes) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t c : codes) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

std::vector<std::uint8_t> TenCodes() {
  return Bytes({0xA4A4, 0xA4A5, 0xA4A6, 0xA4A7, 0xA4A8, 0xA4A9, 0xA4AA, 0xA4AB, 0xA4AC, 0xA4AD});
}

TEST(CandidateGridTest, OneRowOfTenShowsAll) {
  CandidateGrid grid(1, 10, 0);
  grid.SetClientSize(300, 30);
  grid.SetCodes(TenCodes());
  EXPECT_EQ(grid.visible_count(), 10);
  EXPECT_EQ(grid.HitTest({9 * 30 + 5, 5}), 9);
  EXPECT_EQ(grid.CellRect(9), (Rect{270, 0, 298, 28}));
}

TEST(CandidateGridTest, OneRowOfSixReachesSix) {
  CandidateGrid grid(1, 6, 0);
  grid.SetClientSize(180, 30);
  grid.SetCodes(TenCodes());
  EXPECT_EQ(grid.visible_count(), 6);
  EXPECT_EQ(grid.HitTest({5 * 30 + 5, 5}), 5);
  EXPECT_EQ(grid.HitTest({179, 5}), -1);
  EXPECT_FALSE(grid.CodeAt(6));
  EXPECT_TRUE(grid.CellRect(6).empty());
}

TEST(CandidateGridTest, GapsEdgesAndCellsWithoutCodes) {
  CandidateGrid grid(2, 5, 0);
  grid.SetClientSize(152, 62);  // cells 30 x 31; 2 pixels left over on the right
  grid.SetCodes(Bytes({0xA4A4, 0xA4A5, 0xA4A6, 0xA4A7, 0xA4A8, 0xA4A9}));
  EXPECT_EQ(grid.HitTest({27, 5}), 0);
  EXPECT_EQ(grid.HitTest({28, 5}), -1) << "2-pixel gap, 1 pixel from the drawn right edge";
  EXPECT_EQ(grid.HitTest({29, 5}), -1);
  EXPECT_EQ(grid.HitTest({30, 5}), 1);
  EXPECT_EQ(grid.HitTest({5, 29}), -1) << "bottom gap";
  EXPECT_EQ(grid.HitTest({5, 31}), 5);
  EXPECT_EQ(grid.HitTest({35, 31}), -1) << "cell 6 has no code";
  EXPECT_EQ(grid.HitTest({150, 5}), -1) << "past the last column";
  EXPECT_EQ(grid.HitTest({-1, 5}), -1);
  EXPECT_EQ(grid.HitTest({5, 62}), -1);
}

TEST(CandidateGridTest, EmptyGridsAndTinyClientsHitNothing) {
  CandidateGrid grid(1, 10, 0);
  grid.SetCodes(TenCodes());
  grid.SetGrid(0, 10);
  grid.SetClientSize(300, 30);
  EXPECT_EQ(grid.visible_count(), 0);
  EXPECT_EQ(grid.HitTest({5, 5}), -1);
  EXPECT_TRUE(grid.CellRect(0).empty());
  grid.SetGrid(1, 0);
  EXPECT_EQ(grid.HitTest({5, 5}), -1);
  EXPECT_TRUE(grid.CellRect(0).empty());
  grid.SetGrid(1, 10);
  grid.SetClientSize(5, 1);
  EXPECT_EQ(grid.HitTest({0, 0}), -1);
  grid.SetGrid(-3, -3);
  EXPECT_EQ(grid.rows(), 0);
}

TEST(CandidateGridTest, SetCodesKeepsAnEvenCountOfAtMost256Bytes) {
  CandidateGrid grid(20, 20, 0);
  std::vector<std::uint8_t> many(301, 0xA4);
  grid.SetCodes(many);
  EXPECT_EQ(grid.visible_count(), 128);
  grid.SetCodes(std::vector<std::uint8_t>{0xA4, 0xA4, 0xA5});
  EXPECT_EQ(grid.visible_count(), 1);
}

TEST(ChosenCodeTest, SingleByteCharactersLoseTheirSecondByte) {
  EXPECT_EQ(ChosenCode(0x2041), 0x41);
  EXPECT_EQ(ChosenCode(0x0041), 0x41);
  EXPECT_EQ(ChosenCode(0xA4A4), 0xA4A4);
  EXPECT_EQ(ChosenCode(0x4101), 0x4101) << "user code 0x0141";
  EXPECT_EQ(ChosenCode(0x7F0D), 0x7F0D) << "key codes stay whole";
}

class ChooseTest : public testing::Test {
 protected:
  ChooseTest() : user_map_(directory_.path().string(), 2000), driver_(dispatcher_, user_map_, settings_) {
    settings_.recognizer_language = 2000;
    driver_.SetMainTarget(&frame_);
  }
  // One cell recognized as 0xA4A4 with its candidates, selected.
  void OneSelectedCell() {
    dispatcher_.Will({0xA4A4, 0xA4A5, 0x2041});
    driver_.RecognizeStrokes(Line(1), true);
    driver_.SelectCell(0);
  }

  testing_support::TemporaryDirectory directory_;
  FakeDispatcher dispatcher_;
  Settings settings_;
  CUserMap user_map_;
  RecognitionDriver driver_;
  RecordingFrame frame_{&driver_};
};

TEST_F(ChooseTest, SingleByteChoiceReplacesTheSelectedCell) {
  OneSelectedCell();
  CandidateGrid grid(1, 10, 0);
  grid.SetCodes(Bytes({0xA4A4, 0x2041}));
  grid.set_hot(1);
  EXPECT_TRUE(grid.Choose(driver_));
  EXPECT_EQ(driver_.Cell(0)->code(), 0x41);
  EXPECT_EQ(driver_.insertion(), driver_.cell_count()) << "the selection returns to the end";
  EXPECT_EQ(grid.hot(), -1);
}

TEST_F(ChooseTest, UserCodeIsChosenAsItsCode) {
  user_map_.Add(0x0141, "hello");
  OneSelectedCell();
  CandidateGrid grid(1, 10, 0);
  grid.SetCodes(Bytes({0x4101}));
  grid.set_hot(0);
  EXPECT_TRUE(grid.Choose(driver_));
  EXPECT_EQ(driver_.Cell(0)->code(), 0x4101);
}

TEST_F(ChooseTest, NewCellStyleEntersACellAfterTheSelection) {
  OneSelectedCell();
  CandidateGrid grid(1, 10, kListNewCell);
  grid.SetCodes(Bytes({0xA4A6}));
  grid.set_hot(0);
  EXPECT_TRUE(grid.Choose(driver_));
  ASSERT_GE(driver_.cell_count(), 1);
  EXPECT_EQ(driver_.Cell(driver_.cell_count() - 1)->code(), 0xA4A6);
  bool kept = false;
  for (int i = 0; i < driver_.cell_count(); ++i) kept |= driver_.Cell(i)->code() == 0xA4A4;
  for (int i = 0; i < driver_.history_count(); ++i) kept |= driver_.HistoryCell(i)->code() == 0xA4A4;
  EXPECT_TRUE(kept) << "the selected cell is not replaced";
}

TEST_F(ChooseTest, HotIndexWithoutACodeOnlyClearsIt) {
  OneSelectedCell();
  CandidateGrid grid(1, 10, 0);
  grid.SetCodes(Bytes({0xA4A5}));
  for (int hot : {-1, 1, 5}) {
    grid.set_hot(hot);
    EXPECT_FALSE(grid.Choose(driver_)) << hot;
    EXPECT_EQ(grid.hot(), -1);
  }
  EXPECT_EQ(driver_.Cell(0)->code(), 0xA4A4);
  EXPECT_EQ(driver_.insertion(), 0) << "the selection stays";
}

}  // namespace
