#include "app/framework/frame_wnd.h"

#include <cstdio>

#include "app/framework/win_app.h"

namespace wrendle::framework {

std::string RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon, const char* name) {
  std::string class_name;
  if (name != nullptr) {
    class_name = name;
  } else {
    char made[96];
    std::snprintf(made, sizeof made, "Wrendle:%x:%p:%p:%p", style, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    class_name = made;
  }
  const HINSTANCE instance = CWinApp::Instance();
  WNDCLASSA existing;
  if (GetClassInfoA(instance, class_name.c_str(), &existing)) return class_name;
  WNDCLASSA window_class{};
  window_class.style = style;
  window_class.lpfnWndProc = &FrameworkWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = cursor;
  window_class.hbrBackground = background;
  window_class.hIcon = icon;
  window_class.lpszClassName = class_name.c_str();
  return RegisterClassA(&window_class) != 0 ? class_name : std::string();
}

}  // namespace wrendle::framework
