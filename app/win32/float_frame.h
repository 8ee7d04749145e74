// CFloatFrame: a floating tool frame, laid out horizontally or vertically,
// that paints the button face and is moved by dragging its client area.
#pragma once

#include "app/win32/recog_frame.h"

namespace wrendle::app {

class CFloatFrame : public CRecogFrame {
 public:
  // `vertical`: 1 vertical, 0 horizontal; `size`: the frame's extent across.
  CFloatFrame(ProgramContext& context, bool vertical, int size);

  // The rectangle a drag moves (screen pixels); `flags` the mouse flags of the press.
  virtual void GetFrameRect(RECT& rect, UINT flags);
  virtual void MoveFrameBy(int dx, int dy, UINT flags);

  bool vertical() const { return vertical_; }
  int size() const { return size_; }

 protected:
  static constexpr DWORD kDragTimeoutMs = 131072;

  bool OnEraseBkgnd(HDC dc) override;
  void OnLButtonDown(UINT flags, POINT point) override;

 private:
  bool vertical_;
  int size_;
};

}  // namespace wrendle::app
