// CSymbolPane (pane 2): six symbols at a time from the symbol groups of the
// recognizer language, and a menu of the groups.
#pragma once

#include <array>

#include "app/core/pane_keys.h"
#include "app/program/popup_dlg.h"
#include "app/win32/jeb_button.h"

namespace wrendle::app {

class CSymbolPane : public CPopupDlg {
 public:
  static constexpr UINT kFirstKey = 10000;
  static constexpr UINT kMenuKey = 10006;
  static constexpr UINT kMenuBitmap = 148, kMenuPressedBitmap = 147;

  explicit CSymbolPane(PaneHost& host);

  void UpdateLanguage() override;
  void Reload() override { Relabel(host_.settings().symbol_group); }
  // Group g: category g / 10, page g mod 10 (outside 0-59: group 0).
  void Relabel(int group);
  // The group menu as it would be tracked; the caller destroys it.
  HMENU BuildGroupMenu();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;

 private:
  void TrackGroupMenu();

  std::array<CJebButton, kSymbolKeys> keys_;
  CJebBitmapButton menu_{false};
  CJebButton exit_;
};

}  // namespace wrendle::app
