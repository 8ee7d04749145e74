#include "app/core/recognition_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/char_codes.h"
#include "app/tests/fakes.h"
#include "tests/support/temporary_directory.h"

namespace {

using app_testing::FakeDispatcher;
using app_testing::FakeTaps;
using app_testing::Line;
using app_testing::RecordingFrame;
using app_testing::Tap;
using testing::ElementsAre;
using testing::ElementsAreArray;
using wrendle::StrokeEntry;
using namespace wrendle::app;

// GB2312 characters as codes (first byte low).
constexpr std::uint16_t kZhong = 0xD0D6;  // D6 D0
constexpr std::uint16_t kWen = 0xC4CE;    // CE C4
constexpr std::uint16_t kZi = 0xD6D7;     // D7 D6
constexpr std::uint16_t kYi = 0xBBD2;     // D2 BB

class DriverTest : public testing::Test {
 protected:
  DriverTest() : user_map_(directory_.path().string(), 4000), driver_(dispatcher_, user_map_, settings_, &taps_) {
    settings_.recognizer_language = 4000;
    driver_.SetMainTarget(&frame_);
  }

  std::vector<std::uint16_t> Codes() const {
    std::vector<std::uint16_t> codes;
    for (int i = 0; i < driver_.cell_count(); ++i) codes.push_back(driver_.Cell(i)->code());
    return codes;
  }
  std::vector<std::uint16_t> HistoryCodes() const {
    std::vector<std::uint16_t> codes;
    for (int i = 0; i < driver_.history_count(); ++i) codes.push_back(driver_.HistoryCell(i)->code());
    return codes;
  }
  // A line of n cells, one stroke each, recognized as `codes` (one candidate
  // list per cell), with segmentation.
  void WriteLine(const std::vector<std::vector<std::uint16_t>>& codes) {
    std::vector<std::int32_t> ends;
    for (size_t i = 0; i < codes.size(); ++i) ends.push_back(static_cast<std::int32_t>(i + 1));
    dispatcher_.segmentations.push_back({static_cast<int>(codes.size()), ends});
    for (const auto& candidates : codes) dispatcher_.Will(candidates);
    driver_.RecognizeStrokes(Line(static_cast<int>(codes.size())), false);
  }

