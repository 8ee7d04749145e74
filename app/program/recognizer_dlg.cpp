#include "app/program/recognizer_dlg.h"

#include <string>

#include "app/program/resource_text.h"

namespace wrendle::app {
namespace {

struct Choice {
  int button;
  int language;
  const char* kernel;
  bool deliverable;
};

constexpr Choice kChoices[] = {
    {1063, kLanguageSimplifiedChinese, "SZUN32.DLL", true},
    {1065, kLanguageTraditionalChinese, "BZUN32.DLL", true},
    {1066, kLanguageJapanese, "RUDI32.DLL", false},
    {1067, kLanguageKorean, "ZUVA32.DLL", false},
};

// Display-language buttons of the localised templates; 1058 stands for
// every language without a button of its own.
struct DisplayChoice {
  int button;
  int language;
  bool deliverable;
};

constexpr DisplayChoice kDisplayChoices[] = {
    {1058, kNoSystemLanguage, true},
    {1059, kLanguageSimplifiedChinese, true},
    {1060, kLanguageTraditionalChinese, true},
    {1061, kLanguageJapanese, false},
    {1062, kLanguageKorean, false},
};

int DisplayButtonOf(int language) {
  for (const DisplayChoice& choice : kDisplayChoices) {
    if (choice.language == language) return choice.button;
  }
  return kDisplayChoices[0].button;
}

// Found where a library load would look.
bool KernelInstalled(const char* file) {
  char path[MAX_PATH];
  return SearchPathA(nullptr, file, nullptr, MAX_PATH, path, nullptr) != 0;
}

}  // namespace

bool CRecognizerDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplate, settings_.display_language);
  for (const Choice& choice : kChoices) {
    const bool enabled = choice.deliverable && KernelInstalled(choice.kernel);
    ::EnableWindow(GetDlgItem(choice.button), enabled ? TRUE : FALSE);
    if (enabled && choice.language == settings_.recognizer_language) {
      ::CheckDlgButton(hwnd(), choice.button, BST_CHECKED);
    }
  }
  if (GetDlgItem(kDisplayChoices[0].button) != nullptr) {
    for (const DisplayChoice& choice : kDisplayChoices) {
      if (!choice.deliverable) ::EnableWindow(GetDlgItem(choice.button), FALSE);
    }
    ::CheckDlgButton(hwnd(), DisplayButtonOf(settings_.display_language), BST_CHECKED);
  }
  return true;
}

void CRecognizerDlg::OnOK() {
  for (const Choice& choice : kChoices) {
    if (::IsDlgButtonChecked(hwnd(), choice.button) == BST_CHECKED)
      settings_.recognizer_language = choice.language;
  }
  for (const DisplayChoice& choice : kDisplayChoices) {
    if (GetDlgItem(choice.button) != nullptr && ::IsDlgButtonChecked(hwnd(), choice.button) == BST_CHECKED)
      settings_.display_language = choice.language;
  }
  EndDialog(IDCANCEL);
}

void CRecognizerDlg::OnLButtonDown(UINT flags, POINT point) {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const bool alt_held = (::GetKeyState(VK_MENU) & 0x8000) != 0;
  if (credits_.Click(QuarterOf(point.x, point.y, client.right, client.bottom), alt_held)) {
    std::string text;
    for (const std::string& line : UnscrambleCredits()) text += line + "\n";
    ::MessageBoxA(hwnd(), text.c_str(), "Wrendle", MB_OK | MB_ICONINFORMATION);
    return;
  }
  CDialog::OnLButtonDown(flags, point);
}

}  // namespace wrendle::app
