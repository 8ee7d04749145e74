// CFrameWnd: a top-level window of the framework, and the registration of
// window classes whose windows the framework binds to their objects.
#pragma once

#include <string>

#include "app/framework/wnd.h"

namespace wrendle::framework {

// Registers a window class with the framework's procedure and returns its
// name; a class of that name already registered is taken as it is. Without
// a name one is made from the arguments, as AfxRegisterWndClass does. An
// empty string when registration fails.
std::string RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon,
                                const char* name = nullptr);

class CFrameWnd : public CWnd {
 public:
  bool Create(const char* class_name, const char* title, DWORD style, const RECT& rect, HWND parent = nullptr,
              HMENU menu = nullptr, DWORD ex_style = 0) {
    return CreateEx(ex_style, class_name, title, style, rect, parent, menu);
  }

 protected:
  // The frame's close: it destroys itself (the main window's destruction
  // ends the message loop).
  void OnClose() override { DestroyWindow(); }
};

}  // namespace wrendle::framework