  testing_support::TemporaryDirectory directory_;
  FakeDispatcher dispatcher_;
  FakeTaps taps_;
  Settings settings_;
  CUserMap user_map_;
  RecognitionDriver driver_;
  RecordingFrame frame_{&driver_};
};

// ------------------------------------------------ candidate conversions

struct ConversionCase {
  const char* name;
  int language;
  bool full_shape;
  std::uint16_t in;
  std::uint16_t out;
};

class CandidateConversionTest : public DriverTest, public testing::WithParamInterface<ConversionCase> {};

TEST_P(CandidateConversionTest, FirstCandidateBecomesTheCellCode) {
  const ConversionCase& c = GetParam();
  settings_.recognizer_language = c.language;
  settings_.full_shape = c.full_shape;
  dispatcher_.Will({c.in, 0xA4A4});
  driver_.RecognizeStrokes(Line(1), true);
  ASSERT_EQ(driver_.cell_count(), 1);
  EXPECT_EQ(driver_.Cell(0)->code(), c.out);
  EXPECT_EQ(driver_.Cell(0)->candidates()[0], c.full_shape && c.in < 0x100 ? c.in : c.out)
      << "a kernel's single byte is converted only as the cell code";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CandidateConversionTest,
    testing::Values(
        ConversionCase{"Big5Yi", 2000, false, 0x40A4, 0x40A4},        // A4 40: trail byte below 0x80
        ConversionCase{"Big5YiFullShape", 2000, true, 0x40A4, 0x40A4},
        ConversionCase{"GbZhong", 4000, false, kZhong, kZhong},
        ConversionCase{"GbZhongFullShape", 4000, true, kZhong, kZhong},
        ConversionCase{"EngineAscii", 4000, false, 0x2041, 0x0041},   // 0x2000 + 'A'
        ConversionCase{"EngineAsciiFullGb", 4000, true, 0x2041, 0xC1A3},
        ConversionCase{"EngineAsciiFullBig5", 2000, true, 0x2041, 0xCFA2},
        ConversionCase{"EngineSpaceFullBig5", 2000, true, 0x2020, 0x40A1},
        ConversionCase{"EngineDigitFullGb", 4000, true, 0x2031, 0xB1A3},
        ConversionCase{"KernelDigitFullGb", 4000, true, 0x0031, 0xB1A3},
        ConversionCase{"EngineTildeFullGb", 4000, true, 0x207E, 0xABA1}),
    [](const testing::TestParamInfo<ConversionCase>& param) { return std::string(param.param.name); });

TEST_F(DriverTest, UserCodeCandidateStaysAsIsAndStopsSendingAtOnce) {
  CUserMap& map = user_map_;
  map.Add(0x0102, "hello");
  dispatcher_.Will({0x0201, kZhong});  // the user code with its bytes swapped
  driver_.RecognizeStrokes(Line(1), true);
  ASSERT_EQ(driver_.cell_count(), 1);
  EXPECT_EQ(driver_.Cell(0)->code(), 0x0201);
  EXPECT_FALSE(driver_.send_at_once());
  EXPECT_TRUE(frame_.sent.empty()) << "a user code waits for the commit";
}

TEST_F(DriverTest, CellKeepsCandidatesAndStrokes) {
  dispatcher_.Will({kZhong, kWen, kZi});
  const auto strokes = Line(2);
  driver_.RecognizeStrokes(strokes, true);
  const CCandidateItem* cell = driver_.Cell(0);
  ASSERT_NE(cell, nullptr);
  EXPECT_THAT(cell->candidates(), ElementsAre(kZhong, kWen, kZi));
  EXPECT_EQ(cell->candidate_bytes(), 6);
  EXPECT_EQ(cell->strokes(), strokes);
  EXPECT_EQ(cell->stroke_bytes(), strokes.size() * 8);
}

// ------------------------------------------------------- gestures

struct GestureCase {
  int gesture;
  std::uint16_t key;  // 0: none
};

class GestureTest : public DriverTest, public testing::WithParamInterface<GestureCase> {};

TEST_P(GestureTest, GestureBecomesAKeySentAtOnce) {
  dispatcher_.WillReturn(GetParam().gesture);
  driver_.RecognizeStrokes(Line(1), true);
  if (GetParam().key == 0) {
    EXPECT_TRUE(frame_.sent.empty());
    EXPECT_FALSE(driver_.send_at_once());
  } else {
    EXPECT_THAT(frame_.sent, ElementsAre(GetParam().key));
  }
  EXPECT_EQ(driver_.cell_count(), 0) << "a key sent at once leaves no cell";
}

INSTANTIATE_TEST_SUITE_P(Table, GestureTest,
                         testing::Values(GestureCase{11, 0x7F0D}, GestureCase{12, 0x7F20}, GestureCase{13, 0x7F2E},
                                         GestureCase{14, 0x7F08}, GestureCase{15, 0}, GestureCase{16, 0x7F25},
                                         GestureCase{17, 0x7F27}, GestureCase{18, 0x7F26}, GestureCase{19, 0x7F28},
                                         GestureCase{20, 0x7F21}, GestureCase{21, 0x7F22}, GestureCase{22, 0x7F24},
                                         GestureCase{23, 0x7F23}, GestureCase{24, 0x7F2D}, GestureCase{25, 0x7F09},
                                         GestureCase{26, 0x7F1B}, GestureCase{27, 0}, GestureCase{28, 0},
                                         GestureCase{99, 0}));

TEST_F(DriverTest, BackspaceGestureRemovesTheCellBeforeTheInsertionPoint) {
  WriteLine({{kZhong}, {kWen}});
  ASSERT_THAT(Codes(), ElementsAre(kZhong, kWen));
  dispatcher_.WillReturn(wrendle::kGestureBackspace);
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(HistoryCodes(), ElementsAre(kZhong, kWen)) << "the new line committed the old one";
  EXPECT_THAT(frame_.sent, ElementsAre(kZhong, kWen, kKeyBackspace));
}

// ------------------------------------------------------- segmentation

TEST_F(DriverTest, LineIsSlicedBySegmentEnds) {
  const auto line = Line(4);
  dispatcher_.segmentations.push_back({3, {1, 3, 4}});
  dispatcher_.Will({kZhong});
  dispatcher_.Will({kWen});
  dispatcher_.Will({kZi});
  driver_.RecognizeStrokes(line, false);
  ASSERT_EQ(dispatcher_.calls.size(), 3u);
  const auto view = wrendle::StrokeListView::Parse(line);
  ASSERT_TRUE(view);
  const auto strokes_of = [](const std::vector<StrokeEntry>& list) {
    return wrendle::StrokeListView::Parse(list)->stroke_count();
  };
  EXPECT_EQ(strokes_of(dispatcher_.calls[0].strokes), 1u);
  EXPECT_EQ(strokes_of(dispatcher_.calls[1].strokes), 2u);
  EXPECT_EQ(strokes_of(dispatcher_.calls[2].strokes), 1u);
  EXPECT_EQ(dispatcher_.calls[1].strokes[1].x, line[5].x) << "cell 1 starts with stroke 1";
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kWen, kZi));
  EXPECT_EQ(driver_.Cell(1)->stroke_bytes(), (2 * 4 + 1) * 8u);
}

