// The portable parts of the panes: tab layout, key labels, symbol pages,
// predefined texts and the speech test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "app/core/pane_keys.h"
#include "app/core/predefined_strings.h"
#include "app/core/speech_support.h"
#include "app/core/tab_layout.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing::ElementsAre;
using namespace wrendle::app;

std::vector<int> Offsets(const std::vector<PaneTab>& tabs) {
  std::vector<int> offsets;
  for (const PaneTab& tab : tabs) offsets.push_back(tab.offset);
  return offsets;
}

TEST(TabLayoutTest, AGroupOverTheGridGetsContinuationTabsOfTheSameLabel) {
  const GridSize grid{5, 4};
  const auto tabs = LayoutTabs({"1", "2"}, {30, 3}, grid.capacity());
  ASSERT_EQ(tabs.size(), 3u);
  EXPECT_THAT(Offsets(tabs), ElementsAre(0, 20, 0));
  EXPECT_EQ(tabs[1].label, "1");
  EXPECT_EQ(tabs[1].group, 0);
  EXPECT_EQ(tabs[2].group, 1);
  EXPECT_EQ(VisibleCells(30, 20, grid), 10);
  EXPECT_EQ(VisibleCells(30, 0, grid), 20);
  EXPECT_EQ(VisibleCells(3, 20, grid), 0);
  // Exactly full: no empty continuation.
  EXPECT_EQ(LayoutTabs({"1"}, {20}, 20).size(), 1u);
  EXPECT_EQ(LayoutTabs({"1"}, {0}, 20).size(), 1u);
}

TEST(TabLayoutTest, NoGridStillEndsWithOneCellPerTab) {
  const GridSize grid = GridOf(1, 1, 20, 20);
  EXPECT_EQ(grid.columns, 1);
  EXPECT_EQ(grid.rows, 1);
  EXPECT_EQ(LayoutTabs({"1"}, {3}, 0).size(), 3u);
  EXPECT_EQ(GridOf(102, 42, 20, 10).columns, 5);
  EXPECT_EQ(GridOf(102, 42, 20, 10).rows, 4);
  EXPECT_EQ(GridOf(100, 100, 0, 0).capacity(), 1);
}

TEST(TabLayoutTest, TabDataAndCellsUnderTheMouse) {
  const std::uint32_t data = PackTabData(3, 40);
  EXPECT_EQ(TabDataGroup(data), 3);
  EXPECT_EQ(TabDataOffset(data), 40);
  const GridSize grid{5, 4};
  EXPECT_EQ(CellAt(0, 0, grid, 10, 8, 20), 0);
  EXPECT_EQ(CellAt(25, 9, grid, 10, 8, 20), 7);
  EXPECT_EQ(CellAt(25, 9, grid, 10, 8, 7), -1);
  EXPECT_EQ(CellAt(55, 0, grid, 10, 8, 20), -1);
  EXPECT_EQ(CellAt(-1, 0, grid, 10, 8, 20), -1);
}

const std::string kUnshifted = "`1234567890-=\\qwertyuiop[]asdfghjkl;'zxcvbnm,./";
const std::string kShifted = "~!@#$%^&*()_+|QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?";

std::string Joined(const std::array<std::string, kKeyboardKeys>& labels) {
  std::string text;
  for (const std::string& label : labels) text += label.empty() ? "_" : label;
  return text;
}

TEST(KeyboardLabelsTest, ShiftAndCapsTogetherGiveLowerCaseLettersAndShiftedPunctuation) {
  ASSERT_EQ(kUnshifted.size(), 47u);
  ASSERT_EQ(kShifted.size(), 47u);
  EXPECT_EQ(Joined(KeyboardLabels(kUnshifted, kShifted, false, false)), kUnshifted);
  EXPECT_EQ(Joined(KeyboardLabels(kUnshifted, kShifted, true, false)), kShifted);
  EXPECT_EQ(Joined(KeyboardLabels(kUnshifted, kShifted, false, true)),
            "`1234567890-=\\QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,./");
  EXPECT_EQ(Joined(KeyboardLabels(kUnshifted, kShifted, true, true)),
            "~!@#$%^&*()_+|qwertyuiop{}asdfghjkl:\"zxcvbnm<>?");
  // A short string leaves the keys past its end empty.
  EXPECT_EQ(Joined(KeyboardLabels("`12", kShifted, false, false)), "`12" + std::string(44, '_'));
  int letters = 0;
  for (int key = 0; key < kKeyboardKeys; ++key) letters += IsLetterKey(key) ? 1 : 0;
  EXPECT_EQ(letters, 26);
  for (int key = 0; key < kKeyboardKeys; ++key)
    EXPECT_EQ(IsLetterKey(key),
              std::isalpha(static_cast<unsigned char>(kUnshifted[static_cast<std::size_t>(key)])) != 0);
}

TEST(SymbolPagesTest, ThirtyBytesGiveThreePagesTheLastWithThreeSymbols) {
  const std::string symbols = "AABBCCDDEEFFGGHHIIJJKKLLMMNNOO";
  EXPECT_EQ(SymbolPageCount(symbols), 3);
  const auto last = SymbolKeys(symbols, 2);
  EXPECT_EQ(last[0].text, "MM");
  EXPECT_EQ(last[2].text, "OO");
  EXPECT_TRUE(last[2].enabled);
  EXPECT_FALSE(last[3].enabled);
  EXPECT_EQ(last[5].text, "");
  EXPECT_FALSE(SymbolKeys(symbols, 3)[0].enabled);
  EXPECT_FALSE(SymbolKeys(symbols, -1)[0].enabled);
  EXPECT_EQ(SymbolPageMenuText(symbols, 1), "GGHHIIJJKKLL");
  EXPECT_EQ(SymbolPageMenuText(", & ", 0), ", && ");
  EXPECT_EQ(SymbolPageMenuText(symbols, 5), "");
  // More than ten pages: the rest would take the next category's ids.
  EXPECT_EQ(SymbolPageCount(std::string(200, 'x')), 10);
  EXPECT_EQ(SymbolPageCount(""), 0);
}

