#include "app/program/resource_text.h"

#include "app/zezividudu/zezividudu_api.h"

namespace wrendle::app {

std::optional<std::string> LoadResString(unsigned id, int language) {
  const auto language_id = static_cast<unsigned short>(language);
  const int length = LoadStringEx(language_id, id, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(LoadStringEx(language_id, id, text.data(), length)));
  return text;
}

std::string FormatWith(const std::string& format, const std::string& text) {
  std::string result = format;
  const size_t at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, text);
  return result;
}

void LocalizeDialog(HWND dialog, unsigned caption_id, int language) {
  if (caption_id != 0) {
    if (const auto caption = LoadResString(caption_id, language)) ::SetWindowTextA(dialog, caption->c_str());
  }
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    if (id == IDOK || id == IDCANCEL || id <= 0) continue;
    if (const auto text = LoadResString(static_cast<unsigned>(id), language))
      ::SetWindowTextA(child, text->c_str());
  }
}

}  // namespace wrendle::app
