#include "app/core/popup_menu_model.h"

#include <algorithm>

namespace wrendle::app {

std::vector<PopupMenuItem> PopupMenuItems(const PopupMenuState& state) {
  const int mode = std::min(state.mode, 2);
  const bool full_screen = state.layout != 0;
  const int display = state.display_language;
  std::vector<PopupMenuItem> items;
  const auto separator = [&] { items.push_back({true, 0, 0, 0, false}); };
  const auto item = [&](unsigned string_id, unsigned command, bool checked) {
    items.push_back({false, string_id, display, command, checked});
  };

  if (!full_screen) separator();
  item(72, 1050, state.sign_and_draw);
  if (mode == 0) item(82, 1076, state.auto_learn);
  separator();
  if (state.system_language != 3000) {
    item(74, 1054, state.panes_open[kPanePhrases]);
    item(89, 1053, state.panes_open[kPaneHomophones]);
  }
  item(36, 1023, state.panes_open[kPaneKeyboard]);
  item(37, 1024, state.panes_open[kPaneSymbols]);
  item(502, 1113, state.panes_open[kPaneStrings]);
  if (full_screen) {
    separator();
    item(42, 42, false);
  }
  separator();
  item(1119, 1119, state.wait_recognize);
  if (state.recognizer_language != 3000) {
    item(38, 1025, !state.full_shape);
    item(39, 1026, state.full_shape);
  }
  if (mode == 0) {
    item(91, 1077, false);
    item(66, 1040, false);
  }
  item(40, 1027, false);
  separator();
  item(96, 1091, mode == 0);
  item(95, 1090, mode == 1);
  item(99, 99, mode == 2);
  separator();
  if (state.resource_library) {
    const int language = display == state.recognizer_language ? 0 : state.recognizer_language;
    items.push_back({false, 500, language, 1093, false});
  }
  item(92, 1089, false);
  if (full_screen) {
    separator();
    item(65, kMenuMinimize, false);
    item(44, kMenuClose, false);
  }
  return items;
}

}  // namespace wrendle::app
