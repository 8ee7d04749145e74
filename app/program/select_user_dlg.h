// The Select User dialog: picks the current user of the recognizer
// language and attaches its learning files, adds, renames and removes
// users, and copies a user's learning files to or from another folder.
#pragma once

#include <string>

#include "app/core/user_store.h"
#include "app/framework/dialog.h"

namespace wrendle::app {

struct UserDialogContext {
  platform::ProfileStore& profiles;
  int recognizer_language;
  int display_language;
  std::string title;  // caption of the dialog's questions
};

class CSelectUserDlg : public framework::CDialog {
 public:
  // Start-up mode chooses without being seen; browse mode only picks a name
  // of a foreign store and writes nothing there.
  enum Mode { kStartup = 0, kBrowse = -1, kInteractive = 1 };
  static constexpr UINT kTemplate = 185;

  CSelectUserDlg(const UserDialogContext& context, std::string folder, int mode, HWND parent = nullptr);

  const std::string& chosen_name() const { return name_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;

 private:
  HWND Combo() const { return GetDlgItem(kCombo); }
  int FillUserList();
  std::string ComboText() const;
  std::string SelectedName() const;
  int FindItem(const std::string& name) const;
  void Attach(const std::string& name);
  int Ask(unsigned string_id, const std::string& name) const;
  void Tell(unsigned string_id, const std::string& name = "") const;
  void OnRemove();
  void OnRename();
  void OnExport();
  void OnImport();

  static constexpr int kCombo = 1079;

  const UserDialogContext& context_;
  UserStore store_;
  int mode_;
  std::string name_;
};

}  // namespace wrendle::app
