#include "app/win32/float_frame.h"

#include "app/win32/draw_routines.h"

namespace wrendle::app {

CFloatFrame::CFloatFrame(ProgramContext& context, bool vertical, int size)
    : CRecogFrame(context), vertical_(vertical), size_(size) {}

void CFloatFrame::GetFrameRect(RECT& rect, UINT) { GetWindowRect(hwnd(), &rect); }

void CFloatFrame::MoveFrameBy(int dx, int dy, UINT) {
  RECT rect;
  GetWindowRect(hwnd(), &rect);
  SetWindowPos(hwnd(), nullptr, rect.left + dx, rect.top + dy, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CFloatFrame::OnEraseBkgnd(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  return true;
}

void CFloatFrame::OnLButtonDown(UINT flags, POINT point) {
  RECT rect;
  GetFrameRect(rect, flags);
  const RECT start_rect = rect;
  POINT screen = point;
  ClientToScreen(hwnd(), &screen);
  const DragResult result = TrackDragRect(hwnd(), rect, screen, kDragTimeoutMs);
  if (result == DragResult::kDropped)
    MoveFrameBy(rect.left - start_rect.left, rect.top - start_rect.top, flags);
}

}  // namespace wrendle::app
