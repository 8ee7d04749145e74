// CMainFrame: the companion's hidden frame. It owns the notification-area
// icon, shows the icon's menu and carries out its commands, and talks to
// the pen-input program's main window (class "ZEZIRAREVI") by messages.
#pragma once

#include <windows.h>

#include <string>

#include "app/framework/frame_wnd.h"
#include "companion/core/companion_logic.h"

namespace companion {

// The icon's callback message and the messages of the pen-input program.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER;
inline constexpr UINT WM_SHOWPAD = WM_USER + 400;
inline constexpr UINT WM_PADMINIMIZED = WM_USER + 410;
inline constexpr UINT WM_PADRESTORED = WM_USER + 420;
inline constexpr UINT WM_RESENDPADMODE = WM_USER + 430;

inline constexpr char kCompanionClass[] = "SubWrendle";
inline constexpr char kMainWindowClass[] = "ZEZIRAREVI";
inline constexpr UINT kTrayIconId = 132;

class CMainFrame : public wrendle::framework::CFrameWnd {
 public:
  CMainFrame();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  int OnCreate(CREATESTRUCTA* create) override;
  void OnDestroy() override;
  void OnTimer(UINT_PTR id) override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  void OnEndSession(bool ending);
  bool AddTrayIcon();
  void ShowMenu();
  void ChooseModeCommand(unsigned command);
  void Exit();
  void StartProgram(const char* file_name, int show);
  // Sends to the pen-input program's window without waiting on a hung one.
  static void SendToMainWindow(HWND main_window, UINT message, WPARAM wparam, LPARAM lparam);
  std::string LoadText(unsigned id) const;

  HICON icon_ = nullptr;
  std::string directory_;  // with a trailing backslash
  CompanionState state_;
  UINT taskbar_created_ = 0;
  bool tray_icon_added_ = false;
};

}  // namespace companion
