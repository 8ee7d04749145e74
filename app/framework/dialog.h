// CDialog: modal and modeless dialogs from the dialog templates of the
// resource module (CWinApp::resource_handle).
#pragma once

#include "app/framework/wnd.h"

namespace wrendle::framework {

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT template_id, HWND parent = nullptr) : template_id_(template_id), parent_(parent) {}
  ~CDialog() override;

  // Runs the dialog modally; returns what EndDialog was given, -1 when the
  // template is missing.
  INT_PTR DoModal();
  // Creates the dialog modeless; its keyboard messages go through the
  // application's message loop.
  bool Create();
  // Ends a modal dialog with `result`, or destroys a modeless one.
  void EndDialog(INT_PTR result);

  HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd(), id); }

 protected:
  // WM_INITDIALOG; true lets the system focus the first control.
  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnDestroy() override;

 private:
  UINT template_id_;
  HWND parent_;
  bool modal_ = false;
};

}  // namespace wrendle::framework
