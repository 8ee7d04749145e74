// The program's popup menu on a Win32 menu: the items of PopupMenuItems with
// their texts from the resource library.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/core/popup_menu_model.h"

namespace wrendle::app {

// The text of a string id in a language, as LoadResString gives it.
using MenuTextLoader = std::function<std::optional<std::string>(unsigned id, int language)>;

// Appends the menu's items to `menu`; returns how many were appended.
int BuildPopupMenu(HMENU menu, const PopupMenuState& state, const MenuTextLoader& load_text);

}  // namespace wrendle::app
