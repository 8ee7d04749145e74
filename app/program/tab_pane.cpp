#include "app/program/tab_pane.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/core/assoc_phrase_provider.h"
#include "app/core/char_codes.h"
#include "app/core/related_data_files.h"
#include "app/program/resource_text.h"
#include "app/win32/draw_routines.h"

namespace wrendle::app {

namespace {

// A fill starts over when the tab rows change; it settles within a few rounds.
constexpr int kMaxFillRounds = 4;
constexpr int kMaxMultiLineRows = 2;

std::uint16_t CodeAt(const char* text) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(text[0]) | static_cast<unsigned char>(text[1])
                                                                              << 8);
}

}  // namespace

LRESULT CTabStrip::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    const LRESULT result = CWnd::WindowProc(message, wparam, lparam);
    HDC dc = GetDC(hwnd());
    POINT origin{0, 0};
    MapWindowPoints(hwnd(), GetParent(hwnd()), &origin, 1);
    SetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    pane_.PaintCells(dc);
    ReleaseDC(hwnd(), dc);
    return result;
  }
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == UDN_DELTAPOS) {
    pane_.MoveSelection(reinterpret_cast<const NMUPDOWN*>(lparam)->iDelta);
    return 0;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

CTabPane::CTabPane(PaneHost& host, int pane_index, UINT caption_id)
    : CPopupDlg(host, pane_index), caption_id_(caption_id) {}

CTabPane::~CTabPane() {
  if (provider_ != nullptr) provider_->Attach(nullptr);
}

bool CTabPane::OnInitDialog() {
  {
    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, "X", 1, &extent);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    char_width_ = std::max<int>(1, extent.cx);
    char_height_ = std::max<int>(1, extent.cy);
  }
  const SIZE full = FullSize();
  const RECT tab_rect{4, CaptionHeight(), 23 * char_width_ + 19, full.cy - 4};
  const DWORD styles[2] = {WS_CHILD | WS_VISIBLE | TCS_FOCUSNEVER | TCS_MULTILINE, WS_CHILD | TCS_FOCUSNEVER};
  const WPARAM font = static_cast<WPARAM>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0));
  for (int i = 0; i < 2; ++i) {
    strips_[i].CreateEx(0, WC_TABCONTROLA, "TabControl", styles[i], tab_rect, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabControlId)));
    tabs_[i] = strips_[i].hwnd();
    ::SendMessageA(tabs_[i], WM_SETFONT, font, FALSE);
  }
  const RECT close_rect{full.cx - 19 - 14, 5, full.cx - 19, 5 + 16};
  close_.Create("", WS_CHILD | WS_VISIBLE, close_rect, hwnd(), kCloseId);
  close_.SetBitmaps(kCloseBitmap, kClosePressedBitmap, 0);
  UpdateLanguage();
  PlaceAtStoredPosition(full.cx, CaptionHeight(), true);
  return false;
}

SIZE CTabPane::FullSize() const { return {23 * char_width_ + 27, 10 * char_height_ + 25}; }

void CTabPane::UpdateLanguage() {
  caption_ = LoadResString(caption_id_, DisplayLanguage()).value_or("");
  if (hwnd() != nullptr) InvalidateCaption();
}

void CTabPane::AttachProvider(CCharProvider* provider) {
  if (provider_ != nullptr && provider_ != provider) provider_->Attach(nullptr);
  provider_ = provider;
  if (provider_ != nullptr) provider_->Attach(this);
}

void CTabPane::OnListNotify(std::uint32_t wparam, std::int32_t lparam) {
  if (hwnd() != nullptr) ::SendMessageA(hwnd(), WM_LISTNOTIFY, wparam, lparam);
}

void CTabPane::OnProviderDestroyed(const CCharProvider* provider) {
  if (provider != provider_) return;
  provider_ = nullptr;
  group_count_ = 0;
  if (hwnd() != nullptr) SizeAndFill();
}

