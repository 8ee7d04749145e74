// The recognizer-kernel dialog: the recognizer language among those whose
// kernel module is installed and, in localised templates, the display
// language. Alt-clicks in a hidden order show the credits (app/core/credits.h).
#pragma once

#include "app/core/credits.h"
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
  void OnLButtonDown(UINT flags, POINT point) override;

 private:
  Settings& settings_;
  CreditsGesture credits_;
};

}  // namespace wrendle::app
