// What the tests of the real program share: wrendle32.exe and the target
// program as processes of their own in the test's folder, "WRENDLE.INI" in
// the Windows folder, input through SendInput, the pad's popup menu chosen
// from with the keyboard, and the stand-ins of the outside programs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/core/popup_menu_model.h"
#include "app/core/settings_file.h"
#include "app/tests/wine/outside_program.h"
#include "app/tests/wine/target_protocol.h"
#include "platform/profile_store.h"
#include "platform/system_info.h"
#include "tests/support/child_process.h"
#include "tests/support/executable_directory.h"
#include "tests/support/mouse_driver.h"
#include "tests/support/window_search.h"

namespace program_testing {

using std::chrono::milliseconds;
using testing_support::ChildProcess;

inline std::filesystem::path Folder() { return testing_support::ExecutableDirectory(); }
inline std::string IniPath() {
  return ::platform::JoinPath(::platform::WindowsDirectory(), wrendle::app::kProfileName);
}
inline void WriteIni(const std::string& text) {
  std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << text;
}
inline std::string IniValue(const char* section, const char* key) {
  char value[256] = {};
  GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, IniPath().c_str());
  return value;
}

// The kernel's learned files of the users, in the Windows folder: a test
// that corrects a candidate teaches the kernel, and the next would see it.
inline void RemoveLearnedFiles() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(::platform::WindowsDirectory(), ignored)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".dbs") std::filesystem::remove(entry.path(), ignored);
  }
}

