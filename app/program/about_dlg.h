// The About box: the application name as its title and "<name> Version
// <version>" in static 1089.
#pragma once

#include <string>

#include "app/framework/dialog.h"

namespace wrendle::app {

class CAboutDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplate = 188;

  CAboutDlg(std::string app_name, int display_language, HWND parent = nullptr)
      : CDialog(kTemplate, parent), app_name_(std::move(app_name)), display_language_(display_language) {}

 protected:
  bool OnInitDialog() override;

 private:
  std::string app_name_;
  int display_language_;
};

}  // namespace wrendle::app
