// CPredefinedStringPane (pane 4): ten texts of the user and system language
// on buttons; a text button types its text, an empty one or Edit opens the
// editor CPredefinedStringDlg. Changed texts are written back when the pane
// closes, only the keys that changed.
#pragma once

#include <array>
#include <memory>

#include "app/core/predefined_strings.h"
#include "app/framework/dialog.h"
#include "app/program/popup_dlg.h"
#include "app/win32/jeb_button.h"

namespace wrendle::app {

class CPredefinedStringDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplateId = 208;
  static constexpr int kCombo = 1117, kEdit = 1116, kPaste = 1114;

  CPredefinedStringDlg(const PredefinedStrings::Texts& texts, int current, int display_language,
                       HWND parent = nullptr);

  const PredefinedStrings::Texts& texts() const { return texts_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;

 private:
  void StoreEdit();
  void ShowCurrent();

  PredefinedStrings::Texts texts_;
  int current_;
  int display_language_;
};

class CPredefinedStringPane : public CPopupDlg {
 public:
  static constexpr UINT kFirstText = 10000;
  static constexpr UINT kEdit = 10011;

  explicit CPredefinedStringPane(PaneHost& host);

  const PredefinedStrings& strings() const { return *strings_; }
  void UpdateLanguage() override;
  // The editor at text `index`; true when it ended with OK.
  bool Edit(int index);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  void OnDestroy() override;

 private:
  void ShowTexts();

  std::unique_ptr<platform::ProfileStore> store_;
  std::unique_ptr<PredefinedStrings> strings_;
  std::array<CJebBitmapButton, kPredefinedStringCount> buttons_;
  CJebBitmapButton exit_;
  CJebBitmapButton edit_;
};

}  // namespace wrendle::app