template <typename Predicate>
bool WaitFor(Predicate done, milliseconds timeout = milliseconds(10000)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return done();
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

inline bool HasClass(HWND window, const char* name) {
  char text[64] = {};
  GetClassNameA(window, text, sizeof text);
  return lstrcmpA(text, name) == 0;
}

inline POINT Centre(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A click of the system mouse at a screen point.
inline void ClickAt(POINT at) {
  testing_support::MouseDriver mouse;
  mouse.MoveTo(at.x, at.y);
  std::this_thread::sleep_for(milliseconds(80));
  mouse.Press();
  std::this_thread::sleep_for(milliseconds(80));
  mouse.Release();
  std::this_thread::sleep_for(milliseconds(150));
}
inline void Click(HWND window) { ClickAt(Centre(window)); }

// A key pressed and released on the system keyboard.
inline void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  std::this_thread::sleep_for(milliseconds(120));
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The program that the text goes to: an Edit, a rich edit and a button, and
// a log of what they received.
class Target {
 public:
  Target() : process_(Folder() / target_protocol::kProgram, Folder()) {
    window_ = process_.WaitForWindow([](HWND w) {
      wchar_t name[64] = L"";
      GetClassNameW(w, name, 64);
      return lstrcmpW(name, target_protocol::kClassName) == 0;
    });
  }
  ~Target() {
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    process_.WaitForExit(milliseconds(5000));
  }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  HWND window() const { return window_; }
  DWORD process_id() const { return process_.id(); }
  HWND edit() const { return GetDlgItem(window_, target_protocol::kEditId); }
  // Places the window and gives its Edit the foreground and the focus.
  bool PlaceAndFocus(const RECT& place) const {
    if (window_ == nullptr) return false;
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER);
    return Focus();
  }
  bool Focus() const {
    return SendMessageW(window_, target_protocol::kFocusMessage, target_protocol::kEditId, 0) != 0;
  }
  void Reset() const { SendMessageW(window_, target_protocol::kResetMessage, 0, 0); }
  std::wstring EditText() const {
    wchar_t buffer[512] = L"";
    SendMessageW(edit(), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  std::wstring Log() const {
    wchar_t buffer[4096] = L"";
    SendMessageW(GetDlgItem(window_, target_protocol::kLogId), WM_GETTEXT, 4096,
                 reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  // Waits until the Edit holds `text`.
  bool WaitForText(const std::wstring& text, milliseconds timeout = milliseconds(10000)) const {
    return WaitFor([&] { return EditText() == text; }, timeout);
  }

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
};

// For the message of a text that did not arrive: the program types into the
// focus window, and a window of another process that took the foreground
// (a suite running beside this one) takes the text. Empty when the
// foreground belongs to one of `own`.
inline std::string ForeignForeground(std::initializer_list<DWORD> own) {
  const HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return " (no window has the foreground)";
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  if (std::find(own.begin(), own.end(), process) != own.end()) return "";
  char name[64] = "";
  GetClassNameA(foreground, name, sizeof name);
  return std::string(" (the foreground is a \"") + name + "\" window of another process)";
}

// wrendle32.exe in the test's folder, with its main frame and writing pad.
class Wrendle {
 public:
  static constexpr int kStripId = 1006;
  static constexpr int kMenuButtonId = 1030;
  static constexpr int kPenMouseButtonId = 1074;
  static constexpr int kSendButtonId = 1003;

  // Started once the frame (write-pad layout) or the pad (full-screen) shows.
  Wrendle() : process_(Folder() / "wrendle32.exe", Folder()) {
    frame_ = process_.WaitForWindow([](HWND w) { return HasClass(w, "ZEZIRAREVI"); });
    pad_ = process_.WaitForWindow([](HWND w) { return GetDlgItem(w, kStripId) != nullptr; });
    if (!started() || !WaitFor([&] { return IsWindowVisible(frame_) || IsWindowVisible(pad_); })) {
      frame_ = pad_ = nullptr;
      return;
    }
    // The rest of the start-up: the panes, the companion's answer.
    std::this_thread::sleep_for(milliseconds(500));
  }
  Wrendle(const Wrendle&) = delete;
  Wrendle& operator=(const Wrendle&) = delete;

  bool started() const { return frame_ != nullptr && pad_ != nullptr; }
  const ChildProcess& process() const { return process_; }
  HWND frame() const { return frame_; }
  HWND pad() const { return pad_; }
  HWND PadButton(int id) const { return GetDlgItem(pad_, id); }

  // A visible window of the program for which `match` holds.
  HWND WaitForWindow(const std::function<bool(HWND)>& match, milliseconds wait = milliseconds(10000)) const {
    return process_.WaitForWindow([&](HWND w) { return IsWindowVisible(w) && match(w); }, wait);
  }
  // A visible dialog of the program holding control `id`.
  HWND WaitForDialog(int id, milliseconds wait = milliseconds(10000)) const {
    return WaitForWindow([id](HWND w) { return HasClass(w, "#32770") && GetDlgItem(w, id) != nullptr; },
                         wait);
  }
  HWND OpenMenuWindow(milliseconds wait = milliseconds(5000)) const {
    return WaitForWindow([](HWND w) { return HasClass(w, "#32768"); }, wait);
  }

  // A command of the pad as its menu or a button would give it.
  void PadCommand(UINT id) const { PostMessageA(pad_, WM_COMMAND, id, 0); }

  // Opens the popup menu with the pad's menu button; the menu window.
  HWND OpenPadMenu() const {
    Click(PadButton(kMenuButtonId));
    return OpenMenuWindow();
  }

  // Chooses `command` from the popup menu of the pad, which shows the items
  // of `state`: Down to the item, then Enter. False when the menu did not
  // open or has no such item.
  bool ChooseFromMenu(const wrendle::app::PopupMenuState& state, unsigned command) const {
    const auto items = wrendle::app::PopupMenuItems(state);
    int position = 0;
    bool found = false;
    for (const auto& item : items) {
      if (item.separator) continue;
      if (item.command == command) {
        found = true;
        break;
      }
      ++position;
    }
    if (!found || OpenPadMenu() == nullptr) return false;
    for (int i = 0; i <= position; ++i) PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    const bool closed =
        WaitFor([&] { return OpenMenuWindow(milliseconds(0)) == nullptr; }, milliseconds(3000));
    // What lay under the menu is drawn again.
    std::this_thread::sleep_for(milliseconds(300));
    return closed;
  }

  // Closes the main frame; the exit code.
  int Close() const {
    PostMessageA(frame_, WM_CLOSE, 0, 0);
    return process_.WaitForExit();
  }

 private:
  ChildProcess process_;
  HWND frame_ = nullptr;
  HWND pad_ = nullptr;
};

// The menu of a program running with the settings of a test.
inline wrendle::app::PopupMenuState MenuOf(int layout, int mode, int language) {
  wrendle::app::PopupMenuState state;
  state.layout = layout;
  state.mode = mode;
  state.system_language = language;
  state.recognizer_language = language;
  state.display_language = language;
  state.resource_library = true;
  return state;
}

// A stand-in for an outside program beside wrendle32.exe under `name`,
// removed again with its log when the object goes.
class OutsideProgram {
 public:
  explicit OutsideProgram(std::string name) : name_(std::move(name)) {
    Remove();
    std::filesystem::copy_file(Folder() / outside_program::kProgram, Folder() / name_);
  }
  ~OutsideProgram() {
    Close();
    WaitFor([&] { return Window() == nullptr; }, milliseconds(3000));
    std::this_thread::sleep_for(milliseconds(200));
    Remove();
  }
  OutsideProgram(const OutsideProgram&) = delete;
  OutsideProgram& operator=(const OutsideProgram&) = delete;

  HWND Window() const { return FindWindowA(outside_program::kWindowClass, name_.c_str()); }
  bool WaitUntilRunning() const {
    return WaitFor([&] { return Window() != nullptr; });
  }
  void Close() const {
    if (HWND window = Window()) PostMessageA(window, WM_CLOSE, 0, 0);
  }
  // The command lines it was started with, one a line.
  std::string Log() const { return ReadFile(Folder() / (name_ + ".log")); }

 private:
  void Remove() const {
    std::error_code ignored;
    std::filesystem::remove(Folder() / name_, ignored);
    std::filesystem::remove(Folder() / (name_ + ".log"), ignored);
  }

  std::string name_;
};

}  // namespace program_testing