void CTabPane::InvalidateCaption() {
  RECT caption{0, 0, FullSize().cx, CaptionHeight()};
  InvalidateRect(hwnd(), &caption, TRUE);
}

void CTabPane::Refresh(std::uint16_t key) {
  InvalidateCaption();
  offset_ = 0;
  group_count_ = provider_ != nullptr ? provider_->SetKey(key) : 0;
  SizeAndFill();
}

void CTabPane::SizeAndFill() {
  const SIZE full = FullSize();
  SetWindowPos(hwnd(), nullptr, 0, 0, full.cx, group_count_ > 0 ? full.cy : CaptionHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  in_use_ = 0;
  Fill();
}

void CTabPane::Fill() {
  ClearHover();
  std::vector<std::string> labels;
  std::vector<int> counts;
  for (int group = 0; provider_ != nullptr && group < group_count_; ++group) {
    const char* label = provider_->GetGroupLabel(group, 0);
    labels.push_back(label != nullptr ? label : "");
    counts.push_back(provider_->SelectGroup(group));
  }
  for (int round = 0; round < kMaxFillRounds; ++round) {
    ShowWindow(tabs_[in_use_], SW_SHOWNA);
    ShowWindow(tabs_[1 - in_use_], SW_HIDE);
    HWND const tab = tabs_[in_use_];
    const int rows_before = TabCtrl_GetRowCount(tab);
    TabCtrl_DeleteAllItems(tab);
    const std::vector<PaneTab> tabs = LayoutTabs(labels, counts, Grid().capacity());
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT | TCIF_PARAM;
      item.pszText = const_cast<char*>(tabs[i].label.c_str());
      item.lParam = static_cast<LPARAM>(PackTabData(tabs[i].group, tabs[i].offset));
      ::SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    if (in_use_ == 0 && TabCtrl_GetRowCount(tab) > kMaxMultiLineRows) {
      in_use_ = 1;
      continue;
    }
    // The grid follows the rows of tabs: lay out once more for a new height.
    if (TabCtrl_GetRowCount(tab) == rows_before || tabs.empty()) break;
  }
  TabCtrl_SetCurSel(tabs_[in_use_], 0);
  SelectCurrentTab();
}

void CTabPane::SelectCurrentTab() {
  HWND const tab = tabs_[in_use_];
  const int current = TabCtrl_GetCurSel(tab);
  TCITEMA item{};
  item.mask = TCIF_PARAM;
  group_ = 0;
  offset_ = 0;
  item_count_ = 0;
  if (current >= 0 &&
      ::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(current), reinterpret_cast<LPARAM>(&item))) {
    group_ = TabDataGroup(static_cast<std::uint32_t>(item.lParam));
    offset_ = TabDataOffset(static_cast<std::uint32_t>(item.lParam));
    if (provider_ != nullptr && group_ < group_count_) item_count_ = provider_->SelectGroup(group_);
  }
  ClearHover();
  InvalidateRect(tabs_[in_use_], nullptr, TRUE);
}

RECT CTabPane::GridArea() const {
  RECT area{};
  HWND const tab = tabs_[in_use_];
  if (tab == nullptr) return area;
  GetClientRect(tab, &area);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  MapWindowPoints(tab, hwnd(), reinterpret_cast<POINT*>(&area), 2);
  InflateRect(&area, -4, -4);
  return area;
}

GridSize CTabPane::Grid() const {
  const RECT area = GridArea();
  const SIZE cell = const_cast<CTabPane*>(this)->GetCellSize();
  return GridOf(area.right - area.left, area.bottom - area.top, cell.cx, cell.cy);
}

SIZE CTabPane::GetCellSize() { return {2 * char_width_ + 4, char_height_ + 2}; }

RECT CTabPane::CellRect(int cell) const {
  const GridSize grid = Grid();
  const RECT area = GridArea();
  const SIZE size = const_cast<CTabPane*>(this)->GetCellSize();
  const int x = (cell % grid.columns) * size.cx + area.left + 2;
  const int y = (cell / grid.columns) * size.cy + area.top + 1;
  return {x, y, x + size.cx, y + size.cy};
}

