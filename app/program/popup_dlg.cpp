#include "app/program/popup_dlg.h"

#include "app/framework/gdi.h"
#include "app/win32/draw_routines.h"
#include "app/win32/resource_module.h"

namespace wrendle::app {

namespace {

constexpr DWORD kDragTimeoutMs = 10000;

}  // namespace

CPopupDlg::CPopupDlg(PaneHost& host, int pane_index)
    : CDialog(kTemplateId, nullptr), host_(host), pane_index_(pane_index) {}

CPopupDlg::~CPopupDlg() {
  if (deleted_ != nullptr) *deleted_ = true;
}

bool CPopupDlg::Create() {
  HWND const foreground = GetForegroundWindow();
  const bool created = CDialog::Create();
  if (foreground != nullptr && GetForegroundWindow() != foreground) SetForegroundWindow(foreground);
  return created;
}

POINT CPopupDlg::Position() const {
  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  return {rect.left, rect.top};
}

void CPopupDlg::MoveTo(int x, int y) {
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CPopupDlg::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wparam) == hwnd() && LOWORD(lparam) == HTCLIENT) {
    if (HCURSOR cursor = LoadCursorA(ResourceModule(), MAKEINTRESOURCEA(kCursorId))) {
      SetCursor(cursor);
      return TRUE;
    }
  }
  return CDialog::WindowProc(message, wparam, lparam);
}

bool CPopupDlg::OnEraseBkgnd(HDC dc) {
  DrawClientFrame(dc, hwnd(), 1);
  return true;
}

void CPopupDlg::OnLButtonDown(UINT, POINT point) {
  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  ClientToScreen(hwnd(), &point);
  const DragResult result = TrackDragRect(hwnd(), rect, point, kDragTimeoutMs);
  if (result == DragResult::kDropped) MoveTo(rect.left, rect.top);
}

void CPopupDlg::OnOK() { host_.HidePane(pane_index_); }

void CPopupDlg::PostNcDestroy() { delete this; }

void CPopupDlg::PlaceAtStoredPosition(int width, int height, bool topmost) {
  const Point at = host_.GetPanePosition(pane_index_);
  SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : nullptr, at.x, at.y, width, height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW | (topmost ? 0 : SWP_NOZORDER));
}

TEXTMETRICA CPopupDlg::TextMetrics() const {
  TEXTMETRICA metrics{};
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);
  return metrics;
}

int CPopupDlg::DisplayLanguage() { return host_.settings().display_language; }
int CPopupDlg::RecognizerLanguage() { return host_.settings().recognizer_language; }

}  // namespace wrendle::app
