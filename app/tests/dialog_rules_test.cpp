// The rules of the setup, training, recognizer-kernel and About dialogs,
// without their windows, and the logon start value on a registry in memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/char_codes.h"
#include "app/core/credits.h"
#include "app/core/format_text.h"
#include "app/core/logon_start.h"
#include "app/core/setup_form.h"
#include "app/core/training_codes.h"
#include "app/core/user_map.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace wrendle;
using namespace wrendle::app;

TEST(LogonStart, QueryWriteAndDelete) {
  platform::MemoryRegistryStore registry;
  EXPECT_TRUE(QueryLogonStart(registry).available);
  EXPECT_FALSE(QueryLogonStart(registry).ticked);

  registry.WriteText(kSetAsideRunKey, kRunValueName, "old");
  ApplyLogonStart(registry, true, "C:\\Program Files\\Wrendle\\");
  // Quoted: unquoted, "C:\Program" would be started at logon.
  EXPECT_EQ(registry.ReadText(kRunKey, kRunValueName), "\"C:\\Program Files\\Wrendle\\SubWrendle.exe\"");
  EXPECT_FALSE(registry.ReadText(kSetAsideRunKey, kRunValueName));
  EXPECT_TRUE(QueryLogonStart(registry).ticked);

  ApplyLogonStart(registry, false, "C:\\Program Files\\Wrendle\\");
  EXPECT_FALSE(registry.ReadText(kRunKey, kRunValueName));
  EXPECT_FALSE(QueryLogonStart(registry).ticked);

  registry.WriteText(kRunKey, kRunValueName, "");
  EXPECT_FALSE(QueryLogonStart(registry).ticked);  // an empty value is no start
}

TEST(LogonStart, UnopenableKeyIsUnavailable) {
  platform::MemoryRegistryStore registry;
  registry.Lock(kRunKey);
  const LogonStartState state = QueryLogonStart(registry);
  EXPECT_FALSE(state.available);
  EXPECT_FALSE(state.ticked);
}

TEST(SetupForm, RangeBoxesByLanguageAndMode) {
  struct Case {
    int language, cursive, shown;
  };
  const Case cases[] = {
      {kLanguageSimplifiedChinese, 0, 0x7},   {kLanguageSimplifiedChinese, 1, 0x47},
      {kLanguageTraditionalChinese, 2, 0x4F}, {kLanguageTraditionalChinese, 0, 0x7},
      {kLanguageJapanese, 1, 0x57},           {kLanguageKorean, 2, 0x67},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShownRangeBits(c.language, c.cursive), c.shown) << c.language << c.cursive;
}

TEST(SetupForm, OptionBoxesBySystemLanguage) {
  const OptionBoxes chinese = OptionBoxesShown(kLanguageTraditionalChinese, kLanguageTraditionalChinese);
  EXPECT_TRUE(chinese.use_ime);
  EXPECT_FALSE(chinese.unicode);
  EXPECT_TRUE(chinese.append_space);
  // System language 0: Unicode takes the place of the input-method box.
  const OptionBoxes other = OptionBoxesShown(kNoSystemLanguage, kLanguageJapanese);
  EXPECT_FALSE(other.use_ime);
  EXPECT_TRUE(other.unicode);
  EXPECT_FALSE(other.append_space);
}

TEST(SetupForm, OkCountsOnlyShownBoxesAndKeepsHiddenBits) {
  const int shown = ShownRangeBits(kLanguageSimplifiedChinese, 0);  // 1034-1036
  EXPECT_FALSE(OkAllowed(0, shown));
  // The HK box (0x8) is hidden: its tick alone does not allow OK.
  EXPECT_FALSE(OkAllowed(0x8 | 0x40, shown));
  EXPECT_TRUE(OkAllowed(0x2, shown));
  EXPECT_EQ(RangeAfterOk(0x8 | 0x1, 0x2, shown), 0x8000 | 0x8 | 0x2);
  EXPECT_EQ(RangeAfterOk(0x8000 | 0x7F, 0x4, ShownRangeBits(kLanguageTraditionalChinese, 2)),
            0x8000 | 0x30 | 0x4);
}

TEST(SetupForm, WidthAndScrollBars) {
  EXPECT_EQ(WidthSelection(35), 19);  // item "20", stored again as 20
  EXPECT_EQ(WidthSelection(0), 0);
  EXPECT_EQ(WidthSelection(5), 4);

  int position = kDelayScroll.PositionOf(100);
  EXPECT_EQ(position, -100);
  position = Scroll(kDelayScroll, position, ScrollRequest::kPageRight, 0);
  EXPECT_EQ(position, -90);
  EXPECT_EQ(kDelayScroll.ValueAt(position), 90);
  EXPECT_EQ(Scroll(kDelayScroll, -35, ScrollRequest::kPageRight, 0), -30);
  EXPECT_EQ(Scroll(kSensitiveScroll, -200, ScrollRequest::kLineLeft, 0), -200);
  EXPECT_EQ(Scroll(kSensitiveScroll, -100, ScrollRequest::kRight, 0), -30);
  EXPECT_EQ(kSensitiveScroll.PositionOf(500), -200);

  EXPECT_EQ(kCharPitchScroll.PositionOf(50), -50);
  EXPECT_EQ(Scroll(kCharPitchScroll, -50, ScrollRequest::kThumbPosition, -1), -1);
  EXPECT_EQ(kCharPitchScroll.ValueAt(-1), 99);
  EXPECT_EQ(Scroll(kCharPitchScroll, -50, ScrollRequest::kThumbTrack, 40), -1);
}

bool Big5Lead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