bool CTabPane::OnEraseBkgnd(HDC dc) {
  CPopupDlg::OnEraseBkgnd(dc);
  RECT caption{0, 0, FullSize().cx, CaptionHeight()};
  RECT client{};
  GetClientRect(hwnd(), &client);
  caption.right = client.right;
  DrawFrame3D(dc, caption, 1, false);
  std::string text = caption_;
  const char* key = provider_ != nullptr ? provider_->GetKey() : nullptr;
  if (key != nullptr && std::strlen(key) >= 2 && !IsUserCode(SwapBytes(CodeAt(key))))
    text += std::string(" : ") + key;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TextOutA(dc, (char_height_ + 6) / 3 + 4, 5, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, old);
  return true;
}

void CTabPane::PaintCells(HDC dc) {
  if (provider_ == nullptr || group_count_ == 0 || group_ >= group_count_) return;
  item_count_ = provider_->SelectGroup(group_);
  const int visible = VisibleCells(item_count_, offset_, Grid());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  for (int cell = 0; cell < visible; ++cell) {
    const RECT rect = CellRect(cell);
    if (cell == hover_) {
      FillRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    DrawCell(dc, rect.left, rect.top, offset_ + cell);
  }
  SelectObject(dc, old);
}

void CTabPane::MoveSelection(int delta) {
  const int last = TabCtrl_GetItemCount(tabs_[in_use_]) - 1;
  const int next = std::clamp(TabCtrl_GetCurSel(tabs_[in_use_]) + delta, 0, std::max(0, last));
  ::PostMessageA(hwnd(), WM_LISTSELECT, static_cast<WPARAM>(next), 0);
}

void CTabPane::DrawCell(HDC dc, int x, int y, int item) {
  const char* text = provider_ != nullptr ? provider_->GetItem(item, 0) : nullptr;
  if (text != nullptr) TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

void CTabPane::InvalidateCell(int cell) {
  if (cell < 0) return;
  RECT rect = CellRect(cell);
  MapWindowPoints(hwnd(), tabs_[in_use_], reinterpret_cast<POINT*>(&rect), 2);
  InvalidateRect(tabs_[in_use_], &rect, TRUE);
}

void CTabPane::SetHover(int cell) {
  if (cell == hover_) return;
  InvalidateCell(hover_);
  hover_ = cell;
  InvalidateCell(hover_);
}

void CTabPane::ClearHover() {
  SetHover(-1);
  if (captured_) {
    captured_ = false;
    if (GetCapture() == hwnd()) ReleaseCapture();
  }
}

void CTabPane::OnMouseMove(UINT, POINT point) {
  if (provider_ == nullptr || group_count_ == 0) return;
  const RECT origin = CellRect(0);
  const SIZE size = GetCellSize();
  const int cell = CellAt(point.x - origin.left, point.y - origin.top, Grid(), size.cx, size.cy,
                          VisibleCells(item_count_, offset_, Grid()));
  if (cell < 0) {
    ClearHover();
    return;
  }
  SetHover(cell);
  if (!captured_) {
    captured_ = true;
    SetCapture(hwnd());
  }
}

void CTabPane::OnCaptureChanged(HWND gaining) {
  if (gaining != hwnd() && captured_) {
    captured_ = false;
    SetHover(-1);
  }
}

void CTabPane::OnLButtonDown(UINT flags, POINT point) {
  // A press on a cell waits for its release; elsewhere it drags the pane.
  if (hover_ >= 0) return;
  CPopupDlg::OnLButtonDown(flags, point);
}

void CTabPane::OnLButtonUp(UINT, POINT point) {
  if (hover_ < 0) return;
  const RECT rect = CellRect(hover_);
  if (!PtInRect(&rect, point)) return;
  Choose(offset_ + hover_);
}

bool CTabPane::OnCommand(UINT id, UINT notify_code, HWND control) {
  if (id == kCloseId) {
    host_.HidePane(pane_index());
    return true;
  }
  return CPopupDlg::OnCommand(id, notify_code, control);
}

LRESULT CTabPane::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->hwndFrom == tabs_[in_use_] && header->code == TCN_SELCHANGE) {
      SelectCurrentTab();
      return 0;
    }
  }
  return CPopupDlg::WindowProc(message, wparam, lparam);
}