TEST_F(DriverTest, SegmentationFailureGivesNoCellsButStillPassesTaps) {
  dispatcher_.segmentations.push_back({-1, {}});
  driver_.RecognizeStrokes(Tap(300, 200), false);
  EXPECT_TRUE(dispatcher_.calls.empty());
  EXPECT_EQ(driver_.cell_count(), 0);
  ASSERT_EQ(taps_.taps.size(), 1u);
  EXPECT_EQ(taps_.taps[0].x, 300);
  EXPECT_EQ(taps_.taps[0].y, 200);
}

TEST_F(DriverTest, SegmentationOfNoCellsStopsBeforeAnyEvent) {
  dispatcher_.segmentations.push_back({0, {}});
  driver_.RecognizeStrokes(Tap(10, 10), false);
  EXPECT_TRUE(frame_.events.empty());
  EXPECT_TRUE(taps_.taps.empty());
}

TEST_F(DriverTest, ZeroCapacityDoesNotSegment) {
  driver_.SetCapacity(0);
  dispatcher_.Will({kZhong});
  driver_.RecognizeStrokes(Line(3), false);
  EXPECT_EQ(dispatcher_.segment_calls, 0);
  EXPECT_EQ(dispatcher_.calls.size(), 1u);
}

// ------------------------------------------------------- taps

TEST_F(DriverTest, UnrecognizedTapBecomesAClickAtItsFirstPoint) {
  driver_.RecognizeStrokes(Tap(500, 400), false);
  ASSERT_EQ(taps_.taps.size(), 1u);
  EXPECT_EQ(taps_.taps[0].x, 500);
}

TEST_F(DriverTest, LargeUnrecognizedLineIsNoTap) {
  driver_.RecognizeStrokes(Line(1), false);  // 80 x 80 pixels
  EXPECT_TRUE(taps_.taps.empty());
}

TEST_F(DriverTest, InkBoxLinesAreNeverTaps) {
  driver_.RecognizeStrokes(Tap(500, 400), true);
  EXPECT_TRUE(taps_.taps.empty());
}

TEST_F(DriverTest, EnterGestureInATapIsSentAndPassedThrough) {
  dispatcher_.WillReturn(wrendle::kGestureEnter);
  driver_.RecognizeStrokes(Tap(50, 60), false);
  EXPECT_THAT(frame_.sent, ElementsAre(kKeyEnter));
  EXPECT_EQ(taps_.taps.size(), 1u);
}

TEST_F(DriverTest, DeleteGestureInATapIsNotPassedThrough) {
  dispatcher_.WillReturn(wrendle::kGestureDelete);
  driver_.RecognizeStrokes(Tap(50, 60), false);
  EXPECT_THAT(frame_.sent, ElementsAre(kKeyDelete));
  EXPECT_TRUE(taps_.taps.empty());
}

// ------------------------------------------------- golden sequences

