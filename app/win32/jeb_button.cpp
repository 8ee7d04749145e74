#include "app/win32/jeb_button.h"

#include <memory>

#include "app/framework/scopes.h"
#include "app/win32/bubble.h"
#include "app/win32/resource_module.h"

namespace wrendle::app {
namespace {

// A plain button follows one press at a time, program-wide.
bool g_pressed_tracking = false;

// Bitmap buttons: how many live, which one holds the hover, until when a
// hover after a click is ignored, and the thread's keyboard hook that ends
// the hover on any key.
int g_bitmap_buttons = 0;
CJebBitmapButton* g_hover = nullptr;
DWORD g_click_quiet_until = 0;
bool g_click_quiet = false;
std::unique_ptr<framework::ThreadHookScope> g_keyboard_hook;
// The button whose hover a key ended: it hovers again only once the mouse
// has left it (the move that the system sends when the capture goes does
// not count).
CJebBitmapButton* g_key_ended = nullptr;

LRESULT CALLBACK KeyboardHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && CJebBitmapButton::hover_button() != nullptr) {
    g_key_ended = CJebBitmapButton::hover_button();
    CJebBitmapButton::EndAnyHover();
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

bool CJebButton::Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
  if ((style & WS_DISABLED) != 0) {
    style &= ~static_cast<DWORD>(WS_DISABLED);
    state_ |= kDisabled;
  }
  return CreateEx(0, "Button", text != nullptr ? text : "", style | WS_CHILD, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

bool CJebButton::is_toggle() const {
  return hwnd() != nullptr && LOWORD(GetWindowLongPtrA(hwnd(), GWL_STYLE)) == BS_CHECKBOX;
}

void CJebButton::SetState(std::uint8_t state) {
  if (state == state_) return;
  state_ = state;
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CJebButton::SetEnabledLook(bool enabled) {
  SetState(enabled ? static_cast<std::uint8_t>(state_ & ~kDisabled)
                   : static_cast<std::uint8_t>(state_ | kDisabled));
}

void CJebButton::SetTicked(bool ticked) {
  if (!is_toggle()) return;
  SetState(ticked ? static_cast<std::uint8_t>(state_ | kPressed)
                  : static_cast<std::uint8_t>(state_ & ~kPressed));
}

bool CJebButton::Inside(POINT point) const {
  RECT client;
  GetClientRect(hwnd(), &client);
  return PtInRect(&client, point) != FALSE;
}

void CJebButton::Notify() {
  const int id = GetDlgCtrlID(hwnd());
  ::SendMessageA(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd()));
}

void CJebButton::OnLButtonDown(UINT, POINT point) {
  if ((state_ & kDisabled) != 0 || !Inside(point)) return;
  if (is_toggle()) {
    SetState(static_cast<std::uint8_t>(state_ ^ kPressed));
    Notify();
    return;
  }
  tracking_ = true;
  g_pressed_tracking = true;
  SetCapture(hwnd());
  SetState(static_cast<std::uint8_t>(state_ | kPressed));
}

void CJebButton::OnMouseMove(UINT, POINT point) {
  if (!tracking_) return;
  SetState(Inside(point) ? static_cast<std::uint8_t>(state_ | kPressed)
                         : static_cast<std::uint8_t>(state_ & ~kPressed));
}

void CJebButton::OnLButtonUp(UINT, POINT point) {
  if (!tracking_) return;
  tracking_ = false;
  g_pressed_tracking = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  SetState(static_cast<std::uint8_t>(state_ & ~kPressed));
  if (Inside(point)) Notify();
}

void CJebButton::OnCaptureChanged(HWND gaining) {
  if (tracking_ && gaining != hwnd()) {
    tracking_ = false;
    g_pressed_tracking = false;
    SetState(static_cast<std::uint8_t>(state_ & ~kPressed));
  }
}

LRESULT CJebButton::OnSetText(const char*) {
  // The system button paints itself on a new text; the face is ours.
  const LRESULT result = Default();
  InvalidateRect(hwnd(), nullptr, FALSE);
  return result;
}

LRESULT CJebButton::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    // The system button would draw its own look for these.
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case WM_UPDATEUISTATE:
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return 0;
    default:
      return CWnd::WindowProc(message, wparam, lparam);
  }
}

void CJebButton::OnPaint() {
  framework::CPaintDC dc(hwnd());
  RECT client;
  GetClientRect(hwnd(), &client);
  PaintFace(dc.get(), client);
}

void CJebButton::PaintFace(HDC dc, const RECT& client) {
  FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
  RECT face{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  const bool pressed = (state_ & kPressed) != 0;
  const bool ticked_toggle = pressed && is_toggle();
  FillRect(dc, &face, GetSysColorBrush(ticked_toggle ? COLOR_BTNHIGHLIGHT : COLOR_BTNFACE));
  const auto line = [dc](int x0, int y0, int x1, int y1, int colour_index) {
    framework::CPen pen(CreatePen(PS_SOLID, 1, GetSysColor(colour_index)));
    framework::CSelectObject selected(dc, pen.get());
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
  };
  const bool sunk = pressed && !is_toggle();
  if (sunk) {
    line(face.left, face.bottom - 1, face.left, face.top, COLOR_BTNSHADOW);
    line(face.left, face.top, face.right, face.top, COLOR_BTNSHADOW);
  } else {
    for (int i = 0; i < 2; ++i) {
      line(face.left + i, face.bottom - 1 - i, face.left + i, face.top + i, COLOR_BTNHIGHLIGHT);
      line(face.left + i, face.top + i, face.right - i, face.top + i, COLOR_BTNHIGHLIGHT);
      line(face.right - 1 - i, face.top + i, face.right - 1 - i, face.bottom - i, COLOR_BTNSHADOW);
      line(face.left + i, face.bottom - 1 - i, face.right - i, face.bottom - 1 - i, COLOR_BTNSHADOW);
    }
  }
  char text[128] = {};
  GetWindowTextA(hwnd(), text, sizeof text);
  RECT place = face;
  if (sunk) OffsetRect(&place, 1, 1);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor((state_ & kDisabled) != 0 ? COLOR_BTNSHADOW : COLOR_BTNTEXT));
  framework::CSelectObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextA(dc, text, -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// ---------------------------------------------------------------- bitmaps

CJebBitmapButton::CJebBitmapButton(bool tooltip) : tooltip_(tooltip) {
  if (g_bitmap_buttons++ == 0) {
    g_keyboard_hook = std::make_unique<framework::ThreadHookScope>(WH_KEYBOARD, &KeyboardHook);
  }
}

CJebBitmapButton::~CJebBitmapButton() {
  if (g_hover == this) g_hover = nullptr;
  if (g_key_ended == this) g_key_ended = nullptr;
  if (--g_bitmap_buttons == 0) g_keyboard_hook.reset();
}

int CJebBitmapButton::live_count() { return g_bitmap_buttons; }
CJebBitmapButton* CJebBitmapButton::hover_button() { return g_hover; }
bool CJebBitmapButton::hovering() const { return g_hover == this; }

void CJebBitmapButton::EndAnyHover() {
  if (g_hover != nullptr) g_hover->EndHover();
}

bool CJebBitmapButton::SetBitmaps(UINT normal_id, UINT pressed_id, UINT third_id) {
  const HINSTANCE module = ResourceModule();
  const auto load = [module](UINT id) {
    return framework::CBitmap(id != 0 ? LoadBitmapA(module, MAKEINTRESOURCEA(id)) : nullptr);
  };
  normal_ = load(normal_id);
  pressed_ = load(pressed_id);
  third_ = load(third_id);
  CBubble::Shared().Create();
  if (!normal_) return false;
  BITMAP info{};
  GetObjectA(normal_.get(), sizeof info, &info);
  if (hwnd() != nullptr) {
    SetWindowPos(hwnd(), nullptr, 0, 0, info.bmWidth, info.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

void CJebBitmapButton::ShowPicture(HBITMAP picture) {
  shown_ = picture;
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CJebBitmapButton::PaintFace(HDC dc, const RECT& client) {
  HBITMAP picture = shown_ != nullptr ? shown_ : normal_.get();
  if ((state() & kPressed) != 0 && pressed_) {
    picture = pressed_.get();
  } else if ((state() & kDisabled) != 0 && third_) {
    picture = third_.get();
  }
  if (picture == nullptr) {
    CJebButton::PaintFace(dc, client);
    return;
  }
  framework::CMemoryDC memory(dc);
  framework::CSelectObject selected(memory.get(), picture);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void CJebBitmapButton::StartHover(POINT point) {
  g_hover = this;
  SetCapture(hwnd());
  if (tooltip_) {
    char text[128] = {};
    GetWindowTextA(hwnd(), text, sizeof text);
    ClientToScreen(hwnd(), &point);
    if (text[0] != 0) CBubble::Shared().Show(point.x, point.y, text);
  }
}

void CJebBitmapButton::EndHover() {
  if (g_hover != this) return;
  g_hover = nullptr;
  CBubble::Shared().Hide();
  if (GetCapture() == hwnd() && !tracking()) ReleaseCapture();
}

void CJebBitmapButton::OnMouseMove(UINT flags, POINT point) {
  if (tracking()) {
    CJebButton::OnMouseMove(flags, point);
    return;
  }
  if (g_pressed_tracking) return;
  if (g_click_quiet && static_cast<LONG>(GetTickCount() - g_click_quiet_until) < 0) return;
  g_click_quiet = false;
  if (!hovering()) {
    if (!Inside(point)) {
      if (g_key_ended == this) g_key_ended = nullptr;
      return;
    }
    if (g_key_ended != this) StartHover(point);
    return;
  }
  if (Inside(point)) return;
  POINT screen = point;
  ClientToScreen(hwnd(), &screen);
  HWND under = WindowFromPoint(screen);
  if (under != nullptr && under == CBubble::Shared().hwnd()) {
    CBubble::Shared().Hide();
    return;
  }
  EndHover();
  // Another bitmap button takes the hover over at once.
  auto* other = dynamic_cast<CJebBitmapButton*>(CWnd::FromHandle(under));
  if (other != nullptr && other != this) {
    POINT there = screen;
    ScreenToClient(other->hwnd(), &there);
    other->StartHover(there);
  }
}

void CJebBitmapButton::OnLButtonDown(UINT flags, POINT point) {
  EndHover();
  CJebButton::OnLButtonDown(flags, point);
}

void CJebBitmapButton::OnLButtonUp(UINT flags, POINT point) {
  g_click_quiet = true;
  g_click_quiet_until = GetTickCount() + kClickQuietMs;
  CJebButton::OnLButtonUp(flags, point);
}

void CJebBitmapButton::OnCancelMode() {
  EndHover();
  CJebButton::OnCancelMode();
}

void CJebBitmapButton::OnCaptureChanged(HWND gaining) {
  if (hovering() && gaining != hwnd()) {
    g_hover = nullptr;
    CBubble::Shared().Hide();
  }
  CJebButton::OnCaptureChanged(gaining);
}

void CJebBitmapButton::OnDestroy() {
  if (g_hover == this) EndHover();
  CJebButton::OnDestroy();
}

}  // namespace wrendle::app