bool CTabPane::OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message == WM_LISTNOTIFY) {
    Refresh(static_cast<std::uint16_t>(wparam & 0xFFFF));
    *result = 0;
    return true;
  }
  if (message == WM_LISTSELECT) {
    TabCtrl_SetCurSel(tabs_[in_use_], static_cast<int>(wparam));
    SelectCurrentTab();
    *result = 0;
    return true;
  }
  return CPopupDlg::OnOwnMessage(message, wparam, lparam, result);
}

void CTabPane::OnDestroy() {
  if (provider_ != nullptr) provider_->Attach(nullptr);
  provider_ = nullptr;
  CPopupDlg::OnDestroy();
}

CAssocPhrasePane::CAssocPhrasePane(PaneHost& host) : CTabPane(host, kPanePhrases, kCaptionId) {}

bool CAssocPhrasePane::OnInitDialog() {
  const bool result = CTabPane::OnInitDialog();
  AttachProvider(host_.AssocPhraseProvider());
  return result;
}

void CAssocPhrasePane::Reload() {
  AttachProvider(host_.AssocPhraseProvider());
  Refresh(0);
}

SIZE CAssocPhrasePane::GetCellSize() {
  SIZE size = CTabPane::GetCellSize();
  const char* first = provider() != nullptr && group_count_ > 0 ? provider()->GetItem(0, 0) : nullptr;
  if (first != nullptr && first[0] != '\0')
    size.cx = char_width() * static_cast<int>(std::strlen(first) / 2) * 2 + 4;
  return size;
}

void CAssocPhrasePane::Choose(int item) {
  ClearHover();
  CCharProvider* const phrases = provider();
  if (phrases == nullptr) return;
  std::string text;
  {
    KeepWhileSending sending;
    const char* chosen = phrases->GetItem(item, 1);
    if (chosen == nullptr) return;
    text = chosen;
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
      if ((static_cast<unsigned char>(text[at]) & 0x80) == 0) continue;
      host_.SendKeyCodeAfterSelection(CodeAt(text.c_str() + at));
      ++at;
    }
  }
  offset_ = 0;
  group_count_ = phrases->AppendItem(item);
  if (group_count_ > 0) {
    InvalidateCaption();
    SizeAndFill();
  } else if (text.size() >= 2) {
    Refresh(CodeAt(text.c_str() + text.size() - 2));
  }
}

CHomophonePane::CHomophonePane(PaneHost& host) : CTabPane(host, kPaneHomophones, kCaptionId) {}

bool CHomophonePane::OnInitDialog() {
  const bool result = CTabPane::OnInitDialog();
  Reload();
  return result;
}

void CHomophonePane::Reload() {
  const int language = RecognizerLanguage();
  AttachProvider(nullptr);
  own_provider_ =
      std::make_unique<CHomophoneProvider>(language, InstalledDataFile(PhoneTableFileName(language)));
  AttachProvider(own_provider_.get());
  Refresh(0);
}

void CHomophonePane::Choose(int item) {
  ClearHover();
  if (!own_provider_) return;
  {
    KeepWhileSending sending;
    const char* chosen = own_provider_->GetItem(item, 1);
    if (chosen == nullptr || std::strlen(chosen) < 2) return;
    host_.SendKeyCodeAtSelection(CodeAt(chosen));
  }
  own_provider_->AppendItem(item);
  Refresh(0);
}

}  // namespace wrendle::app
