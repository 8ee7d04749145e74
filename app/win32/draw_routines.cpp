#include "app/win32/draw_routines.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/core/geometry.h"
#include "app/core/ink_drawing.h"
#include "app/core/send_plan.h"
#include "app/framework/capture_loop.h"
#include "app/framework/gdi.h"
#include "app/framework/scopes.h"
#include "app/win32/output_device_win32.h"
#include "hook/core/pressure.h"

namespace wrendle::app {
namespace {

using framework::CBrush;
using framework::CClientDC;
using framework::CMemoryDC;
using framework::CPen;
using framework::CSelectObject;

void FillWith(HDC dc, const RECT& rect, int colour_index) {
  FillRect(dc, &rect, GetSysColorBrush(colour_index));
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  CPen pen(CreatePen(PS_SOLID, 1, colour));
  CSelectObject selected(dc, pen.get());
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// One ring inside `rect`: top and left in `top_left`, bottom and right in
// `bottom_right`.
void Ring(HDC dc, const RECT& rect, COLORREF top_left, COLORREF bottom_right) {
  Line(dc, rect.left, rect.bottom - 1, rect.left, rect.top, top_left);
  Line(dc, rect.left, rect.top, rect.right, rect.top, top_left);
  Line(dc, rect.right - 1, rect.top + 1, rect.right - 1, rect.bottom, bottom_right);
  Line(dc, rect.left + 1, rect.bottom - 1, rect.right, rect.bottom - 1, bottom_right);
}

RECT Shrunk(const RECT& rect, int by) {
  return {rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

HWND g_remembered_foreground = nullptr;

}  // namespace

void DrawFrame3D(HDC dc, const RECT& rect, int depth, bool outer_line) {
  RECT inner = rect;
  if (outer_line) {
    FrameRect(dc, &inner, GetSysColorBrush(COLOR_WINDOWFRAME));
    inner = Shrunk(inner, 1);
  }
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const int rings = std::max(std::abs(depth), 1);
  for (int i = 0; i < rings && inner.right - inner.left > 1 && inner.bottom - inner.top > 1; ++i) {
    if (depth > 0) {
      Ring(dc, inner, light, shadow);
    } else {
      Ring(dc, inner, shadow, light);
    }
    inner = Shrunk(inner, 1);
  }
  if (inner.right > inner.left && inner.bottom > inner.top) FillWith(dc, inner, COLOR_BTNFACE);
}

void DrawClientFrame(HDC dc, HWND window, int depth) {
  RECT client;
  GetClientRect(window, &client);
  DrawFrame3D(dc, client, depth, false);
}

void DrawSunkenCell(HDC dc, const RECT& rect) {
  FillWith(dc, rect, COLOR_BTNFACE);
  Ring(dc, rect, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  Ring(dc, Shrunk(rect, 1), GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_BTNFACE));
}

void DrawCharCentered(HDC dc, const char* text, const RECT& rect) {
  RECT place = rect;
  DrawTextA(dc, text, -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

namespace {

struct PressureSegment {
  HDC dc;
  POINT from;
  std::int32_t length;
  bool x_major;
  std::int32_t from_pressure;
  std::int32_t to_pressure;
  jebhook::DotPen dots;
};

void CALLBACK DrawPressureStep(int x, int y, LPARAM data) {
  const auto& segment = *reinterpret_cast<const PressureSegment*>(data);
  const std::int32_t offset = segment.x_major ? std::abs(x - segment.from.x) : std::abs(y - segment.from.y);
  const std::int32_t pressure =
      jebhook::InterpolatePressure(segment.from_pressure, segment.to_pressure, offset, segment.length);
  const jebhook::DotBox box = jebhook::DotAround(x, y, jebhook::DotSize(segment.dots, pressure));
  if (box.ellipse) {
    Ellipse(segment.dc, box.left, box.top, box.right, box.bottom);
  } else {
    Rectangle(segment.dc, box.left, box.top, box.right, box.bottom);
  }
}

}  // namespace

void DrawPressureLine(HDC dc, PressureInk& ink, int x, int y, std::int32_t pressure, int size, int scale) {
  const std::int32_t dx = std::abs(x - ink.last.x);
  const std::int32_t dy = std::abs(y - ink.last.y);
  if (dx != 0 || dy != 0) {
    CSelectObject null_pen(dc, GetStockObject(NULL_PEN));
    PressureSegment segment{dc,
                            ink.last,
                            std::max(dx, dy),
                            dx >= dy,
                            ink.last_pressure,
                            pressure,
                            jebhook::MakeDotPen(size, scale)};
    LineDDA(ink.last.x, ink.last.y, x, y, DrawPressureStep, reinterpret_cast<LPARAM>(&segment));
    ink.last = POINT{x, y};
  }
  ink.last_pressure = pressure;
}

void ReplayStrokes(HDC dc, std::span<const StrokeEntry> list, DWORD delay_ms) {
  const auto view = StrokeListView::Parse(list);
  if (!view) return;
  for (const StrokeView& stroke : view->strokes()) {
    Sleep(delay_ms);
    MoveToEx(dc, stroke.points[0].x, stroke.points[0].y, nullptr);
    for (const StrokeEntry& p : stroke.points) LineTo(dc, p.x, p.y);
    // A one-point stroke still shows.
    if (stroke.points.size() == 1) LineTo(dc, stroke.points[0].x + 1, stroke.points[0].y);
  }
}

DragResult TrackDragRect(HWND window, RECT& rect, POINT start, DWORD timeout_ms) {
  CClientDC screen(nullptr);
  RECT shown = rect;
  DrawFocusRect(screen.get(), &shown);
  bool dragging = false;
  const framework::CaptureEnd end =
      framework::RunCaptureLoop(window, timeout_ms, [&](UINT message, POINT point) {
        if (message != WM_MOUSEMOVE && message != WM_LBUTTONUP) return true;
        ClientToScreen(window, &point);
        if (!dragging && !IsDragDistance({start.x, start.y}, {point.x, point.y})) return true;
        dragging = true;
        DrawFocusRect(screen.get(), &shown);
        shown = rect;
        OffsetRect(&shown, point.x - start.x, point.y - start.y);
        DrawFocusRect(screen.get(), &shown);
        return true;
      });
  DrawFocusRect(screen.get(), &shown);
  if (end != framework::CaptureEnd::kButtonUp) return DragResult::kTimedOut;
  if (!dragging) return DragResult::kClicked;
  rect = shown;
  return DragResult::kDropped;
}

void SwallowClickOn(HWND window) {
  MSG message;
  if (!PeekMessageA(&message, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE)) return;
  RECT area;
  if (GetWindowRect(window, &area) && PtInRect(&area, message.pt)) {
    PeekMessageA(&message, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
  }
}

void RememberForeground() { g_remembered_foreground = GetForegroundWindow(); }

void RestoreForeground() {
  if (g_remembered_foreground != nullptr && IsWindow(g_remembered_foreground) &&
      GetForegroundWindow() != g_remembered_foreground) {
    SetForegroundWindow(g_remembered_foreground);
  }
}

bool PasteBitmap(HWND target, HWND owner, HBITMAP bitmap) {
  if (bitmap == nullptr) return false;
  {
    framework::ClipboardScope clipboard(owner);
    if (!clipboard.is_open()) {
      DeleteObject(bitmap);
      return false;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_BITMAP, bitmap) == nullptr) {
      DeleteObject(bitmap);
      return false;
    }
  }
  if (target != nullptr) {
    HWND top = GetAncestor(target, GA_ROOT);
    SetForegroundWindow(top != nullptr ? top : target);
    SendKeySequence(kPasteKeys);
  }
  return true;
}

HBITMAP InkToBitmap(HWND window, std::span<const StrokeEntry> list, int pen_width) {
  const auto runs = MakeInkRuns(list);
  if (!runs) return nullptr;
  CClientDC window_dc(window);
  CMemoryDC memory(window_dc.get());
  HBITMAP bitmap = CreateBitmap(runs->box.width(), runs->box.height(), 1, 1, nullptr);
  if (bitmap == nullptr || memory.get() == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return nullptr;
  }
  {
    CSelectObject selected_bitmap(memory.get(), bitmap);
    PatBlt(memory.get(), 0, 0, runs->box.width(), runs->box.height(), WHITENESS);
    CPen pen(CreatePen(PS_SOLID, std::max(pen_width, 1), RGB(0, 0, 0)));
    CSelectObject selected_pen(memory.get(), pen.get());
    bool run_start = true;
    for (const Point& p : runs->points) {
      if (p.x == kInkRunMarker) {
        run_start = true;
        continue;
      }
      if (run_start) {
        MoveToEx(memory.get(), p.x, p.y, nullptr);
        // The start pixel, so that a one-point stroke shows.
        SetPixel(memory.get(), p.x, p.y, RGB(0, 0, 0));
        run_start = false;
      } else {
        LineTo(memory.get(), p.x, p.y);
      }
    }
  }
  return bitmap;
}

bool PasteInk(HWND target, HWND owner, std::span<const StrokeEntry> list, int pen_width) {
  return PasteBitmap(target, owner, InkToBitmap(owner, list, pen_width));
}

}  // namespace wrendle::app
