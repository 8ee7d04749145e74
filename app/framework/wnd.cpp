#include "app/framework/wnd.h"

#include "app/framework/win_app.h"

namespace wrendle::framework {
namespace {

// The property that holds a window's CWnd. A property, not GWLP_USERDATA,
// because subclassed controls may use their user data themselves.
constexpr char kObjectProperty[] = "Wrendle.CWnd";

// The object whose window CreateEx is creating on this thread.
thread_local CWnd* t_creating = nullptr;

}  // namespace

// Binds the first window created while CreateEx runs, before its first message.
LRESULT CALLBACK CreationHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && t_creating != nullptr) {
    CWnd* object = t_creating;
    t_creating = nullptr;
    object->Attach(reinterpret_cast<HWND>(wparam));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

CWnd::~CWnd() {
  if (hwnd_ != nullptr) {
    const HWND window = hwnd_;
    Detach();
    ::DestroyWindow(window);
  }
}

CWnd* CWnd::FromHandle(HWND window) { return static_cast<CWnd*>(GetPropA(window, kObjectProperty)); }

void CWnd::Attach(HWND window) {
  hwnd_ = window;
  SetPropA(window, kObjectProperty, this);
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWindowProc)));
  super_proc_ = previous == &FrameworkWindowProc ? &DefWindowProcA : previous;
}

void CWnd::Detach() {
  if (hwnd_ == nullptr) return;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)) == &FrameworkWindowProc &&
      super_proc_ != &DefWindowProcA) {
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super_proc_));
  }
  RemovePropA(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

bool CWnd::CreateEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, const RECT& rect,
                    HWND parent, HMENU menu_or_id) {
  if (hwnd_ != nullptr) return false;
  HWND window = nullptr;
  {
    CreationScope scope(this);
    window = CreateWindowExA(ex_style, class_name, title, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, menu_or_id, CWinApp::Instance(), nullptr);
  }
  if (window != nullptr && hwnd_ != window) {
    // Created but never bound (the creation hook could not be installed).
    ::DestroyWindow(window);
    return false;
  }
  return window != nullptr;
}

CWnd::CreationScope::CreationScope(CWnd* object)
    : outer_(t_creating), hook_(SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId())) {
  t_creating = object;
}

CWnd::CreationScope::~CreationScope() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  t_creating = outer_;
}

bool CWnd::Subclass(HWND window) {
  if (hwnd_ != nullptr || window == nullptr || FromHandle(window) != nullptr) return false;
  Attach(window);
  return true;
}

bool CWnd::DestroyWindow() { return hwnd_ != nullptr && ::DestroyWindow(hwnd_) != FALSE; }

LRESULT CWnd::Default() {
  if (current_ == nullptr || hwnd_ == nullptr) return 0;
  return CallWindowProcA(super_proc_, hwnd_, current_->message, current_->wparam, current_->lparam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  const CurrentMessage here{message, wparam, lparam};
  const CurrentMessage* outer = current_;
  current_ = &here;
  LRESULT result = 0;
  // No exception leaves a window procedure.
  try {
    result = WindowProc(message, wparam, lparam);
  } catch (...) {
    result = 0;
  }
  current_ = outer;
  return result;
}

LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  CWnd* object = CWnd::FromHandle(window);
  if (object == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  if (message != WM_NCDESTROY) {
    const LRESULT result = object->Dispatch(message, wparam, lparam);
    // The window went while one of its own handlers ran (a pane's Exit
    // closing the pane): the object may go now that the handler is done.
    if (object->current_ == nullptr && object->destroyed_while_dispatching_) {
      object->destroyed_while_dispatching_ = false;
      object->PostNcDestroy();
    }
    return result;
  }
  const LRESULT result = object->Dispatch(message, wparam, lparam);
  CWinApp* app = CWinApp::Current();
  if (app != nullptr && app->main_window() == object) {
    app->set_main_window(nullptr);
    PostQuitMessage(0);
  }
  object->Detach();
  if (object->current_ != nullptr) {
    object->destroyed_while_dispatching_ = true;
  } else {
    object->PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  // Client coordinates are signed 16-bit values.
  const POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  const UINT flags = static_cast<UINT>(wparam);
  switch (message) {
    case WM_CREATE: {
      if (Default() == -1) return -1;
      return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lparam));
    }
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_TIMER:
      OnTimer(wparam);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return OnEraseBkgnd(reinterpret_cast<HDC>(wparam)) ? 1 : 0;
    case WM_MOUSEACTIVATE:
      return OnMouseActivate(reinterpret_cast<HWND>(wparam), LOWORD(lparam), HIWORD(lparam));
    case WM_MOUSEMOVE:
      OnMouseMove(flags, point);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(flags, point);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(flags, point);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(flags, point);
      return 0;
    case WM_RBUTTONDOWN:
      OnRButtonDown(flags, point);
      return 0;
    case WM_RBUTTONUP:
      OnRButtonUp(flags, point);
      return 0;
    case WM_CANCELMODE:
      OnCancelMode();
      return 0;
    case WM_NCLBUTTONDOWN:
      OnNcLButtonDown(flags, point);
      return 0;
    case WM_NCLBUTTONDBLCLK:
      OnNcLButtonDblClk(flags, point);
      return 0;
    case WM_NCRBUTTONDOWN:
      OnNcRButtonDown(flags, point);
      return 0;
    case WM_SETTEXT:
      return OnSetText(reinterpret_cast<const char*>(lparam));
    case WM_CAPTURECHANGED:
      OnCaptureChanged(reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam))) return 0;
      return Default();
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wparam), lparam);
      return 0;
    case WM_SIZE:
      OnSize(static_cast<UINT>(wparam), LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_MOVE:
      OnMove(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lparam));
      return 0;
    case WM_ACTIVATEAPP:
      OnActivateApp(wparam != 0, static_cast<DWORD>(lparam));
      return 0;
    case WM_INITMENU:
      OnInitMenu(reinterpret_cast<HMENU>(wparam));
      return 0;
    default:
      if (message >= WM_USER) {
        LRESULT result = 0;
        if (OnOwnMessage(message, wparam, lparam, &result)) return result;
      }
      return Default();
  }
}

int CWnd::OnCreate(CREATESTRUCTA*) { return 0; }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnPaint() { Default(); }
bool CWnd::OnEraseBkgnd(HDC) { return Default() != 0; }
int CWnd::OnMouseActivate(HWND, UINT, UINT) { return static_cast<int>(Default()); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonUp(UINT, POINT) { Default(); }
void CWnd::OnLButtonDblClk(UINT, POINT) { Default(); }
void CWnd::OnRButtonDown(UINT, POINT) { Default(); }
void CWnd::OnRButtonUp(UINT, POINT) { Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnNcLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, POINT) { Default(); }
void CWnd::OnNcRButtonDown(UINT, POINT) { Default(); }
LRESULT CWnd::OnSetText(const char*) { return Default(); }
void CWnd::OnCaptureChanged(HWND) { Default(); }
bool CWnd::OnCommand(UINT, UINT, HWND) { return false; }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnActivateApp(bool, DWORD) { Default(); }
void CWnd::OnInitMenu(HMENU) { Default(); }
bool CWnd::OnOwnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

}  // namespace wrendle::framework
