#include "app/framework/dialog.h"

#include "app/framework/win_app.h"

namespace wrendle::framework {
namespace {

// The dialog window is subclassed to its CDialog, which handles everything;
// the dialog manager's procedure only gives the default handling.
INT_PTR CALLBACK DefaultDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HINSTANCE ResourceModule() {
  const CWinApp* app = CWinApp::Current();
  return app != nullptr ? app->resource_handle() : CWinApp::Instance();
}

}  // namespace

CDialog::~CDialog() {
  if (!modal_ && hwnd() != nullptr) {
    if (CWinApp* app = CWinApp::Current()) app->RemoveModelessDialog(hwnd());
  }
}

INT_PTR CDialog::DoModal() {
  if (hwnd() != nullptr) return -1;
  modal_ = true;
  CreationScope scope(this);
  return DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(template_id_), parent_, &DefaultDialogProc, 0);
}

bool CDialog::Create() {
  if (hwnd() != nullptr) return false;
  modal_ = false;
  HWND dialog = nullptr;
  {
    CreationScope scope(this);
    dialog = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(template_id_), parent_, &DefaultDialogProc, 0);
  }
  if (dialog != nullptr && dialog != hwnd()) ::DestroyWindow(dialog);  // never bound
  if (dialog == nullptr || dialog != hwnd()) return false;
  if (CWinApp* app = CWinApp::Current()) app->AddModelessDialog(dialog);
  return true;
}

void CDialog::EndDialog(INT_PTR result) {
  if (hwnd() == nullptr) return;
  if (modal_) {
    ::EndDialog(hwnd(), result);
  } else {
    DestroyWindow();
  }
}

void CDialog::OnDestroy() {
  if (!modal_) {
    if (CWinApp* app = CWinApp::Current()) app->RemoveModelessDialog(hwnd());
  }
  CWnd::OnDestroy();
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED) {
        OnOK();
        return 0;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        OnCancel();
        return 0;
      }
      return CWnd::WindowProc(message, wparam, lparam);
    default:
      return CWnd::WindowProc(message, wparam, lparam);
  }
}

}  // namespace wrendle::framework
