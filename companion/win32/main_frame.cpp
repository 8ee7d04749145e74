#include "companion/win32/main_frame.h"

#include <shellapi.h>

#include <vector>

#include "app/framework/win_app.h"
#include "companion/win32/companion_resources.h"

namespace companion {
namespace {

// While the taskbar does not exist yet (a start at logon), adding the icon
// fails; it is tried again on this timer until it succeeds.
constexpr UINT_PTR kTrayRetryTimer = 1;
constexpr UINT kTrayRetryMilliseconds = 2000;
// How long a message to the pen-input program may take before it counts as
// hung.
constexpr UINT kSendTimeoutMilliseconds = 5000;

struct MenuBitmap {
  unsigned command;
  int bitmap;
};
constexpr MenuBitmap kMenuBitmaps[] = {{kWritePadMode, IDB_WRITE_PAD},
                                       {kFullScreenMode, IDB_FULL_SCREEN},
                                       {kInkpost, IDB_INKPOST},
                                       {kReading, IDB_READING},
                                       {kExit, IDB_EXIT}};

HWND FindMainWindow() { return FindWindowA(kMainWindowClass, nullptr); }

// The folder of this program with a trailing backslash; empty when the path
// does not fit (a cut path would start programs elsewhere).
std::string ProgramDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      std::string text(path.data(), length);
      return text.substr(0, text.find_last_of('\\') + 1);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace

CMainFrame::CMainFrame()
    : icon_(LoadIconA(wrendle::framework::CWinApp::Instance(), MAKEINTRESOURCEA(IDI_COMPANION))) {}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ENDSESSION) {
    OnEndSession(wparam != FALSE);
    return 0;
  }
  return CFrameWnd::WindowProc(message, wparam, lparam);
}

int CMainFrame::OnCreate(CREATESTRUCTA* create) {
  if (CFrameWnd::OnCreate(create) == -1) return -1;
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  directory_ = ProgramDirectory();
  state_.reader_present =
      !directory_.empty() &&
      GetFileAttributesA((directory_ + "Rirudarave.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!AddTrayIcon()) SetTimer(hwnd(), kTrayRetryTimer, kTrayRetryMilliseconds, nullptr);
  return 0;
}

void CMainFrame::OnDestroy() {
  if (HWND main_window = FindMainWindow()) SendToMainWindow(main_window, WM_CLOSE, 1, 0);
  KillTimer(hwnd(), kTrayRetryTimer);
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd();
  data.uID = kTrayIconId;
  Shell_NotifyIconA(NIM_DELETE, &data);
  CFrameWnd::OnDestroy();
}

void CMainFrame::OnTimer(UINT_PTR id) {
  if (id == kTrayRetryTimer && AddTrayIcon()) KillTimer(hwnd(), kTrayRetryTimer);
}

bool CMainFrame::AddTrayIcon() {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAYNOTIFY;
  data.hIcon = icon_;
  const std::string tip = LoadText(IDS_TIP);
  lstrcpynA(data.szTip, tip.c_str(), sizeof data.szTip);
  tray_icon_added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  return tray_icon_added_;
}

bool CMainFrame::OnCommand(UINT id, UINT, HWND) {
  switch (id) {
    case kWritePadMode:
    case kFullScreenMode:
      ChooseModeCommand(id);
      return true;
    case kInkpost:
      StartProgram("Inkpost.exe", SW_SHOWDEFAULT);
      return true;
    case kMarkwell:
      StartProgram("Markwell.exe", SW_SHOWDEFAULT);
      return true;
    case kReading:
      StartProgram("Rirudarave.exe", SW_SHOWDEFAULT);
      return true;
    case kExit:
      Exit();
      return true;
    default:
      return false;
  }
}

bool CMainFrame::OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  *result = 0;
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    // A new taskbar (after explorer restarted) has no icons: add ours again.
    if (!AddTrayIcon()) SetTimer(hwnd(), kTrayRetryTimer, kTrayRetryMilliseconds, nullptr);
    return true;
  }
  switch (message) {
    case WM_TRAYNOTIFY:
      if (lparam == WM_LBUTTONDOWN || lparam == WM_LBUTTONDBLCLK) {
        SetActiveWindow(hwnd());
        ShowMenu();
      }
      return true;
    case WM_PADMINIMIZED:
      state_.pad_state = 0;
      return true;
    case WM_PADRESTORED:
      state_.pad_state = 1;
      return true;
    case WM_RESENDPADMODE:
      ChooseModeCommand(ResentModeCommand(state_));
      return true;
    default:
      static_cast<void>(wparam);
      return false;
  }
}

