#include "app/framework/win_app.h"

#include <algorithm>

namespace wrendle::framework {
namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp(std::string profile_name)
    : profile_name_(std::move(profile_name)), profile_(platform::MakeSystemProfileStore()) {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::Current() { return g_app; }

HINSTANCE CWinApp::Instance() { return GetModuleHandleA(nullptr); }

void CWinApp::AddModelessDialog(HWND dialog) { modeless_dialogs_.push_back(dialog); }

void CWinApp::RemoveModelessDialog(HWND dialog) {
  modeless_dialogs_.erase(std::remove(modeless_dialogs_.begin(), modeless_dialogs_.end(), dialog),
                          modeless_dialogs_.end());
}

int CWinApp::Run() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      exit_code_ = static_cast<int>(message.wParam);
      return exit_code_;
    }
    if (got == -1) return exit_code_;
    const bool for_dialog = std::any_of(modeless_dialogs_.begin(), modeless_dialogs_.end(),
                                        [&](HWND dialog) { return IsDialogMessageA(dialog, &message) != FALSE; });
    if (for_dialog) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int CWinApp::GetProfileInt(const std::string& section, const std::string& key, int default_value) const {
  return profile_->GetInt(profile_name_, section, key, default_value);
}

bool CWinApp::WriteProfileInt(const std::string& section, const std::string& key, int value) {
  return profile_->WriteString(profile_name_, section, key, std::to_string(value));
}

std::string CWinApp::GetProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value) const {
  return profile_->GetString(profile_name_, section, key).value_or(default_value);
}

bool CWinApp::WriteProfileString(const std::string& section, const std::string& key, const std::string& value) {
  return profile_->WriteString(profile_name_, section, key, value);
}

int RunApplication(CWinApp& app) {
  // No exception leaves the program's entry point.
  try {
    if (app.InitInstance()) app.Run();
    return app.ExitInstance();
  } catch (...) {
    return 1;
  }
}

}  // namespace wrendle::framework