TEST_F(DriverTest, OneCellLineIsSentAtOnceAndARewriteReplacesIt) {
  dispatcher_.Will({kZhong, kWen});
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(frame_.Take(),
              ElementsAre("110", "107 1", "106 1", "100 c:d0d6", "101 c:d0d6", "11 c:d0d6", "send d0d6", "102 0 1",
                          "103 1 0", "109", "100 c:d0d6", "101 c:d0d6", "103 1 0", "111"));

  // The user taps the cell in the strip and writes it again.
  driver_.SelectCell(0);
  EXPECT_THAT(frame_.Take(), ElementsAre("100 c:d0d6", "101 c:d0d6", "103 0 0"));
  dispatcher_.Will({kZi});
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(frame_.Take(),
              ElementsAre("110", "107 1", "106 1", "100 c:d6d7", "101 c:d6d7", "12 7f08", "send 7f08", "11 c:d6d7",
                          "send d6d7", "102 0 1", "103 1 0", "109", "100 c:d6d7", "101 c:d6d7", "103 1 0", "111"));
  EXPECT_THAT(frame_.sent, ElementsAre(kZhong, kKeyBackspace, kZi));
  EXPECT_THAT(Codes(), ElementsAre(kZi));
}

TEST_F(DriverTest, RewriteThatYieldsNoCellDisarmsTheReplacement) {
  dispatcher_.Will({kZhong});
  driver_.RecognizeStrokes(Line(1), true);
  driver_.SelectCell(0);
  driver_.RecognizeStrokes(Line(1), true);  // recognizes to nothing
  EXPECT_FALSE(driver_.replace_sent());
  dispatcher_.Will({kWen});
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(frame_.sent, ElementsAre(kZhong, kWen)) << "no Backspace for an unrelated character";
}

TEST_F(DriverTest, NextOneCellLineCommitsWithoutSendingAgain) {
  dispatcher_.Will({kZhong});
  driver_.RecognizeStrokes(Line(1), true);
  frame_.Take();
  dispatcher_.Will({kWen});
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(frame_.Take(),
              ElementsAre("110", "107 1", "108 c:d0d6", "102 0 1", "103 0 0", "106 1", "100 c:c4ce", "101 c:c4ce",
                          "11 c:c4ce", "send c4ce", "102 0 1", "103 1 0", "109", "100 c:c4ce", "101 c:c4ce", "103 1 0",
                          "111"));
  EXPECT_THAT(HistoryCodes(), ElementsAre(kZhong));
}

TEST_F(DriverTest, MultiCellLineWaitsAndIsSentByTheCommit) {
  WriteLine({{kZhong}, {kWen}});
  EXPECT_THAT(frame_.Take(),
              ElementsAre("110", "107 2", "106 2", "100 c:d0d6", "101 c:d0d6", "102 0 1", "103 1 0", "100 c:c4ce",
                          "101 c:c4ce", "102 1 1", "103 2 0", "109", "100 c:c4ce", "101 c:c4ce", "103 2 0", "111"));
  EXPECT_TRUE(frame_.sent.empty());
  driver_.CommitCells();
  EXPECT_THAT(frame_.Take(), ElementsAre("108 c:d0d6", "11 c:d0d6", "send d0d6", "108 c:c4ce", "11 c:c4ce",
                                         "send c4ce", "102 0 2", "103 0 0"));
  EXPECT_EQ(driver_.cell_count(), 0);
  EXPECT_THAT(HistoryCodes(), ElementsAre(kZhong, kWen));
}

TEST_F(DriverTest, EleventhCellOfOneLineOverflowsIntoTheHistory) {
  dispatcher_.segmentations.push_back({10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}});
  for (int i = 0; i < 10; ++i) dispatcher_.Will({static_cast<std::uint16_t>(0xA1B0 + i)});
  driver_.RecognizeStrokes(Line(10), false);
  ASSERT_EQ(driver_.cell_count(), 10);
  frame_.Take();

  // Overwrite mode with the insertion point at the end appends an eleventh.
  driver_.SelectCell(-1);
  frame_.Take();
  driver_.AddCell(kYi, {}, {});
  EXPECT_THAT(frame_.Take(), ElementsAre("100 c:bbd2", "101 c:bbd2", "11 c:a1b0", "send a1b0", "102 0 10"));
  EXPECT_EQ(driver_.cell_count(), 10);
  EXPECT_EQ(driver_.Cell(9)->code(), kYi);
  EXPECT_THAT(HistoryCodes(), ElementsAre(0xA1B0));
  EXPECT_EQ(driver_.insertion(), 10);
  EXPECT_EQ(driver_.selected(), 9);
}

