#include "app/program/user_name_dlg.h"

#include "app/program/resource_text.h"
#include "app/program/window_text.h"

namespace wrendle::app {

bool CUserNameDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplate, language_);
  ::SetWindowTextA(GetDlgItem(kEdit), name_.c_str());
  ::SendMessageA(GetDlgItem(kEdit), EM_SETSEL, 0, -1);
  return true;
}

void CUserNameDlg::OnOK() {
  name_ = WindowText(GetDlgItem(kEdit));
  EndDialog(IDOK);
}

}  // namespace wrendle::app
