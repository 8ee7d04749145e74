// CWinApp: the application object of the program's own framework. The
// program derives its application from it and runs it with RunApplication:
// InitInstance, the message loop, ExitInstance.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/profile_store.h"

namespace wrendle::framework {

class CWnd;

class CWinApp {
 public:
  // `profile_name`: the profile file of GetProfileInt and its kin; a bare
  // file name lies in the Windows directory.
  explicit CWinApp(std::string profile_name = "");
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The one application object of the process, null outside its lifetime.
  static CWinApp* Current();
  // The program's module.
  static HINSTANCE Instance();

  // False ends the program before the message loop.
  virtual bool InitInstance() { return true; }
  // The message loop; returns the exit code of WM_QUIT.
  virtual int Run();
  // Returns the program's exit code.
  virtual int ExitInstance() { return exit_code_; }

  // Where dialogs, menus and strings come from; the program's module until set.
  HINSTANCE resource_handle() const { return resource_handle_ != nullptr ? resource_handle_ : Instance(); }
  void set_resource_handle(HINSTANCE module) { resource_handle_ = module; }

  // Its destruction ends the message loop.
  CWnd* main_window() const { return main_window_; }
  void set_main_window(CWnd* window) { main_window_ = window; }

  // Modeless dialogs take their keyboard messages in the loop.
  void AddModelessDialog(HWND dialog);
  void RemoveModelessDialog(HWND dialog);

  const std::string& profile_name() const { return profile_name_; }
  platform::ProfileStore& profile_store() const { return *profile_; }
  int GetProfileInt(const std::string& section, const std::string& key, int default_value) const;
  bool WriteProfileInt(const std::string& section, const std::string& key, int value);
  std::string GetProfileString(const std::string& section, const std::string& key,
                               const std::string& default_value) const;
  bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value);

 protected:
  int exit_code_ = 0;

 private:
  std::string profile_name_;
  std::unique_ptr<platform::ProfileStore> profile_;
  HINSTANCE resource_handle_ = nullptr;
  CWnd* main_window_ = nullptr;
  std::vector<HWND> modeless_dialogs_;
};

// InitInstance, then the message loop when it succeeded, then ExitInstance;
// returns ExitInstance's result.
int RunApplication(CWinApp& app);

}  // namespace wrendle::framework