TEST_F(DriverTest, ZeroCapacitySendsEveryCellThroughTheHistory) {
  driver_.SetCapacity(0);
  dispatcher_.Will({kZhong});
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(frame_.sent, ElementsAre(kZhong));
  EXPECT_EQ(driver_.cell_count(), 0);
  EXPECT_EQ(driver_.history_count(), 0);
}

// ---------------------------------------------------- corrections

TEST_F(DriverTest, ChoosingAnotherCandidateOfASentCellSendsBackspaceAndTheCharacter) {
  dispatcher_.Will({kZhong, kWen});
  driver_.RecognizeStrokes(Line(1), true);
  frame_.Take();
  driver_.ChooseCandidateByIndex(1);
  EXPECT_THAT(frame_.Take(),
              ElementsAre("12 7f08", "send 7f08", "101 c:c4ce", "11 c:c4ce", "send c4ce", "102 0 1", "111", "111"));
  EXPECT_TRUE(driver_.Cell(0)->corrected());
}

TEST_F(DriverTest, ChoosingTheFirstCandidateIsNoCorrection) {
  WriteLine({{kZhong, kWen}, {kZi, kYi}});
  driver_.ChooseCandidate(kYi);
  EXPECT_TRUE(driver_.Cell(1)->corrected());
  driver_.ChooseCandidate(kZi);
  EXPECT_FALSE(driver_.Cell(1)->corrected()) << "chosen by code";
  driver_.ChooseCandidateByIndex(1);
  driver_.ChooseCandidateByIndex(0);
  EXPECT_FALSE(driver_.Cell(1)->corrected()) << "chosen by index";
}

TEST_F(DriverTest, ChoosingWithoutSelectionDoesNothing) {
  driver_.ChooseCandidate(kZhong);
  EXPECT_TRUE(frame_.events.empty());
}

TEST_F(DriverTest, ReusedCellStartsUncorrected) {
  WriteLine({{kZhong, kWen}, {kZi, kYi}});
  driver_.ChooseCandidateByIndex(1);
  ASSERT_TRUE(driver_.Cell(1)->corrected());
  driver_.SelectCell(1);  // rewrite cell 1 in overwrite mode
  dispatcher_.Will({kWen});
  driver_.RecognizeStrokes(Line(1), true);
  ASSERT_THAT(Codes(), ElementsAre(kZhong, kWen));
  EXPECT_FALSE(driver_.Cell(1)->corrected());
  driver_.CommitCells();
  for (const auto& call : dispatcher_.calls) EXPECT_EQ(call.learn_code, 0) << "nothing to learn";
}

TEST_F(DriverTest, CommitWithAutoOnLearnsCorrectedCellsOnly) {
  WriteLine({{kZhong, kWen}, {kZi, kYi}});
  driver_.ChooseCandidateByIndex(1);  // the last cell is selected after a line
  const size_t recognitions = dispatcher_.calls.size();
  driver_.CommitCells();
  ASSERT_EQ(dispatcher_.calls.size(), recognitions + 1);
  EXPECT_EQ(dispatcher_.calls.back().learn_code, SwapBytes(kYi));
  EXPECT_EQ(dispatcher_.calls.back().strokes, dispatcher_.calls[1].strokes);
  EXPECT_FALSE(driver_.HistoryCell(1)->corrected()) << "learned once";
}

TEST_F(DriverTest, CommitWithAutoOffLearnsNothing) {
  settings_.auto_learn = false;
  WriteLine({{kZhong, kWen}, {kZi, kYi}});
  driver_.ChooseCandidateByIndex(1);
  frame_.Take();
  const size_t recognitions = dispatcher_.calls.size();
  driver_.CommitCells();
  EXPECT_EQ(dispatcher_.calls.size(), recognitions);
  EXPECT_THAT(frame_.Take(), ElementsAre("11 c:d0d6", "send d0d6", "11 c:bbd2", "send bbd2", "102 0 2", "103 0 0"));
}

