// "Enter User Name": one edit field, filled with a proposed name.
#pragma once

#include <string>

#include "app/framework/dialog.h"

namespace wrendle::app {

class CUserNameDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplate = 186;

  CUserNameDlg(std::string name, int language, HWND parent)
      : CDialog(kTemplate, parent), name_(std::move(name)), language_(language) {}

  const std::string& name() const { return name_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  static constexpr int kEdit = 1080;

  std::string name_;
  int language_;
};

}  // namespace wrendle::app
