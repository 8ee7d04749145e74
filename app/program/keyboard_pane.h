// CKeyboardPane (pane 1): an on-screen keyboard of the 47 character keys of
// a US layout with Tab, Caps, Shift, Backspace, Enter, Space and Exit.
#pragma once

#include <array>
#include <memory>

#include "app/core/pane_keys.h"
#include "app/program/popup_dlg.h"
#include "app/win32/jeb_button.h"

namespace wrendle::app {

class CKeyboardPane : public CPopupDlg {
 public:
  static constexpr UINT kFirstKey = 10000;
  static constexpr UINT kShift = 1031, kTab = 1032, kCaps = 1033;
  static constexpr UINT kBackspace = 1007, kEnter = 1009, kSpace = 1010, kExit = IDOK;

  explicit CKeyboardPane(PaneHost& host);

  void UpdateLanguage() override;
  bool shift() const { return shift_.IsTicked(); }
  bool caps() const { return caps_.IsTicked(); }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;

 private:
  void Relabel();

  std::array<CJebButton, kKeyboardKeys> keys_;
  CJebButton tab_, caps_, shift_, enter_, space_, exit_;
  CJebBitmapButton backspace_{false};
};

}  // namespace wrendle::app
