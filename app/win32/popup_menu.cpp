#include "app/win32/popup_menu.h"

namespace wrendle::app {

int BuildPopupMenu(HMENU menu, const PopupMenuState& state, const MenuTextLoader& load_text) {
  int appended = 0;
  for (const PopupMenuItem& item : PopupMenuItems(state)) {
    BOOL done = FALSE;
    if (item.separator) {
      done = AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      const std::optional<std::string> text = load_text(item.string_id, item.language);
      const std::string shown = text.value_or(std::to_string(item.string_id));
      done = AppendMenuA(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), item.command,
                         shown.c_str());
    }
    if (done) ++appended;
  }
  return appended;
}

}  // namespace wrendle::app
