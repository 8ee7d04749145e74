#include "app/program/recognizer_dlg.h"

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
  return true;
}

void CRecognizerDlg::OnOK() {
  for (const Choice& choice : kChoices) {
    if (::IsDlgButtonChecked(hwnd(), choice.button) == BST_CHECKED)
      settings_.recognizer_language = choice.language;
  }
  EndDialog(IDCANCEL);
}

}  // namespace wrendle::app
