// Texts of the resource library in a language: strings, localised dialogs
// and message boxes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace wrendle::app {

// String `id` in `language`; nullopt when the library has none.
std::optional<std::string> LoadResString(unsigned id, int language);

// The first "%s" of `format` replaced by `text`, without printf's reading
// of the rest of a resource text.
std::string FormatWith(const std::string& format, const std::string& text);

// The caption becomes string `caption_id` and each child's text the string
// of its control id, where those strings exist. OK and Cancel keep their
// texts: strings 1 and 2 are other messages.
void LocalizeDialog(HWND dialog, unsigned caption_id, int language);

}  // namespace wrendle::app
