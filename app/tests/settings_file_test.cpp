#include "app/core/settings_file.h"

#include <gtest/gtest.h>

#include "tests/support/temporary_directory.h"

namespace {

using namespace wrendle;
using namespace wrendle::app;

constexpr platform::ScreenSize kFullHd{1920, 1080};

class SettingsFileTest : public testing::Test {
 protected:
  SettingsFileTest()
      : store_(platform::MakeIniFileProfileStore(directory_.path().string())), file_(*store_, kProfileName) {}

  int Stored(const char* section, const std::string& key) const {
    return store_->GetInt(kProfileName, section, key, -12345);
  }

  testing_support::TemporaryDirectory directory_;
  std::unique_ptr<platform::ProfileStore> store_;
  SettingsFile file_;
};

TEST_F(SettingsFileTest, EmptyFileGivesDefaultsForTheScreen) {
  const Settings s = file_.Load(kNoSystemLanguage, kFullHd);
  EXPECT_EQ((WindowPoint{s.px, s.py}), (WindowPoint{640, 360}));
  EXPECT_EQ((WindowPoint{s.sx, s.sy}), (WindowPoint{640, 360}));
  EXPECT_EQ((WindowPoint{s.mx, s.my}), (WindowPoint{640, 360}));
  for (int i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(s.full_screen_panes[i].open, i == 0 || i == 2) << i;
    EXPECT_EQ(s.full_screen_panes[i].x, 760) << i;
    EXPECT_EQ(s.full_screen_panes[i].y, 375 + 22 * i) << i;
    EXPECT_FALSE(s.pad_panes[i].open) << i;
    EXPECT_EQ(s.pad_panes[i].y, 375 + 22 * i) << i;
  }
  EXPECT_EQ(s.pen_color, 0x0000FFu);
  EXPECT_EQ(s.pen_width, 5);
  EXPECT_EQ(s.delay, 100);
  EXPECT_EQ(s.sensitive, 120);
  EXPECT_EQ(s.cursive, 2);
  EXPECT_EQ(s.range, 0x8009);
  EXPECT_EQ(s.char_pitch, 50);
  EXPECT_EQ(s.use_gesture, 1);
  EXPECT_EQ(s.recognizer_language, 4000);
  EXPECT_EQ(s.display_language, 0);
  EXPECT_TRUE(s.spacing);
  EXPECT_FALSE(s.is_dbcs_char);
  EXPECT_TRUE(s.auto_learn);
}

TEST_F(SettingsFileTest, SaveWritesEveryKeyAndLoadReadsItBack) {
  Settings s = file_.Load(kLanguageTraditionalChinese, kFullHd);
  s.pen_color = 0x123456;
  s.use_gesture = 0;
  s.pad_panes[4] = {true, 11, 22};
  s.symbol_group = 3;
  ASSERT_TRUE(file_.Save(s));
  EXPECT_EQ(Stored("Kernel", "Range"), 0x8009);
  EXPECT_EQ(Stored("Pen", "Red"), 0x56);
  EXPECT_EQ(Stored("Pen", "Green"), 0x34);
  EXPECT_EQ(Stored("Pen", "Blue"), 0x12);
  EXPECT_EQ(Stored("Char", "Inking"), 0);
  const std::vector<std::pair<const char*, const char*>> keys = {
      {"CodePage", "Display"}, {"CodePage", "Recognizer"}, {"Kernel", "UseGesture"},
      {"Kernel", "Cursive"},   {"Kernel", "CommChar"},     {"Kernel", "CharPitch"},
      {"Layout", "Layout"},    {"Layout", "Px"},           {"Layout", "Py"},
      {"Layout", "Sx"},        {"Layout", "Sy"},           {"Layout", "Mx"},
      {"Layout", "My"},        {"Pen", "Width"},           {"Pen", "Delay"},
      {"Pen", "Sensitive"},    {"Pen", "PenMouse"},        {"Pen", "IsPressure"},
      {"Layout", "SymGrp"},    {"Learn", "Auto"},          {"Char", "Insert"},
      {"Char", "FullShape"},   {"Char", "WaitRecognize"},  {"Char", "UseIME"},
      {"Char", "IsDBCSChar"},  {"Char", "Spacing"},        {"Input Method", "PostUnicode"},
      {"Voice", "Speech"}};
  for (const auto& [section, key] : keys) EXPECT_NE(Stored(section, key), -12345) << section << " " << key;
  for (int i = 0; i < kPaneCount; ++i) {
    for (const char* prefix : {"KB_", "xKB_", "yKB_", "PadKB_", "PadxKB_", "PadyKB_"}) {
      EXPECT_NE(Stored("Layout", prefix + std::to_string(i)), -12345) << prefix << i;
    }
  }
  const Settings again = file_.Load(kLanguageTraditionalChinese, kFullHd);
  EXPECT_EQ(again.pen_color, 0x123456u);
  EXPECT_EQ(again.use_gesture, 0);
  EXPECT_TRUE(again.pad_panes[4].open);
  EXPECT_EQ(again.pad_panes[4].x, 11);
  EXPECT_EQ(again.symbol_group, 3);
  EXPECT_EQ(again.range, 0x8009);
}

TEST_F(SettingsFileTest, ModeOutsideItsRangeBecomesTwo) {
  for (const int stored : {7, -1, 3}) {
    store_->WriteString(kProfileName, "Kernel", "Cursive", std::to_string(stored));
    EXPECT_EQ(file_.Load(kNoSystemLanguage, kFullHd).cursive, 2) << stored;
  }
  store_->WriteString(kProfileName, "Kernel", "Cursive", "0");
  EXPECT_EQ(file_.Load(kNoSystemLanguage, kFullHd).cursive, 0);
}

TEST_F(SettingsFileTest, SystemWithKernelOverridesBothLanguages) {
  store_->WriteString(kProfileName, "CodePage", "Recognizer", "2000");
  store_->WriteString(kProfileName, "CodePage", "Display", "0");
  const Settings simplified = file_.Load(kLanguageSimplifiedChinese, kFullHd);
  EXPECT_EQ(simplified.recognizer_language, 4000);
  EXPECT_EQ(simplified.display_language, 4000);
  EXPECT_FALSE(simplified.spacing);
  EXPECT_TRUE(simplified.is_dbcs_char);
  const Settings japanese = file_.Load(kLanguageJapanese, kFullHd);
  EXPECT_EQ(japanese.recognizer_language, 2000);
  EXPECT_EQ(japanese.display_language, 0);
}

TEST_F(SettingsFileTest, InputMethodAndUnicodeKeysDependOnTheSystemLanguage) {
  store_->WriteString(kProfileName, "Char", "UseIME", "1");
  store_->WriteString(kProfileName, "Input Method", "PostUnicode", "1");
  const Settings chinese = file_.Load(kLanguageTraditionalChinese, kFullHd);
  EXPECT_TRUE(chinese.use_ime);
  EXPECT_FALSE(chinese.post_unicode);
  const Settings other = file_.Load(kNoSystemLanguage, kFullHd);
  EXPECT_FALSE(other.use_ime);
  EXPECT_TRUE(other.post_unicode);
}

TEST_F(SettingsFileTest, CurrentUserDefaultsToOdrin) {
  EXPECT_EQ(file_.CurrentUser(), "odrin");
  store_->WriteString(kProfileName, "Learn", "CurrentUser", "Ann");
  EXPECT_EQ(file_.CurrentUser(), "Ann");
}

TEST(RestrictToLanguageTest, KoreanClosesPhraseAndHomophonePanesAndFullWidth) {
  Settings s;
  for (auto& pane : s.full_screen_panes) pane.open = true;
  for (auto& pane : s.pad_panes) pane.open = true;
  s.full_shape = true;
  Settings unchanged = s;
  RestrictToLanguage(unchanged);
  EXPECT_TRUE(unchanged.full_shape);
  s.recognizer_language = kLanguageKorean;
  RestrictToLanguage(s);
  EXPECT_FALSE(s.full_shape);
  for (int i = 0; i < kPaneCount; ++i) {
    const bool closed = i == kPanePhrases || i == kPaneHomophones;
    EXPECT_EQ(s.full_screen_panes[i].open, !closed) << i;
    EXPECT_EQ(s.pad_panes[i].open, !closed) << i;
  }
}

struct ClampCase {
  WindowPoint in;
  WindowPoint out;
};

class ClampToScreenTest : public testing::TestWithParam<ClampCase> {};

TEST_P(ClampToScreenTest, KeepsPointsInsideAndMovesOthers) {
  EXPECT_EQ(ClampToScreen(GetParam().in, kFullHd), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Points, ClampToScreenTest,
                         testing::Values(ClampCase{{0, 0}, {0, 0}}, ClampCase{{1859, 1049}, {1859, 1049}},
                                         ClampCase{{1860, 10}, {1280, 720}},
                                         ClampCase{{10, 1050}, {1280, 720}}, ClampCase{{-1, 10}, {1280, 720}},
                                         ClampCase{{10, -5}, {1280, 720}}));

struct LanguageCase {
  unsigned language_id;
  int code;
};

class SystemLanguageCodeTest : public testing::TestWithParam<LanguageCase> {};

TEST_P(SystemLanguageCodeTest, MapsWindowsLanguageIds) {
  EXPECT_EQ(SystemLanguageCode(GetParam().language_id), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Ids, SystemLanguageCodeTest,
                         testing::Values(LanguageCase{0x0804, 4000}, LanguageCase{0x0404, 2000},
                                         LanguageCase{0x0C04, 2000}, LanguageCase{0x1004, 2000},
                                         LanguageCase{0x1404, 2000}, LanguageCase{0x0411, 1000},
                                         LanguageCase{0x0412, 3000}, LanguageCase{0x0409, 0},
                                         LanguageCase{0x0407, 0}));

}  // namespace
