// CSubWrendleApp: start-up of the companion. "/Removed" closes a running
// companion; otherwise one companion per session creates its hidden frame.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/framework/win_app.h"
#include "companion/win32/main_frame.h"

namespace companion {

class CSubWrendleApp : public wrendle::framework::CWinApp {
 public:
  explicit CSubWrendleApp(std::string command_line) : command_line_(std::move(command_line)) {}
  ~CSubWrendleApp() override;

  bool InitInstance() override;

 private:
  std::string command_line_;
  HANDLE instance_mutex_ = nullptr;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace companion
