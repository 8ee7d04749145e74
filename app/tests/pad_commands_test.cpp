#include "app/core/pad_commands.h"

#include <gtest/gtest.h>

namespace wrendle::app {
namespace {

TEST(PenMouseTest, ThreePressesFromOneCycleThroughEveryMode) {
  Settings settings;
  settings.pen_mouse = 1;
  const int expected_modes[] = {2, 0, 1};
  const BitmapPair expected_bitmaps[] = {{179, 180}, {181, 182}, {183, 184}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ApplySettingsCommand(kPadPenMouse, settings), SettingsFollowUp::kRequestCaptureOn);
    EXPECT_EQ(settings.pen_mouse, expected_modes[i]);
    EXPECT_EQ(PenMouseBitmaps(settings.pen_mouse), expected_bitmaps[i]);
  }
}

TEST(PenMouseTest, StoredModeOutsideTheTableIsTakenAsZero) {
  EXPECT_EQ(PenMouseBitmaps(7), (BitmapPair{181, 182}));
  EXPECT_EQ(PenMouseBitmaps(-1), (BitmapPair{181, 182}));
  EXPECT_EQ(NextPenMouse(7), 1);
}

TEST(SettingsCommandTest, TogglesAndFollowUps) {
  Settings s;
  s.full_shape = true;
  EXPECT_EQ(ApplySettingsCommand(kPadHalfWidth, s), SettingsFollowUp::kNone);
  EXPECT_FALSE(s.full_shape);
  ApplySettingsCommand(kPadFullWidth, s);
  ApplySettingsCommand(kPadFullWidth, s);
  EXPECT_TRUE(s.full_shape) << "full width sets, it does not toggle";
  const bool auto_learn = s.auto_learn;
  ApplySettingsCommand(kPadAdapting, s);
  EXPECT_EQ(s.auto_learn, !auto_learn);
  const bool wait = s.wait_recognize;
  ApplySettingsCommand(kPadWaitButton, s);
  EXPECT_EQ(s.wait_recognize, !wait);
  s.comm_char = 1;
  EXPECT_EQ(ApplySettingsCommand(kPadCommonChars, s), SettingsFollowUp::kSetRecognitionRange);
  EXPECT_EQ(s.comm_char, 0);
  ApplySettingsCommand(kPadCommonChars, s);
  EXPECT_EQ(s.comm_char, 1);
  EXPECT_EQ(ApplySettingsCommand(kPadSetup, s), std::nullopt);
}

TEST(KernelVariantTest, QuestionFollowsTheBitAndTheToggleKeepsTheRest) {
  Settings s;
  s.range = 0x8001;
  EXPECT_EQ(KernelVariantQuestion(s), 1127u);
  ToggleKernelVariant(s);
  EXPECT_EQ(s.range, 0x8009);
  EXPECT_EQ(KernelVariantQuestion(s), 1128u);
  ToggleKernelVariant(s);
  EXPECT_EQ(s.range, 0x8001);
}

TEST(DisplayLanguageTest, ToggleBetweenChineseAndTheRecognizer) {
  Settings s;
  s.recognizer_language = kLanguageSimplifiedChinese;
  s.display_language = 0;
  EXPECT_EQ(ToggledDisplayLanguage(s), kLanguageSimplifiedChinese);
  s.display_language = kLanguageTraditionalChinese;
  EXPECT_EQ(ToggledDisplayLanguage(s), 0);
}

TEST(CommandLineTest, ReadingCarriesBothLanguages) {
  Settings s;
  s.display_language = 0;
  s.recognizer_language = 4000;
  EXPECT_EQ(ReadingCommandLine(s), "RiruDarave.exe 0,4000");
}

TEST(PaneStateTest, EachLayoutKeepsItsOwnTable) {
  Settings s;
  s.layout = 1;
  StorePaneState(s, kPaneSymbols, true, {40, 50});
  EXPECT_TRUE(s.full_screen_panes[kPaneSymbols].open);
  EXPECT_FALSE(s.pad_panes[kPaneSymbols].open);
  EXPECT_EQ(PanePosition(s, kPaneSymbols), (Point{40, 50}));
  // Closed: the flag clears, the place stays for the next opening.
  StorePaneState(s, kPaneSymbols, false, {});
  EXPECT_FALSE(s.full_screen_panes[kPaneSymbols].open);
  EXPECT_EQ(PanePosition(s, kPaneSymbols), (Point{40, 50}));
  s.layout = 0;
  EXPECT_EQ(PanePosition(s, kPaneSymbols), (Point{0, 0}));
  StorePaneState(s, 5, true, {1, 1});
  StorePaneState(s, -1, true, {1, 1});
  EXPECT_EQ(PanePosition(s, 5), (Point{0, 0}));
}

}  // namespace
}  // namespace wrendle::app