// ------------------------------------------------------- editing

TEST_F(DriverTest, InsertModePutsTheNewCellBeforeTheSelectedOne) {
  settings_.insert = true;
  WriteLine({{kZhong}, {kWen}});
  driver_.SelectCell(1);
  dispatcher_.Will({kZi});
  driver_.RecognizeStrokes(Line(1), true);
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kZi, kWen));
}

TEST_F(DriverTest, MergeReplacesBothCellsWithOneInEitherMode) {
  for (const bool insert : {false, true}) {
    SCOPED_TRACE(insert ? "insert" : "overwrite");
    settings_.insert = insert;
    driver_.SetCapacity(10);
    WriteLine({{kZhong}, {kWen}, {kZi}});
    driver_.SelectCell(1);
    dispatcher_.Will({kYi});
    driver_.MergeWithPrevious(1);
    EXPECT_THAT(Codes(), ElementsAre(kYi, kZi));
    const auto& joined = dispatcher_.calls.back().strokes;
    EXPECT_EQ(wrendle::StrokeListView::Parse(joined)->stroke_count(), 2u);
    EXPECT_EQ(driver_.Cell(0)->strokes(), joined);
    EXPECT_TRUE(taps_.taps.empty());
  }
}

TEST_F(DriverTest, MergeOfTheFirstCellDoesNothing) {
  WriteLine({{kZhong}, {kWen}});
  frame_.Take();
  driver_.MergeWithPrevious(0);
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kWen));
  EXPECT_TRUE(frame_.events.empty());
}

TEST_F(DriverTest, SplitReplacesTheCellWithItsPiecesInEitherMode) {
  for (const bool insert : {false, true}) {
    for (const int which : {0, 1}) {
      SCOPED_TRACE(std::string(insert ? "insert" : "overwrite") + (which == 1 ? " last" : " inner"));
      settings_.insert = insert;
      driver_.SetCapacity(10);
      dispatcher_.segmentations.push_back({2, {1, 3}});
      dispatcher_.Will({kZhong});
      dispatcher_.Will({kWen});
      driver_.RecognizeStrokes(Line(3), false);  // a two-stroke cell kWen
      ASSERT_THAT(Codes(), ElementsAre(kZhong, kWen));
      if (which == 0) {
        // Move the two-stroke cell to the front so that it is an inner cell.
        driver_.MoveCell(0, 1);
        ASSERT_THAT(Codes(), ElementsAre(kWen, kZhong));
      }
      driver_.SelectCell(which);
      dispatcher_.segmentations.push_back({1, {2}});  // the cut setting first keeps it whole
      dispatcher_.segmentations.push_back({2, {1, 2}});  // cut setting 1 splits it
      dispatcher_.segmentations.push_back({2, {1, 2}});  // the recognition cuts it again
      dispatcher_.Will({kZi});
      dispatcher_.Will({kYi});
      dispatcher_.cut_settings.clear();
      driver_.SplitCell(which);
      if (which == 0) {
        EXPECT_THAT(Codes(), ElementsAre(kZi, kYi, kZhong));
      } else {
        EXPECT_THAT(Codes(), ElementsAre(kZhong, kZi, kYi));
      }
      EXPECT_THAT(dispatcher_.cut_settings, ElementsAre(1, 50)) << "retry with 1, then restored";
      EXPECT_TRUE(taps_.taps.empty());
      EXPECT_TRUE(frame_.sent.empty());
    }
  }
}

TEST_F(DriverTest, SplitThatRecognizesNothingPassesNoTap) {
  dispatcher_.segmentations.push_back({1, {1}});
  dispatcher_.Will({kZhong});
  driver_.RecognizeStrokes(Tap(40, 40), false);
  ASSERT_EQ(driver_.cell_count(), 1);
  dispatcher_.segmentations.push_back({2, {1, 1}});
  dispatcher_.segmentations.push_back({2, {1, 1}});
  driver_.SplitCell(0);
  EXPECT_TRUE(taps_.taps.empty());
}

