#include "app/core/popup_menu_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace wrendle::app;

// The menu as a compact text: "-" for a separator, else "string/command",
// "*" when checked and "@language" when not loaded in the display language.
std::string Describe(const PopupMenuState& state) {
  std::string text;
  for (const PopupMenuItem& item : PopupMenuItems(state)) {
    if (!text.empty()) text += ' ';
    if (item.separator) {
      text += '-';
      continue;
    }
    text += std::to_string(item.string_id) + '/' + std::to_string(item.command);
    if (item.checked) text += '*';
    if (item.language != state.display_language) text += '@' + std::to_string(item.language);
  }
  return text;
}

PopupMenuState WritePad() {
  PopupMenuState state;
  state.layout = 0;
  state.mode = 0;
  state.system_language = 4000;
  state.recognizer_language = 4000;
  state.display_language = 2000;
  state.resource_library = true;
  return state;
}

TEST(PopupMenuTest, WritePadInKernelMode) {
  EXPECT_EQ(Describe(WritePad()),
            "- 72/1050 82/1076 - 74/1054 89/1053 36/1023 37/1024 502/1113 - 1119/1119 38/1025* 39/1026 "
            "91/1077 66/1040 40/1027 - 96/1091* 95/1090 99/99 - 500/1093@4000 92/1089");
}

TEST(PopupMenuTest, FullScreenAddsWindowModeAndTheSystemCommands) {
  PopupMenuState state = WritePad();
  state.layout = 1;
  state.mode = 1;
  EXPECT_EQ(
      Describe(state),
      "72/1050 - 74/1054 89/1053 36/1023 37/1024 502/1113 - 42/42 - 1119/1119 38/1025* 39/1026 40/1027 - "
      "96/1091 95/1090* 99/99 - 500/1093@4000 92/1089 - 65/61472 44/61536");
}

struct MarkCase {
  const char* name;
  void (*change)(PopupMenuState&);
  unsigned command;  // the item that is checked only after the change
};

class PopupMenuMarkTest : public testing::TestWithParam<MarkCase> {};

bool Checked(const PopupMenuState& state, unsigned command) {
  const auto items = PopupMenuItems(state);
  const auto it =
      std::find_if(items.begin(), items.end(), [&](const auto& i) { return i.command == command; });
  EXPECT_NE(it, items.end()) << command;
  return it != items.end() && it->checked;
}

TEST_P(PopupMenuMarkTest, MarkFollowsTheState) {
  PopupMenuState state = WritePad();
  EXPECT_FALSE(Checked(state, GetParam().command));
  GetParam().change(state);
  EXPECT_TRUE(Checked(state, GetParam().command));
}

INSTANTIATE_TEST_SUITE_P(
    States, PopupMenuMarkTest,
    testing::Values(MarkCase{"SignAndDraw", [](PopupMenuState& s) { s.sign_and_draw = true; }, 1050},
                    MarkCase{"Adapting", [](PopupMenuState& s) { s.auto_learn = true; }, 1076},
                    MarkCase{"Phrases", [](PopupMenuState& s) { s.panes_open[kPanePhrases] = true; }, 1054},
                    MarkCase{"Homophones", [](PopupMenuState& s) { s.panes_open[kPaneHomophones] = true; },
                             1053},
                    MarkCase{"Keyboard", [](PopupMenuState& s) { s.panes_open[kPaneKeyboard] = true; }, 1023},
                    MarkCase{"Symbols", [](PopupMenuState& s) { s.panes_open[kPaneSymbols] = true; }, 1024},
                    MarkCase{"Strings", [](PopupMenuState& s) { s.panes_open[kPaneStrings] = true; }, 1113},
                    MarkCase{"WaitButton", [](PopupMenuState& s) { s.wait_recognize = true; }, 1119},
                    MarkCase{"FullWidth", [](PopupMenuState& s) { s.full_shape = true; }, 1026},
                    MarkCase{"Cursive", [](PopupMenuState& s) { s.mode = 1; }, 1090},
                    MarkCase{"Fuzzy", [](PopupMenuState& s) { s.mode = 2; }, 99},
                    MarkCase{"ModeAboveTwoIsFuzzy", [](PopupMenuState& s) { s.mode = 7; }, 99}),
    [](const testing::TestParamInfo<MarkCase>& param) { return std::string(param.param.name); });

TEST(PopupMenuTest, ModesOtherThanKernelDropAdaptingAndTraining) {
  PopupMenuState state = WritePad();
  for (int mode : {1, 2, 7}) {
    state.mode = mode;
    const std::string menu = Describe(state);
    EXPECT_EQ(menu.find("/1076"), std::string::npos) << mode;
    EXPECT_EQ(menu.find("/1077"), std::string::npos) << mode;
    EXPECT_EQ(menu.find("/1040"), std::string::npos) << mode;
  }
}

TEST(PopupMenuTest, KoreanSystemAndRecognizerDropTheirItems) {
  PopupMenuState state = WritePad();
  state.system_language = 3000;
  EXPECT_EQ(Describe(state).find("/1054"), std::string::npos);
  EXPECT_EQ(Describe(state).find("/1053"), std::string::npos);
  EXPECT_NE(Describe(state).find("/1025"), std::string::npos);
  state = WritePad();
  state.recognizer_language = 3000;
  EXPECT_EQ(Describe(state).find("/1025"), std::string::npos);
  EXPECT_EQ(Describe(state).find("/1026"), std::string::npos);
  EXPECT_NE(Describe(state).find("/1054"), std::string::npos);
}

TEST(PopupMenuTest, ResourceLibraryItemLanguage) {
  PopupMenuState state = WritePad();
  state.display_language = 4000;
  EXPECT_NE(Describe(state).find("500/1093@0"), std::string::npos) << "display = recognizer: language 0";
  state.resource_library = false;
  EXPECT_EQ(Describe(state).find("/1093"), std::string::npos);
}

}  // namespace
