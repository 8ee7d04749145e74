#include "app/win32/pad_candidate_dlg.h"

namespace wrendle::app {

CPadCandidateDlg::CPadCandidateDlg(RecognitionDriver& driver, const CUserMap& user_map, HWND parent)
    : CDialog(kTemplateId, parent), list_(driver, user_map, kRows, kColumns, 0) {}

bool CPadCandidateDlg::OnInitDialog() {
  // Two cells wide and five high, plus the margins and the border.
  const int border_x = GetSystemMetrics(SM_CXBORDER);
  const int border_y = GetSystemMetrics(SM_CYBORDER);
  const int width = kColumns * kCellSize + 2 * kMargin + 2 * border_x;
  const int height = kRows * kCellSize + 2 * kMargin + 2 * border_y;
  const RECT inside{kMargin, kMargin, kMargin + kColumns * kCellSize, kMargin + kRows * kCellSize};
  list_.Create(inside, hwnd(), kListId);
  SetWindowPos(hwnd(), nullptr, -400, -400, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  return false;
}

void CPadCandidateDlg::OnSize(UINT, int cx, int cy) {
  if (list_.hwnd() == nullptr) return;
  MoveWindow(list_.hwnd(), kMargin, kMargin, cx - 2 * kMargin, cy - 2 * kMargin, TRUE);
}

}  // namespace wrendle::app
