#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "companion/core/companion_logic.h"

namespace {

using companion::CompanionState;
using companion::MenuEntry;

std::string Describe(const std::vector<MenuEntry>& items) {
  std::string text;
  for (const MenuEntry& item : items) {
    text += std::to_string(item.id) + (item.checked ? "c" : "") + (item.greyed ? "g" : "") + " ";
  }
  return text;
}

TEST(CompanionMenu, ItemsByPadStateAndReader) {
  struct Case {
    int pad_state;
    bool reader;
    const char* expected;
  };
  const Case cases[] = {
      {1, false, "102c 103c 104c 107c "},     {0, false, "102g 103g 104c 107c "}, {2, false, "104c 107c "},
      {1, true, "102c 103c 104c 106c 107c "}, {-1, true, "104c 106c 107c "},
  };
  for (const Case& c : cases) {
    CompanionState state;
    state.pad_state = c.pad_state;
    state.reader_present = c.reader;
    EXPECT_EQ(Describe(companion::CompanionMenu(state)), c.expected) << c.pad_state << c.reader;
  }
}

TEST(ChooseMode, ShowsThePadStartsTheProgramOrWaits) {
  CompanionState state;
  auto action = companion::ChooseMode(state, companion::kFullScreenMode, true);
  EXPECT_EQ(action.kind, companion::ModeAction::kShowPad);
  EXPECT_EQ(action.layout, companion::kFullScreenLayout);
  EXPECT_EQ(companion::ResentModeCommand(state), companion::kFullScreenMode);

  action = companion::ChooseMode(state, companion::kWritePadMode, true);
  EXPECT_EQ(action.layout, companion::kWritePadLayout);
  EXPECT_EQ(companion::ResentModeCommand(state), companion::kWritePadMode);

  // The pad is minimised: nothing is sent, the mode is still remembered.
  state.pad_state = 0;
  action = companion::ChooseMode(state, companion::kFullScreenMode, true);
  EXPECT_EQ(action.kind, companion::ModeAction::kNothing);
  EXPECT_EQ(state.last_mode, 1);

  // The program ended while minimised: it is started, and the menu offers
  // the modes again.
  action = companion::ChooseMode(state, companion::kWritePadMode, false);
  EXPECT_EQ(action.kind, companion::ModeAction::kStartProgram);
  EXPECT_EQ(state.pad_state, 1);
  state.pad_state = 0;
  companion::NoteMainWindow(state, false);
  EXPECT_EQ(Describe(companion::CompanionMenu(state)), "102c 103c 104c 107c ");
}

TEST(RemovedCommand, AnyCaseOnlyThatWord) {
  for (const char* yes : {"/Removed", "/REMOVED", "/removed", "  /Removed "}) {
    EXPECT_TRUE(companion::IsRemovedCommand(yes)) << yes;
  }
  for (const char* no : {"", "/Remove", "/Removed2", "Removed", "/Removed /x"}) {
    EXPECT_FALSE(companion::IsRemovedCommand(no)) << no;
  }
}

TEST(FitMenuText, CutsOnACharacterBoundary) {
  const auto lead = [](char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; };
  EXPECT_EQ(companion::FitMenuText("Write Pad Mode", 32, lead), "Write Pad Mode");
  EXPECT_EQ(companion::FitMenuText(std::string(40, 'a'), 32, lead), std::string(31, 'a'));
  // Thirty single bytes and a double-byte character: 32 bytes would not fit
  // the end byte, so the whole character goes.
  const std::string mixed = std::string(30, 'a') + "\xC8\xAB";
  EXPECT_EQ(companion::FitMenuText(mixed, 32, lead), std::string(30, 'a'));
  const std::string chinese = "\xC8\xAB\xC6\xC1";
  EXPECT_EQ(companion::FitMenuText(chinese, 4, lead), "\xC8\xAB");
  EXPECT_EQ(companion::FitMenuText(chinese, 0, lead), "");
}

}  // namespace
