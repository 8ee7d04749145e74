// The items of the program's popup menu (the pad's menu button and the main
// frame's system menu), from the settings and the state of the panes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/core/settings.h"

namespace wrendle::app {

struct PopupMenuState {
  int layout = 0;  // 0 write-pad, else full-screen
  int mode = 0;    // RecognizerMode; more than 2 counts as 2
  int system_language = 0;
  int recognizer_language = 0;
  int display_language = 0;
  std::array<bool, kPaneCount> panes_open{};
  bool sign_and_draw = false;
  bool auto_learn = false;
  bool wait_recognize = false;
  bool full_shape = false;
  bool resource_library = false;  // the resource library is installed
};

struct PopupMenuItem {
  bool separator = false;
  unsigned string_id = 0;
  int language = 0;  // the language its text is loaded in
  unsigned command = 0;
  bool checked = false;
  bool operator==(const PopupMenuItem&) const = default;
};

// Command ids the menu gives besides its own: the system menu's.
inline constexpr unsigned kMenuMinimize = 0xF020;  // SC_MINIMIZE
inline constexpr unsigned kMenuClose = 0xF060;     // SC_CLOSE

std::vector<PopupMenuItem> PopupMenuItems(const PopupMenuState& state);

}  // namespace wrendle::app
