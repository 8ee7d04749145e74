#include "app/program/wrendle_app.h"

#include <commctrl.h>

#include "app/program/recognizer_dlg.h"
#include "app/program/resource_text.h"
#include "app/win32/jebhook_library.h"
#include "app/win32/tablet_context.h"
#include "app/zezividudu/zezividudu_api.h"
#include "dispatcher/zunmain_api.h"
#include "platform/system_info.h"

namespace wrendle::app {
namespace {

constexpr char kInstanceMutex[] = "Prevent Active Wrendle Instance";
constexpr char kMainWindowClass[] = "ZEZIRAREVI";
constexpr unsigned kStringTitle = 16;
constexpr unsigned kStringFullWidth = 52;
constexpr unsigned kStringNoKernel = 70;
constexpr unsigned kStringKernelLoadFails = 71;
constexpr int kIconMain = 31234;
constexpr int kCommonCharacters = 0x4000;
constexpr size_t kAppNameSize = 64;

void ActivateRunningInstance() {
  HWND window = FindWindowA(kMainWindowClass, nullptr);
  if (window != nullptr && IsIconic(window)) ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
}

}  // namespace

CWrendleApp::CWrendleApp()
    : CWinApp(kProfileName),
      settings_file_(profile_store(), kProfileName),
      hook_(MakeJebHookLibrary()),
      hook_owner_(MakeJebHookOwner()) {}

CWrendleApp::~CWrendleApp() {
  main_frame_.reset();
  if (instance_mutex_ != nullptr) CloseHandle(instance_mutex_);
}

std::optional<std::string> CWrendleApp::LoadResString(unsigned id, int language) const {
  return app::LoadResString(id, language == -1 ? settings_.display_language : language);
}

int CWrendleApp::ShowMessage(unsigned string_id, UINT type) const {
  const std::string text = LoadResString(string_id).value_or("");
  return ::MessageBoxA(main_frame_ ? main_frame_->hwnd() : nullptr, text.c_str(), app_name_.c_str(), type);
}

void CWrendleApp::ReportUserMapDamage() const {
  if (user_map_->damage().empty()) return;
  ::MessageBoxA(main_frame_ ? main_frame_->hwnd() : nullptr, user_map_->damage().c_str(), app_name_.c_str(),
                MB_OK | MB_ICONWARNING);
}

bool CWrendleApp::InitInstance() {
  instance_mutex_ = CreateMutexA(nullptr, TRUE, kInstanceMutex);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ActivateRunningInstance();
    return false;
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  LoadSettings();
  if (!SelectUserAtStartup()) return false;

  user_map_ = std::make_unique<CUserMap>(platform::WindowsDirectory(), settings_.recognizer_language);
  if (!user_map_->Load(settings_file_.CurrentUser())) ReportUserMapDamage();

  if (InitRecognizer() == 0) {
    ShowMessage(kStringNoKernel, MB_OK);
    return false;
  }

  resource_module_ = GetResourceHandle();
  set_resource_handle(resource_module_);
  ApplyDisplayLanguage();
  RestrictToLanguage(settings_);
  SetRecognitionRange();
  ZUNSetRecognizeGesture(settings_.use_gesture);

  if (!CreateMainWindow()) return false;
  CreateTextWindows();
  ZUNCutSetting(settings_.char_pitch);
  startup_completed_ = true;
  return true;
}

void CWrendleApp::LoadSettings() {
  settings_ =
      settings_file_.Load(SystemLanguageCode(GetSystemDefaultLangID()), platform::PrimaryScreenSize());
  resource_module_ = nullptr;
  app_name_ = LoadResString(kStringTitle).value_or("wrendle32");
  if (settings_.system_language == kNoSystemLanguage) {
    CRecognizerDlg dialog(settings_);
    dialog.DoModal();
  }
}

INT_PTR CWrendleApp::RunSelectUser(int mode, HWND parent) {
  user_context_ = std::make_unique<UserDialogContext>(UserDialogContext{
      profile_store(), settings_.recognizer_language, settings_.display_language, app_name_});
  const HWND foreground = GetForegroundWindow();
  CSelectUserDlg dialog(*user_context_, platform::WindowsDirectory(), mode, parent);
  const INT_PTR result = dialog.DoModal();
  // Ending unseen in start-up mode, the dialog still activates another
  // window of the program: the window that was in front stays there.
  if (mode == CSelectUserDlg::kStartup && foreground != nullptr && GetForegroundWindow() != foreground)
    SetForegroundWindow(foreground);
  return result;
}

void CWrendleApp::SelectUser(bool interactive) {
  if (!interactive) {
    RunSelectUser(CSelectUserDlg::kStartup, nullptr);
    return;
  }
  RunSelectUser(CSelectUserDlg::kInteractive,
                main_frame_ && main_frame_->pad() ? main_frame_->pad()->hwnd() : nullptr);
}

std::string CWrendleApp::StartupUserName() {
  // What the dialog would choose in start-up mode, without running it: even
  // unseen it activates another window of the program as it ends (a pane),
  // which then takes the keyboard focus from the program being written to.
  UserStore store(profile_store(), platform::WindowsDirectory(), settings_.recognizer_language);
  return store.StartupChoice();
}

bool CWrendleApp::SelectUserAtStartup() {
  // A missing template (-1) ends the start-up as a cancel does.
  return RunSelectUser(CSelectUserDlg::kStartup, nullptr) == IDOK;
}

int CWrendleApp::InitRecognizer() {
  if (ZUNInitRecognition(settings_.recognizer_language, settings_.cursive) == 0) {
    CRecognizerDlg dialog(settings_);
    dialog.DoModal();
    if (!HasKernel(settings_.recognizer_language)) return 0;
    if (ZUNInitRecognition(settings_.recognizer_language, settings_.cursive) == 0) return 0;
  }
  full_width_table_ = LoadResString(kStringFullWidth, settings_.recognizer_language).value_or("");
  return 1;
}

int CWrendleApp::ChangeRecognizer(int language, int mode) {
  if (ZUNInitRecognition(language, mode) == 0) {
    ShowMessage(kStringKernelLoadFails, MB_OK);
    ZUNInitRecognition(settings_.recognizer_language, settings_.cursive);
    return 0;
  }
  settings_.recognizer_language = language;
  settings_.cursive = mode;
  full_width_table_ = LoadResString(kStringFullWidth, language).value_or("");
  SetRecognitionRange();
  ApplyDisplayLanguage();
  if (main_frame_) main_frame_->RebuildLanguageData();
  SelectUserAtStartup();
  return settings_.recognizer_language == language ? 1 : 0;
}

void CWrendleApp::SetRecognitionRange() {
  ZUNSetRange(settings_.comm_char > 0 ? settings_.range | kCommonCharacters : settings_.range);
}

void CWrendleApp::ApplyRecognizerSettings() {
  // Through SetRecognitionRange, so that the common-characters bit stays.
  SetRecognitionRange();
  ZUNSetRecognizeGesture(settings_.use_gesture);
}

void CWrendleApp::ApplyDisplayLanguage() {
  if (resource_module_ == nullptr) return;
  if (HasKernel(settings_.display_language)) settings_.display_language = settings_.recognizer_language;
  char name[kAppNameSize];
  if (LoadStringEx(static_cast<unsigned short>(settings_.display_language), kStringTitle, name,
                   kAppNameSize - 1) > 0) {
    app_name_ = name;
  }
  if (main_frame_) main_frame_->ApplyLanguage();
}

bool CWrendleApp::CreateMainWindow() {
  driver_ = std::make_unique<RecognitionDriver>(dispatcher_, *user_map_, settings_, &taps_);
  context_ = std::make_unique<ProgramContext>(
      ProgramContext{settings_, *user_map_, dispatcher_, *hook_, *driver_, nullptr});
  main_frame_ = std::make_unique<CWrendleFrame>(*context_, *hook_owner_, *this, panes_);
  HICON icon = LoadIconA(GetResourceHandle(), MAKEINTRESOURCEA(kIconMain));
  if (!main_frame_->Create(icon)) {
    set_main_window(nullptr);
    main_frame_.reset();
    return false;
  }
  set_main_window(main_frame_.get());
  return true;
}

void CWrendleApp::CreateTextWindows() {
  rich_edit_library_ = LoadLibraryA("Riched20.dll");
  if (rich_edit_library_ == nullptr) return;
  rich_edit_ = CreateWindowExA(0, "RichEdit20W", "", WS_CHILD, 0, 0, 0, 0, main_frame_->hwnd(), nullptr,
                               Instance(), nullptr);
  context_->rich_edit = rich_edit_;
  edit_ =
      CreateWindowExA(0, "Edit", "", WS_CHILD, 0, 0, 0, 0, main_frame_->hwnd(), nullptr, Instance(), nullptr);
}

int CWrendleApp::ExitInstance() {
  if (startup_completed_) {
    if (rich_edit_library_ != nullptr) FreeLibrary(rich_edit_library_);
    rich_edit_library_ = nullptr;
    settings_file_.Save(settings_);
    resource_module_ = nullptr;
    if (user_map_ && !user_map_->Save()) ReportUserMapDamage();
  }
  user_map_.reset();
  // The ink box's tablet contexts closed with their windows.
  UnloadTabletLibrary();
  return CWinApp::ExitInstance();
}

}  // namespace wrendle::app
