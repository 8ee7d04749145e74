#include "app/win32/wait_button.h"

#include "app/framework/frame_wnd.h"
#include "app/framework/scopes.h"
#include "app/win32/resource_module.h"

namespace wrendle::app {

bool CWaitButton::Create(HWND owner) {
  const std::string window_class =
      framework::RegisterWindowClass(CS_SAVEBITS, LoadCursor(nullptr, IDC_ARROW),
                                     static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)), nullptr);
  if (window_class.empty()) return false;
  return CreateEx(WS_EX_TOPMOST, window_class.c_str(), "Is recognition ?", WS_POPUP, RECT{0, 0, 32, 32},
                  owner, nullptr);
}

int CWaitButton::OnCreate(CREATESTRUCTA*) {
  SetWindowPos(hwnd(), nullptr, 0, 0, kSize, kSize, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  framework::CWindowRegion round(CreateEllipticRgn(0, 0, kSize, kSize));
  round.ApplyTo(hwnd());
  // Both pictures are loaded once and swapped by the timer.
  const HINSTANCE module = ResourceModule();
  frames_[0].reset(LoadBitmapA(module, MAKEINTRESOURCEA(213)));
  frames_[1].reset(LoadBitmapA(module, MAKEINTRESOURCEA(214)));
  if (!picture_.Create("Recognize", WS_VISIBLE | BS_PUSHBUTTON, RECT{0, 0, 32, 32}, hwnd(), kPictureId))
    return -1;
  picture_.ShowPicture(frames_[0].get());
  return 0;
}

LRESULT CWaitButton::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_WINDOWPOSCHANGED) {
    const auto* place = reinterpret_cast<const WINDOWPOS*>(lparam);
    if ((place->flags & SWP_SHOWWINDOW) != 0 && !turning_) {
      turning_ = SetTimer(hwnd(), kTurnTimer, kTurnMs, nullptr) != 0;
    } else if ((place->flags & SWP_HIDEWINDOW) != 0 && turning_) {
      KillTimer(hwnd(), kTurnTimer);
      turning_ = false;
    }
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

void CWaitButton::OnTimer(UINT_PTR id) {
  if (id != kTurnTimer) {
    CWnd::OnTimer(id);
    return;
  }
  frame_ ^= 1;
  picture_.ShowPicture(frames_[frame_].get());
}

void CWaitButton::Finish(int flag) {
  if (GetCapture() == hwnd()) ReleaseCapture();
  hook_.SetWaitingRecognize(0, flag, 0);
  ShowWindow(hwnd(), SW_HIDE);
}

void CWaitButton::OnLButtonDown(UINT, POINT point) {
  RECT client;
  GetClientRect(hwnd(), &client);
  Finish(PtInRect(&client, point) ? 0 : 1);
}

void CWaitButton::OnNcLButtonDown(UINT, POINT) { Finish(1); }

bool CWaitButton::OnCommand(UINT id, UINT, HWND) {
  if (id != kPictureId) return false;
  Finish(0);
  return true;
}

}  // namespace wrendle::app