TEST_F(DriverTest, SplitOfOnePieceLeavesTheCell) {
  WriteLine({{kZhong}});
  dispatcher_.segmentations.push_back({1, {1}});
  dispatcher_.segmentations.push_back({1, {1}});
  driver_.SplitCell(0);
  EXPECT_THAT(Codes(), ElementsAre(kZhong));
  EXPECT_EQ(dispatcher_.cut_setting, 50);
}

TEST_F(DriverTest, RemoveCellBackwardsRemovesTheOneBefore) {
  WriteLine({{kZhong}, {kWen}, {kZi}});
  driver_.SelectCell(2);
  frame_.Take();
  driver_.RemoveCell(2, true);
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kZi));
  EXPECT_THAT(frame_.Take(), ElementsAre("100 c:d6d7", "101 c:d6d7", "103 1 0", "102 1 2"));
}

TEST_F(DriverTest, RemoveFirstCellIgnoresBackwards) {
  WriteLine({{kZhong}, {kWen}});
  driver_.RemoveCell(0, true);
  EXPECT_THAT(Codes(), ElementsAre(kWen));
}

TEST_F(DriverTest, MoveCellRightAndLeft) {
  WriteLine({{kZhong}, {kWen}, {kZi}});
  frame_.Take();
  driver_.MoveCell(3, 0);
  EXPECT_THAT(Codes(), ElementsAre(kWen, kZi, kZhong));
  EXPECT_EQ(frame_.Take().front(), "102 0 3");
  driver_.MoveCell(0, 2);
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kWen, kZi));
  EXPECT_EQ(frame_.Take().front(), "102 0 2");
}

TEST_F(DriverTest, RestoreHistoryBringsBackTheLastCommittedLine) {
  WriteLine({{kZhong}, {kWen}});
  driver_.CommitCells();
  frame_.Take();
  driver_.RestoreHistory();
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kWen));
  EXPECT_EQ(driver_.history_count(), 0);
  EXPECT_THAT(frame_.Take(), ElementsAre("100 c:c4ce", "102 0 2", "103 2 0"));
  EXPECT_EQ(driver_.insertion(), 2);
  EXPECT_EQ(driver_.selected(), 1);
}

TEST_F(DriverTest, KeyAtSelectionGoesToTheSelectedCell) {
  WriteLine({{kZhong}, {kWen}, {kZi}});
  driver_.SelectCell(0);
  driver_.SelectCell(-1);  // S = 2, P = 3
  driver_.SendKeyCodeAtSelection(kKeyBackspace);
  // P becomes S = 2, so the key's line commits nothing, and the Backspace
  // removes the cell before position 2.
  EXPECT_THAT(Codes(), ElementsAre(kZhong, kZi));
}

TEST_F(DriverTest, KeyAtSelectionWithoutCellsDoesNothing) {
  driver_.SendKeyCodeAtSelection(kKeyBackspace);
  EXPECT_TRUE(frame_.events.empty());
}

TEST_F(DriverTest, BackspaceWithoutCellsGoesToTheTarget) {
  driver_.SendKeyCode(kKeyBackspace);
  EXPECT_THAT(frame_.sent, ElementsAre(kKeyBackspace));
}

TEST_F(DriverTest, SignAndDrawHandsTheInkOn) {
  driver_.set_sign_and_draw(true);
  driver_.RecognizeStrokes(Line(2), false);
  EXPECT_THAT(frame_.Take(), ElementsAre("105"));
  EXPECT_TRUE(dispatcher_.calls.empty());
}

TEST_F(DriverTest, EventsGoToThePadWhenItExists) {
  RecordingFrame pad(&driver_);
  driver_.SetPadTarget(&pad);
  driver_.SendKeyCode(kKeyEnter);
  EXPECT_TRUE(frame_.events.empty());
  EXPECT_THAT(pad.sent, ElementsAre(kKeyEnter));
  driver_.SetPadTarget(nullptr);
}

TEST_F(DriverTest, MalformedLineIsIgnored) {
  std::vector<StrokeEntry> broken = {{5, 0}, {1, 1}, {2, 2}};  // no end entry
  driver_.RecognizeStrokes(broken, false);
  EXPECT_TRUE(frame_.events.empty());
  EXPECT_TRUE(dispatcher_.calls.empty());
}

}  // namespace
