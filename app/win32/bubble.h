// CBubble: the tooltip window of the program's controls, a yellow bordered
// popup that shows a line of text near the cursor for about half a second
// without taking the activation.
#pragma once

#include <string>

#include "app/framework/gdi.h"
#include "app/framework/wnd.h"

namespace wrendle::app {

class CBubble : public framework::CWnd {
 public:
  static constexpr UINT_PTR kTimerId = 2010;
  static constexpr UINT kShowMs = 500;
  static constexpr UINT kClassStyle = 6147;

  // The bubble of the bitmap buttons, one for the program.
  static CBubble& Shared();

  // Creates the hidden window; true when it exists.
  bool Create();
  // Shows `text` near the cursor point (x, y) in screen pixels.
  void Show(int x, int y, const char* text);
  void Hide();
  bool shown() const { return shown_; }

 protected:
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  LRESULT OnSetText(const char* text) override;
  void OnPaint() override;
  void OnTimer(UINT_PTR id) override;

 private:
  HFONT Font();

  bool shown_ = false;
  bool timer_ = false;
  SIZE size_{};
  framework::CFont font_;
};

}  // namespace wrendle::app
