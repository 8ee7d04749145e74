#include "app/program/about_dlg.h"

#include "app/core/format_text.h"
#include "app/program/resource_text.h"

namespace wrendle::app {
namespace {

constexpr int kVersionText = 1089;
constexpr unsigned kVersionFormat = 93;
constexpr unsigned kVersionNumber = 94;

}  // namespace

bool CAboutDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplate, display_language_);
  ::SetWindowTextA(hwnd(), app_name_.c_str());
  const std::string format = LoadResString(kVersionFormat, display_language_).value_or("%s Version %s");
  const std::string version = LoadResString(kVersionNumber, display_language_).value_or("");
  ::SetDlgItemTextA(hwnd(), kVersionText, FillPlaces(format, {app_name_, version}).c_str());
  return true;
}

}  // namespace wrendle::app