TEST(SymbolPagesTest, GroupsCommandsAndClamping) {
  EXPECT_EQ(25 / kSymbolPagesPerCategory, 2);
  EXPECT_EQ(SymbolGroupCommand(2, 5), 10033);
  EXPECT_EQ(SymbolGroupOfCommand(10033), 25);
  EXPECT_EQ(SymbolGroupOfCommand(10008), 0);
  EXPECT_EQ(SymbolGroupOfCommand(10067), 59);
  EXPECT_EQ(SymbolGroupOfCommand(10068), std::nullopt);
  EXPECT_EQ(SymbolGroupOfCommand(10007), std::nullopt);
  EXPECT_EQ(ClampSymbolGroup(59), 59);
  EXPECT_EQ(ClampSymbolGroup(60), 0);
  EXPECT_EQ(ClampSymbolGroup(-3), 0);
}

class PredefinedStringsTest : public testing::Test {
 protected:
  testing_support::TemporaryDirectory folder_;
  std::unique_ptr<platform::ProfileStore> store_ = platform::MakeIniFileProfileStore(folder_.path().string());
};

TEST_F(PredefinedStringsTest, SectionIsTheUserAndTheSystemLanguage) {
  EXPECT_EQ(PredefinedStringsSection("Wang", 2000), "Wang.2000");
  EXPECT_EQ(PredefinedStringsSection("", 4000), "tovan.4000");
}

TEST_F(PredefinedStringsTest, LongTextsReadWholeAndOnlyChangedKeysWritten) {
  const std::string long_text(200, 'a');
  store_->WriteString(kPredefinedStringsFile, "Wang.2000", "1", long_text);
  store_->WriteString(kPredefinedStringsFile, "Wang.2000", "2", "two");
  PredefinedStrings strings(*store_, "Wang.2000");
  strings.Load();
  EXPECT_EQ(strings.texts()[0], long_text);
  EXPECT_EQ(strings.texts()[1], "two");
  EXPECT_EQ(strings.texts()[9], "");
  EXPECT_FALSE(strings.changed());

  auto texts = strings.texts();
  texts[2] = "three";
  texts[6] = "seven";
  strings.SetTexts(texts);
  // Someone else changes key 2 meanwhile: it is not this pane's change.
  store_->WriteString(kPredefinedStringsFile, "Wang.2000", "2", "other");
  ASSERT_TRUE(strings.Save());
  EXPECT_FALSE(strings.changed());
  EXPECT_EQ(store_->GetString(kPredefinedStringsFile, "Wang.2000", "1"), long_text);
  EXPECT_EQ(store_->GetString(kPredefinedStringsFile, "Wang.2000", "2"), "other");
  EXPECT_EQ(store_->GetString(kPredefinedStringsFile, "Wang.2000", "3"), "three");
  EXPECT_EQ(store_->GetString(kPredefinedStringsFile, "Wang.2000", "7"), "seven");
  EXPECT_EQ(store_->GetString(kPredefinedStringsFile, "Wang.2000", "4"), std::nullopt);
}

TEST(LimitTextTest, NeverSplitsADoubleByteCharacter) {
  EXPECT_EQ(LimitText("abc", 2), "ab");
  EXPECT_EQ(LimitText("a\xD6\xD0", 2), "a");
  EXPECT_EQ(LimitText("a\xD6\xD0", 3), "a\xD6\xD0");
  EXPECT_EQ(LimitText("", 5), "");
}

TEST(SpeechSupportTest, AvailableWithTheLibraryAndForGb2312TheTable) {
  EXPECT_FALSE(SpeechAvailable(false, true, 2000));
  EXPECT_TRUE(SpeechAvailable(true, false, 2000));
  EXPECT_FALSE(SpeechAvailable(true, false, 4000));
  EXPECT_TRUE(SpeechAvailable(true, true, 4000));

  testing_support::TemporaryDirectory empty, with_table;
  std::ofstream(with_table.File(kSpeechTableName), std::ios::binary) << std::string(kSpeechTableSize, '\0');
  const SpeechSupport none({empty.path().string()});
  EXPECT_FALSE(none.table_present());
  EXPECT_FALSE(none.library_loaded());
  const SpeechSupport table({empty.path().string(), with_table.path().string()});
  EXPECT_TRUE(table.table_present());
  EXPECT_FALSE(table.Available(2000));
}

TEST(SpeechSupportTest, TheLibraryCountsOnlyWithAllThreeEntries) {
  const std::string root = WRENDLE_SPEECH_STUB_ROOT;
  const SpeechSupport full({root + "/speech_full"});
  EXPECT_TRUE(full.library_loaded());
  EXPECT_TRUE(full.Available(2000));
  EXPECT_FALSE(full.Available(4000)) << "GB2312 needs the table too";
  EXPECT_FALSE(SpeechSupport({root + "/speech_partial"}).library_loaded());
  // The first folder that has the library decides.
  EXPECT_FALSE(SpeechSupport({root + "/speech_partial", root + "/speech_full"}).library_loaded());
}

}  // namespace
