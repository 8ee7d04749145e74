#include "app/win32/bubble.h"

#include "app/core/ink_drawing.h"
#include "app/framework/frame_wnd.h"

namespace wrendle::app {
namespace {

constexpr char kBubbleClass[] = "WrendleBubble";

}  // namespace

CBubble& CBubble::Shared() {
  static CBubble bubble;
  return bubble;
}

bool CBubble::Create() {
  if (hwnd() != nullptr) return true;
  // The brush lives as long as the class: registered once, never freed.
  static const HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  const std::string window_class = framework::RegisterWindowClass(kClassStyle, LoadCursor(nullptr, IDC_ARROW),
                                                                  yellow, nullptr, kBubbleClass);
  if (window_class.empty()) return false;
  return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, window_class.c_str(), "",
                  WS_POPUP | WS_BORDER, RECT{0, 0, 10, 10}, nullptr, nullptr);
}

HFONT CBubble::Font() {
  if (!font_) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_.reset(CreateFontIndirectA(&metrics.lfStatusFont));
    }
  }
  return font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT CBubble::OnSetText(const char* text) {
  const LRESULT result = Default();
  framework::CClientDC dc(hwnd());
  framework::CSelectObject font(dc.get(), Font());
  SIZE extent{};
  const std::string line = text != nullptr ? text : "";
  GetTextExtentPoint32A(dc.get(), line.c_str(), static_cast<int>(line.size()), &extent);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc.get(), &metrics);
  size_.cx = extent.cx + 6 * GetSystemMetrics(SM_CXBORDER);
  size_.cy = metrics.tmHeight + 6 * GetSystemMetrics(SM_CYBORDER) + metrics.tmExternalLeading;
  return result;
}

void CBubble::Show(int x, int y, const char* text) {
  if (hwnd() == nullptr && !Create()) return;
  const bool was_shown = shown_;
  ShowWindow(hwnd(), SW_HIDE);
  SetWindowTextA(hwnd(), text);
  Sleep(50);
  const Rect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const Rect place = PlaceBubble({x, y}, {GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR)},
                                 {size_.cx, size_.cy}, screen);
  SetWindowPos(hwnd(), HWND_TOPMOST, place.left, place.top, place.width(), place.height(),
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd(), nullptr, TRUE);
  shown_ = true;
  // When the timer cannot be set the bubble stays until hidden.
  if (!was_shown && !timer_) timer_ = SetTimer(hwnd(), kTimerId, kShowMs, nullptr) != 0;
}

void CBubble::Hide() {
  if (hwnd() == nullptr) return;
  ShowWindow(hwnd(), SW_HIDE);
  if (timer_) KillTimer(hwnd(), kTimerId);
  timer_ = false;
  shown_ = false;
}

void CBubble::OnTimer(UINT_PTR id) {
  if (id == kTimerId) {
    Hide();
    return;
  }
  CWnd::OnTimer(id);
}

void CBubble::OnPaint() {
  framework::CPaintDC dc(hwnd());
  framework::CSelectObject font(dc.get(), Font());
  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), GetSysColor(COLOR_INFOTEXT));
  char text[256] = {};
  GetWindowTextA(hwnd(), text, sizeof text);
  RECT client;
  GetClientRect(hwnd(), &client);
  DrawTextA(dc.get(), text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace wrendle::app