TEST(TrainingCodes, OwnCodesAndUserCodes) {
  testing_support::TemporaryDirectory folder;
  CUserMap map(folder.path().string());
  map.SetUser("writer");
  EXPECT_EQ(ExpectedCodeToCompare(" a\t", map, Big5Lead), 'a');
  EXPECT_EQ(ExpectedCodeToCompare("\xA4\x40", map, Big5Lead), 0x40A4);
  // "ab" is two characters, not one double-byte code; comparing gives it no
  // user code yet.
  EXPECT_FALSE(ExpectedCodeToCompare("ab", map, Big5Lead));
  EXPECT_TRUE(map.entries().empty());
  EXPECT_FALSE(ExpectedCodeToCompare("  ", map, Big5Lead));

  const auto trained = ExpectedCodeToTrain("ab", map, Big5Lead);
  ASSERT_TRUE(trained);
  EXPECT_EQ(map.entries().size(), 1u);
  EXPECT_EQ(ExpectedCodeToCompare("AB", map, Big5Lead), trained);
  EXPECT_EQ(ExpectedCodeToTrain("ab", map, Big5Lead), trained);
  EXPECT_EQ(map.entries().size(), 1u);
  // In candidate form, as the kernel gives back what it learned: the user
  // code's bytes swapped.
  const int user_code = map.entries().begin()->first;
  EXPECT_TRUE(IsUserCode(user_code));
  EXPECT_EQ(*trained, SwapBytes(static_cast<std::uint16_t>(user_code)));
}

TEST(TrainingCodes, OpeningTextOfAUserCodeCellIsItsText) {
  testing_support::TemporaryDirectory folder;
  CUserMap map(folder.path().string());
  map.SetUser("writer");
  const int code = map.AllocateCode("hello");
  const std::uint16_t cell = SwapBytes(static_cast<std::uint16_t>(code));
  const std::string cell_text{static_cast<char>(cell & 0xFF), static_cast<char>(cell >> 8)};
  EXPECT_EQ(OpeningTrainingText(cell_text, map), "hello");
  EXPECT_EQ(OpeningTrainingText("¤@", map), "¤@");
  EXPECT_EQ(OpeningTrainingText("ab", map), "ab");
  // A two-byte text that would be a user code the map does not have.
  const std::string unknown{'\x02', '\x01'};
  EXPECT_EQ(OpeningTrainingText(unknown, map), unknown);
}

TEST(TrainingCodes, VerdictsAndMessages) {
  const std::vector<std::uint16_t> codes = {0x40A4, 'x'};
  EXPECT_EQ(JudgeRecognition(2, codes, 0x40A4), RecognitionVerdict::kRight);
  EXPECT_EQ(JudgeRecognition(2, codes, 'x'), RecognitionVerdict::kWrong);
  EXPECT_EQ(JudgeRecognition(2, codes, std::nullopt), RecognitionVerdict::kWrong);
  EXPECT_EQ(JudgeRecognition(0, codes, 'x'), RecognitionVerdict::kNoCandidate);
  // A gesture result leaves the array unfilled: no candidate to read.
  EXPECT_EQ(JudgeRecognition(14, codes, 0x40A4), RecognitionVerdict::kNoCandidate);

  testing_support::TemporaryDirectory folder;
  CUserMap map(folder.path().string());
  map.SetUser("writer");
  const std::string format = "Result is : %c%c\nRecognized OK!!! 100%s";
  EXPECT_EQ(ResultMessage(format, 0x40A4, map), "Result is : \xA4\x40\nRecognized OK!!! 100%s");
  EXPECT_EQ(ResultMessage(format, 'x', map), "Result is : x\nRecognized OK!!! 100%s");
  const int code = map.AllocateCode("hello");
  EXPECT_EQ(ResultMessage(format, SwapBytes(static_cast<std::uint16_t>(code)), map),
            "Result is : hello\nRecognized OK!!! 100%s");
}

TEST(FillPlaces, InOnePass) {
  EXPECT_EQ(FillPlaces("%s Version %s", {"Wrendle Pen Input", "2.63"}), "Wrendle Pen Input Version 2.63");
  // A name with "%s" or "%d" in it is taken as it is.
  EXPECT_EQ(FillPlaces("%s Version %s", {"A %s %d", "2.63"}), "A %s %d Version 2.63");
  EXPECT_EQ(FillPlaces("%s Version %s", {"X"}), "X Version %s");
}

TEST(Credits, FourLinesAfterTheGesture) {
  const auto lines = UnscrambleCredits();
  EXPECT_EQ(lines[0], "Wrendle Pen Input");
  for (const auto& line : lines) EXPECT_FALSE(line.empty());

  CreditsGesture gesture;
  const DialogQuarter order[] = {DialogQuarter::kUpperLeft, DialogQuarter::kUpperRight,
                                 DialogQuarter::kLowerRight, DialogQuarter::kLowerLeft};
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(gesture.Click(order[i], true));
  EXPECT_TRUE(gesture.Click(order[3], true));
  // Without Alt the sequence starts again; a wrong quarter too.
  EXPECT_FALSE(gesture.Click(order[0], true));
  EXPECT_FALSE(gesture.Click(order[1], false));
  EXPECT_FALSE(gesture.Click(order[2], true));
  EXPECT_FALSE(gesture.Click(order[0], true));
  EXPECT_FALSE(gesture.Click(order[0], true));
  EXPECT_FALSE(gesture.Click(order[1], true));
  EXPECT_FALSE(gesture.Click(order[2], true));
  EXPECT_TRUE(gesture.Click(order[3], true));
  EXPECT_EQ(QuarterOf(10, 10, 100, 80), DialogQuarter::kUpperLeft);
  EXPECT_EQ(QuarterOf(60, 50, 100, 80), DialogQuarter::kLowerRight);
}

}  // namespace
