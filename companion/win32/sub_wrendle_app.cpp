#include "companion/win32/sub_wrendle_app.h"

#include "app/framework/frame_wnd.h"
#include "companion/core/companion_logic.h"
#include "companion/win32/companion_resources.h"

namespace companion {

CSubWrendleApp::~CSubWrendleApp() {
  frame_.reset();
  if (instance_mutex_ != nullptr) CloseHandle(instance_mutex_);
}

bool CSubWrendleApp::InitInstance() {
  if (IsRemovedCommand(command_line_)) {
    if (HWND running = FindWindowA(kCompanionClass, nullptr)) PostMessageA(running, WM_CLOSE, 0, 0);
    return false;
  }
  instance_mutex_ = CreateMutexA(nullptr, TRUE, "SubWrendle ICON Instance");
  if (instance_mutex_ == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return false;

  // The class carries the icon and binds the frame to its object; no cursor,
  // background or menu.
  const std::string class_name = wrendle::framework::RegisterWindowClass(
      0, nullptr, nullptr, LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_COMPANION)), kCompanionClass);
  if (class_name.empty()) return false;
  frame_ = std::make_unique<CMainFrame>();
  const RECT rect{0, 0, 100, 100};
  if (!frame_->Create(class_name.c_str(), "", WS_POPUP, rect, nullptr, nullptr, WS_EX_TOOLWINDOW))
    return false;
  set_main_window(frame_.get());
  return true;
}

}  // namespace companion
