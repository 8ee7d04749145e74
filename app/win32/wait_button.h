// CWaitButton: the round button that full-screen writing shows after a pause
// when the user recognizes by hand. While shown it holds the mouse capture:
// a press on it recognizes the waiting ink, a press elsewhere lets the user
// write on. Its picture turns (bitmaps 213 and 214) while it is visible.
#pragma once

#include "app/core/hook_library.h"
#include "app/framework/gdi.h"
#include "app/framework/wnd.h"
#include "app/win32/jeb_button.h"

namespace wrendle::app {

class CWaitButton : public framework::CWnd {
 public:
  static constexpr UINT_PTR kTurnTimer = 100;
  static constexpr UINT kTurnMs = 300;
  static constexpr int kSize = 33;
  static constexpr UINT kPictureId = 1;

  explicit CWaitButton(HookLibrary& hook) : hook_(hook) {}

  // The hidden top-most popup "Is recognition ?" owned by `owner`.
  bool Create(HWND owner);
  bool turning() const { return turning_; }
  // The picture shown: 0 for bitmap 213, 1 for 214.
  int frame() const { return frame_; }

 protected:
  int OnCreate(CREATESTRUCTA* create) override;
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnNcLButtonDown(UINT hit_test, POINT screen_point) override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  void OnTimer(UINT_PTR id) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // Releases the capture, makes the call, hides the button.
  void Finish(int flag);

  HookLibrary& hook_;
  CJebBitmapButton picture_{false};
  framework::CBitmap frames_[2];
  int frame_ = 0;
  bool turning_ = false;
};

}  // namespace wrendle::app
