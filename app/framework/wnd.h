// CWnd: the window base of the program's own small framework. An object is
// bound to its window from the window's first message on (a thread CBT hook
// subclasses the window while CreateWindowEx runs), and the messages go to
// virtual handlers named after them. What a handler does not take goes to
// Default(), the window class's own procedure.
#pragma once

#include <windows.h>

namespace wrendle::framework {

class CWnd {
 public:
  CWnd() = default;
  // Destroys the window when it still exists; its last messages no longer
  // reach this object.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The object bound to `window`, null for windows of other code.
  static CWnd* FromHandle(HWND window);

  HWND hwnd() const { return hwnd_; }

  // Creates the window and binds it to this object. Any class works: the
  // framework's own (RegisterWindowClass), another registered one, or a
  // system control, which is then subclassed. False when the window could
  // not be created or OnCreate answered -1.
  bool CreateEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, const RECT& rect,
                HWND parent, HMENU menu_or_id);
  // Binds an existing window of another class (a dialog's control) to this
  // object; the window's own procedure becomes the default handling.
  bool Subclass(HWND window);
  bool DestroyWindow();

  LRESULT SendMessage(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return ::SendMessageA(hwnd_, message, wparam, lparam);
  }
  bool PostMessage(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return ::PostMessageA(hwnd_, message, wparam, lparam) != FALSE;
  }

 protected:
  // The message-to-handler switch. Derived windows override it only for
  // messages without a handler of their own, and hand the rest on.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  // The class procedure's handling of the message being handled.
  LRESULT Default();

  virtual int OnCreate(CREATESTRUCTA* create);  // -1 fails the creation
  virtual void OnDestroy();
  virtual void OnClose();
  virtual void OnTimer(UINT_PTR id);
  virtual void OnPaint();
  virtual bool OnEraseBkgnd(HDC dc);  // true: erased
  virtual int OnMouseActivate(HWND top_level, UINT hit_test, UINT message);
  virtual void OnMouseMove(UINT flags, POINT point);
  virtual void OnLButtonDown(UINT flags, POINT point);
  virtual void OnLButtonUp(UINT flags, POINT point);
  virtual void OnLButtonDblClk(UINT flags, POINT point);
  virtual void OnRButtonDown(UINT flags, POINT point);
  virtual void OnRButtonUp(UINT flags, POINT point);
  virtual void OnCancelMode();
  // Non-client presses: the hit-test code and the point in screen pixels.
  virtual void OnNcLButtonDown(UINT hit_test, POINT screen_point);
  virtual void OnNcLButtonDblClk(UINT hit_test, POINT screen_point);
  virtual void OnNcRButtonDown(UINT hit_test, POINT screen_point);
  // WM_SETTEXT; the default handling stores the text.
  virtual LRESULT OnSetText(const char* text);
  // The mouse capture went to `gaining` (null when released).
  virtual void OnCaptureChanged(HWND gaining);
  // WM_COMMAND; true when handled.
  virtual bool OnCommand(UINT id, UINT notify_code, HWND control);
  virtual void OnSysCommand(UINT id, LPARAM lparam);
  virtual void OnSize(UINT type, int cx, int cy);
  virtual void OnMove(int x, int y);
  virtual void OnGetMinMaxInfo(MINMAXINFO* info);
  virtual void OnActivateApp(bool active, DWORD thread_id);
  virtual void OnInitMenu(HMENU menu);
  // The program's own messages: everything from WM_USER on (the hook
  // library's 1235, WM_SENDRESULT 0x1615, WM_USER + n, registered messages).
  // Returns false to leave the message to Default().
  virtual bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  // After the window's last message; the object is unbound and may delete
  // itself here. When the window is destroyed from within one of its own
  // handlers, this runs once that handler has returned.
  virtual void PostNcDestroy() {}

  // While it lives, the first window that the thread creates is bound to
  // `object` before its first message; for windows that the system creates
  // on the object's behalf (dialogs).
  class CreationScope {
   public:
    explicit CreationScope(CWnd* object);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

   private:
    CWnd* outer_;
    HHOOK hook_;
  };

 private:
  friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK CreationHook(int, WPARAM, LPARAM);

  struct CurrentMessage {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  };

  void Attach(HWND window);
  void Detach();
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  WNDPROC super_proc_ = nullptr;
  const CurrentMessage* current_ = nullptr;
  bool destroyed_while_dispatching_ = false;
};

// The window procedure of the framework's own window classes.
LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace wrendle::framework
