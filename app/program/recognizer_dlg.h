// The recognizer-kernel dialog: the recognizer language among those whose
// kernel module is installed.
#pragma once

#include "app/core/settings.h"
#include "app/framework/dialog.h"

namespace wrendle::app {

class CRecognizerDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplate = 105;

  explicit CRecognizerDlg(Settings& settings, HWND parent = nullptr)
      : CDialog(kTemplate, parent), settings_(settings) {}

 protected:
  bool OnInitDialog() override;
  // Stores the choice and ends with the cancel result, as Close does.
  void OnOK() override;

 private:
  Settings& settings_;
};

}  // namespace wrendle::app