void CMainFrame::OnEndSession(bool ending) {
  // wParam FALSE: the logoff was cancelled and the session goes on.
  if (!ending) return;
  if (HWND main_window = FindMainWindow()) SendToMainWindow(main_window, WM_CLOSE, 1, 0);
  PostMessage(WM_CLOSE);
}

void CMainFrame::ShowMenu() {
  NoteMainWindow(state_, FindMainWindow() != nullptr);
  HMENU menu = CreatePopupMenu();
  std::vector<HBITMAP> bitmaps;
  for (const MenuEntry& entry : CompanionMenu(state_)) {
    const std::string text = FitMenuText(LoadText(entry.id), kMenuTextBuffer, [](char c) {
      return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
    });
    UINT flags = MF_STRING;
    if (entry.checked) flags |= MF_CHECKED;
    if (entry.greyed) flags |= MF_GRAYED;
    AppendMenuA(menu, flags, entry.id, text.c_str());
    for (const MenuBitmap& item : kMenuBitmaps) {
      if (item.command != entry.id) continue;
      HBITMAP bitmap = LoadBitmapA(wrendle::framework::CWinApp::Instance(), MAKEINTRESOURCEA(item.bitmap));
      bitmaps.push_back(bitmap);
      SetMenuItemBitmaps(menu, entry.id, MF_BYCOMMAND, bitmap, bitmap);
    }
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd());
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, hwnd(), nullptr);
  // The menu goes away properly only when the window gets a message after it.
  PostMessage(WM_NULL);
  DestroyMenu(menu);
  for (HBITMAP bitmap : bitmaps) DeleteObject(bitmap);
}

void CMainFrame::ChooseModeCommand(unsigned command) {
  HWND main_window = FindMainWindow();
  const ModeAction action = ChooseMode(state_, command, main_window != nullptr);
  switch (action.kind) {
    case ModeAction::kShowPad:
      SendToMainWindow(main_window, WM_SHOWPAD, 1, action.layout);
      break;
    case ModeAction::kStartProgram:
      StartProgram("Wrendle32.exe", SW_SHOWNORMAL);
      break;
    case ModeAction::kNothing:
      break;
  }
}

void CMainFrame::Exit() {
  HWND main_window = FindMainWindow();
  const std::string question = LoadText(main_window != nullptr ? IDS_EXIT_WITH_PROGRAM : IDS_EXIT_ALONE);
  if (MessageBoxA(hwnd(), question.c_str(), kCompanionClass, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
    return;
  // The window may have gone while the question was open.
  if (main_window != nullptr && IsWindow(main_window)) SendToMainWindow(main_window, WM_CLOSE, 1, 0);
  PostMessage(WM_CLOSE);
}

void CMainFrame::StartProgram(const char* file_name, int show) {
  // Always by full path in this program's folder: a bare name would be
  // looked for in the current folder and along the search path.
  if (directory_.empty()) return;
  const std::string path = directory_ + file_name;
  ShellExecuteA(hwnd(), "open", path.c_str(), nullptr, directory_.c_str(), show);
}

void CMainFrame::SendToMainWindow(HWND main_window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(main_window, message, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                      kSendTimeoutMilliseconds, &ignored);
}

std::string CMainFrame::LoadText(unsigned id) const {
  char text[512] = {};
  const int length = LoadStringA(wrendle::framework::CWinApp::Instance(), id, text, sizeof text);
  return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

}  // namespace companion
