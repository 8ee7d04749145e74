#include "app/win32/result_strip.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/framework/frame_wnd.h"
#include "app/framework/gdi.h"
#include "app/win32/draw_routines.h"

namespace wrendle::app {
namespace {

COLORREF g_strip_text_colour = RGB(0, 0, 0);

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CResultStrip::SetTextColor(COLORREF colour) { g_strip_text_colour = colour; }

CResultStrip::CResultStrip(RecognitionDriver& driver, const CUserMap& user_map, const StripMetrics& metrics)
    : driver_(driver), user_map_(user_map), metrics_(metrics) {
  metrics_.c = std::min(metrics_.c, 10);
}

CResultStrip::~CResultStrip() = default;

bool CResultStrip::Create(const RECT& rect, HWND parent, UINT id) {
  const std::string window_class = framework::RegisterWindowClass(
      0, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  return CreateEx(0, window_class.c_str(), "", WS_CHILD | WS_VISIBLE, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

int CResultStrip::OnCreate(CREATESTRUCTA*) {
  popup_ = std::make_unique<CPadCandidateDlg>(driver_, user_map_, hwnd());
  popup_->Create();
  return 0;
}

StripLayout CResultStrip::Layout() {
  framework::CClientDC dc(hwnd());
  framework::CSelectObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
  std::vector<std::int32_t> widths;
  for (int i = 0; i < driver_.cell_count(); ++i) {
    const std::string label = CellLabel(driver_.Cell(i)->code(), user_map_);
    SIZE extent{};
    GetTextExtentPoint32A(dc.get(), label.c_str(), static_cast<int>(label.size()), &extent);
    widths.push_back(extent.cx);
  }
  RECT client;
  GetClientRect(hwnd(), &client);
  const int capacity = std::min(driver_.capacity(), metrics_.c > 0 ? metrics_.c : driver_.capacity());
  return StripLayout(metrics_, std::move(widths), capacity,
                     Rect{client.left, client.top, client.right, client.bottom});
}

RECT CResultStrip::CellRect(int i) { return ToRect(Layout().CellRect(i)); }

int CResultStrip::HitCell(int x) { return Layout().HitCell(x); }

void CResultStrip::Highlight(int i) {
  if (i == highlighted_) return;
  const StripLayout layout = Layout();
  RECT old_rect = ToRect(layout.CellRect(highlighted_));
  RECT new_rect = ToRect(layout.CellRect(i));
  InvalidateRect(hwnd(), &old_rect, TRUE);
  InvalidateRect(hwnd(), &new_rect, TRUE);
  highlighted_ = i;
}

bool CResultStrip::OnEraseBkgnd(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  return true;
}

void CResultStrip::PaintCells(HDC dc) {
  const StripLayout layout = Layout();
  framework::CSelectObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  framework::CBrush highlight(CreateSolidBrush(kHighlightColour));
  for (int i = 0; i < layout.cell_count(); ++i) {
    const RECT cell = ToRect(layout.CellRect(i));
    DrawSunkenCell(dc, cell);
    const bool lit = i == highlighted_;
    if (lit) {
      const RECT inside{cell.left + 2, cell.top + 2, cell.right - 2, cell.bottom - 2};
      FillRect(dc, &inside, highlight.get());
    }
    ::SetTextColor(dc, lit ? GetSysColor(COLOR_HIGHLIGHTTEXT) : g_strip_text_colour);
    const std::string label = CellLabel(driver_.Cell(i)->code(), user_map_);
    DrawCharCentered(dc, label.c_str(), cell);
  }
}

void CResultStrip::OnPaint() {
  framework::CPaintDC dc(hwnd());
  PaintCells(dc.get());
}

void CResultStrip::ShowCellCandidates(int i) {
  const CCandidateItem* cell = i >= 0 ? driver_.Cell(i) : nullptr;
  if (cell == nullptr || cell->candidates().empty() || !popup_ || popup_->hwnd() == nullptr) return;
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t code : cell->candidates()) {
    bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(code >> 8));
  }
  CCandidateList& list = popup_->list();
  list.SetCodes(bytes);
  const RECT cell_rect = CellRect(i);
  POINT corner{cell_rect.left, cell_rect.bottom + 3};
  ClientToScreen(hwnd(), &corner);
  RECT popup_rect;
  GetWindowRect(popup_->hwnd(), &popup_rect);
  const int width = popup_rect.right - popup_rect.left;
  const int height = popup_rect.bottom - popup_rect.top;
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  if (corner.x + width > screen_width) corner.x -= corner.x + width - screen_width;
  if (corner.y + height > screen_height) corner.y -= corner.y + height - screen_height;
  SetWindowPos(popup_->hwnd(), HWND_TOPMOST, corner.x, corner.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  list.set_hot(-1);
  SetCapture(list.hwnd());
}

void CResultStrip::OnLButtonDown(UINT, POINT point) {
  const int i = HitCell(point.x);
  if (i >= driver_.cell_count()) return;
  const bool was_at_insertion = driver_.insertion() == i;
  driver_.SelectCell(i);
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
  RECT dragged = CellRect(i);
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&dragged), 2);
  POINT start = point;
  ClientToScreen(hwnd(), &start);
  const DragResult result = TrackDragRect(hwnd(), dragged, start, kDragTimeoutMs);
  if (result == DragResult::kClicked) {
    if (was_at_insertion) {
      driver_.SelectCell(-1);
    } else {
      ShowCellCandidates(i);
    }
  } else if (result == DragResult::kDropped) {
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&dragged), 2);
    const Rect dropped{dragged.left, dragged.top, dragged.right, dragged.bottom};
    const DropAction action = DecideDrop(Layout(), metrics_, i, dropped);
    switch (action.kind) {
      case DropAction::kRemove:
        driver_.RemoveCell(i, false);
        driver_.SelectCell(-1);
        break;
      case DropAction::kMerge:
        driver_.MergeWithPrevious(i);
        break;
      case DropAction::kSplit:
        driver_.SplitCell(i);
        break;
      case DropAction::kMove:
        driver_.MoveCell(action.target, i);
        driver_.SelectCell(-1);
        break;
    }
  }
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void CResultStrip::OnRButtonDown(UINT, POINT point) {
  const int i = HitCell(point.x);
  if (i >= driver_.cell_count()) return;
  driver_.SelectCell(i);
  ShowCellCandidates(i);
}

bool CResultStrip::OnCommand(UINT id, UINT, HWND) {
  if (id < 2000 || id > 2020) return false;
  driver_.ChooseCandidateByIndex(static_cast<int>(id) - 2000);
  driver_.SelectCell(-1);
  return true;
}

}  // namespace wrendle::app
