// CWrendleApp: the start-up and the end of the pen-input program. Start-up
// keeps one copy running, loads "WRENDLE.INI", chooses the user, starts the
// recognizer and creates the main frame (whose writing pad attaches the
// user's learning files); the end writes the settings back when start-up
// completed.
#pragma once

#include <memory>
#include <string>

#include "app/core/hook_library.h"
#include "app/core/hook_owner.h"
#include "app/core/recognition_driver.h"
#include "app/core/settings_file.h"
#include "app/core/user_map.h"
#include "app/core/zunmain_dispatcher.h"
#include "app/framework/win_app.h"
#include "app/program/frame_services.h"
#include "app/program/program_panes.h"
#include "app/program/select_user_dlg.h"
#include "app/program/wrendle_frame.h"
#include "app/win32/program_context.h"
#include "app/win32/tap_pass_through_win32.h"

namespace wrendle::app {

class CWrendleApp : public framework::CWinApp, public FrameServices {
 public:
  CWrendleApp();
  ~CWrendleApp() override;

  bool InitInstance() override;
  int ExitInstance() override;

  void LoadSettings();
  // 1 with a recognizer in force, else 0.
  int InitRecognizer();
  // Switches recognizer language and mode; non-zero when the new pair is in force.
  int ChangeRecognizer(int language, int mode) override;
  void SetRecognitionRange() override;
  void ApplyRecognizerSettings() override;
  void ApplyDisplayLanguage() override;
  // String `id`; language -1 is the display language.
  std::optional<std::string> LoadResString(unsigned id, int language = -1) const override;
  void SelectUser(bool interactive) override;
  std::string StartupUserName() override;

  Settings& settings() { return settings_; }
  const std::string& full_width_table() const { return full_width_table_; }
  HWND rich_edit() const { return rich_edit_; }
  CWrendleFrame* main_frame() const { return main_frame_.get(); }

 private:
  // Runs the Select User dialog; its result.
  INT_PTR RunSelectUser(int mode, HWND parent);
  // OK or cancel of the Select User dialog in start-up mode.
  bool SelectUserAtStartup();
  int ShowMessage(unsigned string_id, UINT type) const;
  // Tells the user that the user code map file is damaged and left alone.
  void ReportUserMapDamage() const;
  bool CreateMainWindow();
  void CreateTextWindows();

  SettingsFile settings_file_;
  Settings settings_;
  std::unique_ptr<UserDialogContext> user_context_;
  std::unique_ptr<CUserMap> user_map_;
  ZunmainDispatcher dispatcher_;
  std::unique_ptr<HookLibrary> hook_;
  std::unique_ptr<HookOwner> hook_owner_;
  Win32TapPassThrough taps_;
  std::unique_ptr<RecognitionDriver> driver_;
  std::unique_ptr<ProgramContext> context_;
  ProgramPanes panes_;
  std::unique_ptr<CWrendleFrame> main_frame_;
  std::string app_name_;
  std::string full_width_table_;
  HANDLE instance_mutex_ = nullptr;
  HMODULE rich_edit_library_ = nullptr;
  HWND rich_edit_ = nullptr;
  HWND edit_ = nullptr;
  HINSTANCE resource_module_ = nullptr;
  // Set as the last step of a successful start-up; only then is anything
  // written back at the end.
  bool startup_completed_ = false;
};

}  // namespace wrendle::app
