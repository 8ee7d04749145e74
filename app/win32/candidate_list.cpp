#include "app/win32/candidate_list.h"

#include <string>

#include "app/core/char_codes.h"
#include "app/framework/frame_wnd.h"
#include "app/framework/gdi.h"
#include "app/win32/draw_routines.h"

namespace wrendle::app {
namespace {

COLORREF g_candidate_colour = RGB(0, 0, 0);

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CCandidateList::SetProgramColor(COLORREF colour) { g_candidate_colour = colour; }

CCandidateList::CCandidateList(RecognitionDriver& driver, const CUserMap& user_map, int rows, int columns,
                               std::uint32_t style)
    : driver_(driver), user_map_(user_map), grid_(rows, columns, style) {}

bool CCandidateList::Create(const RECT& rect, HWND parent, UINT id) {
  const std::string window_class = framework::RegisterWindowClass(
      CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  return CreateEx(0, window_class.c_str(), "", WS_CHILD | WS_VISIBLE, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

int CCandidateList::OnCreate(CREATESTRUCTA* create) {
  grid_.SetClientSize(create->cx, create->cy);
  bubble_.Create();
  return 0;
}

void CCandidateList::OnDestroy() {
  HideBubble();
  CWnd::OnDestroy();
}

void CCandidateList::OnSize(UINT, int cx, int cy) { grid_.SetClientSize(cx, cy); }

void CCandidateList::SetCodes(std::span<const std::uint8_t> bytes) {
  grid_.SetCodes(bytes);
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

void CCandidateList::SetGrid(int rows, int columns) {
  grid_.SetGrid(rows, columns);
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

void CCandidateList::SetColor(COLORREF colour) {
  g_candidate_colour = colour;
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

RECT CCandidateList::CellRect(int i) const { return ToRect(grid_.CellRect(i)); }

bool CCandidateList::OnEraseBkgnd(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  for (int i = 0; i < grid_.rows() * grid_.columns(); ++i) DrawFrame3D(dc, CellRect(i), 0, false);
  return true;
}

void CCandidateList::DrawCell(HDC dc, int i, bool hot) {
  const auto code = grid_.CodeAt(i);
  if (!code) return;
  const RECT cell = CellRect(i);
  if (hot) {
    FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
  } else {
    DrawFrame3D(dc, cell, 0, false);
  }
  const std::string text = IsUserCode(SwapBytes(*code)) ? std::string("...") : CodeBytes(*code);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : g_candidate_colour);
  framework::CSelectObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawCharCentered(dc, text.c_str(), cell);
}

void CCandidateList::RedrawCell(int i, bool hot) {
  if (i < 0) return;
  framework::CClientDC dc(hwnd());
  DrawCell(dc.get(), i, hot);
}

void CCandidateList::OnPaint() {
  framework::CPaintDC dc(hwnd());
  for (int i = 0; i < grid_.visible_count(); ++i) DrawCell(dc.get(), i, false);
  if (grid_.hot() >= 0) DrawCell(dc.get(), grid_.hot(), true);
}

void CCandidateList::Choose() {
  grid_.Choose(driver_);
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

void CCandidateList::HideParent() {
  if ((grid_.style() & kListKeepParent) != 0) return;
  const HWND parent = GetParent(hwnd());
  if (parent != nullptr) ShowWindow(parent, SW_HIDE);
}

void CCandidateList::HideBubble() {
  bubble_.Hide();
  if (bubble_timer_) KillTimer(hwnd(), kBubbleTimer);
  bubble_timer_ = false;
}

void CCandidateList::OnLButtonDown(UINT, POINT point) {
  RECT client;
  GetClientRect(hwnd(), &client);
  if (!PtInRect(&client, point)) {
    if (HasCapture()) ReleaseCapture();
    HideParent();
    return;
  }
  const int i = HitTest(point);
  if (i < 0) return;
  grid_.set_hot(i);
  if ((grid_.style() & kListChooseOnPress) != 0) {
    Choose();
    return;
  }
  RedrawCell(i, true);
  SetCapture(hwnd());
}

void CCandidateList::OnMouseMove(UINT, POINT point) {
  const int i = HitTest(point);
  const auto code = grid_.CodeAt(i);
  const bool user_code = code && IsUserCode(SwapBytes(*code));
  if (user_code && !bubble_.shown()) {
    std::string text;
    user_map_.GetText(SwapBytes(*code), &text);
    const RECT cell = CellRect(i);
    POINT corner{cell.left, cell.top};
    ClientToScreen(hwnd(), &corner);
    bubble_.Show(corner.x, corner.y + GetSystemMetrics(SM_CYCURSOR) / 4, text.c_str());
    if (!bubble_timer_) bubble_timer_ = SetTimer(hwnd(), kBubbleTimer, kBubbleCheckMs, nullptr) != 0;
  } else if (!user_code && bubble_.shown()) {
    HideBubble();
  }
  if (!HasCapture()) {
    Default();
    return;
  }
  if (i == grid_.hot()) return;
  RedrawCell(grid_.hot(), false);
  grid_.set_hot(i);
  RedrawCell(i, true);
}

void CCandidateList::OnLButtonUp(UINT, POINT) {
  if (bubble_.shown()) HideBubble();
  if (!HasCapture()) return;
  ReleaseCapture();
  HideParent();
  Choose();
}

void CCandidateList::OnCancelMode() {
  Default();
  if (HasCapture()) ReleaseCapture();
  HideParent();
}

void CCandidateList::OnTimer(UINT_PTR id) {
  if (id != kBubbleTimer) {
    CWnd::OnTimer(id);
    return;
  }
  if (!bubble_.shown()) {
    KillTimer(hwnd(), kBubbleTimer);
    bubble_timer_ = false;
    return;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd(), &cursor);
  RECT client;
  GetClientRect(hwnd(), &client);
  if (!PtInRect(&client, cursor)) HideBubble();
}

}  // namespace wrendle::app
