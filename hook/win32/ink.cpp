#include "hook/win32/ink.h"

#include "hook/win32/module_state.h"
#include "platform/win32/gdi_objects.h"

namespace jebhook::win32 {

using platform::win32::GdiObject;
using platform::win32::SelectedObject;
using platform::win32::WindowDc;

void DrawInkLine(const Segment& segment, int width, COLORREF colour) {
  WindowDc dc(nullptr);
  if (!dc) return;
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, colour));
  SelectedObject selected(dc.get(), pen.get());
  MoveToEx(dc.get(), segment.from.x, segment.from.y, nullptr);
  LineTo(dc.get(), segment.to.x, segment.to.y);
}

void EraseInk(const Rect& ink) {
  const RECT area{ink.left, ink.top, ink.right + 1, ink.bottom + 1};
  RedrawWindow(nullptr, &area, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
}

HCURSOR ShowPenCursor() { return SetCursor(PenCursor()); }

}  // namespace jebhook::win32
