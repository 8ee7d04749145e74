#include "app/program/program_panes.h"

#include "app/core/settings.h"
#include "app/program/keyboard_pane.h"
#include "app/program/predefined_string_pane.h"
#include "app/program/symbol_pane.h"
#include "app/program/tab_pane.h"

namespace wrendle::app {
namespace {

CPopupDlg* NewPane(int index, PaneHost& host) {
  switch (index) {
    case kPanePhrases:
      return new CAssocPhrasePane(host);
    case kPaneKeyboard:
      return new CKeyboardPane(host);
    case kPaneSymbols:
      return new CSymbolPane(host);
    case kPaneHomophones:
      return new CHomophonePane(host);
    case kPaneStrings:
      return new CPredefinedStringPane(host);
    default:
      return nullptr;
  }
}

}  // namespace

PopupPane::PopupPane(CPopupDlg& dialog) : dialog_(&dialog), window_(dialog.hwnd()) {}

PopupPane::~PopupPane() {
  if (CPopupDlg* dialog = Live()) dialog->DestroyWindow();
}

CPopupDlg* PopupPane::Live() const {
  return IsWindow(window_) && framework::CWnd::FromHandle(window_) == dialog_ ? dialog_ : nullptr;
}

void PopupPane::Refresh(std::uint16_t key) {
  if (auto* tabs = dynamic_cast<CTabPane*>(Live())) tabs->Refresh(key);
}

void PopupPane::UpdateLanguage() {
  if (CPopupDlg* dialog = Live()) dialog->UpdateLanguage();
}

void PopupPane::Reload() {
  if (CPopupDlg* dialog = Live()) dialog->Reload();
}

bool ProgramPanes::Provides(int index) const { return index >= 0 && index < kPaneCount; }

std::unique_ptr<FramePane> ProgramPanes::Create(int index, PaneHost& host) {
  CPopupDlg* dialog = NewPane(index, host);
  if (dialog == nullptr) return nullptr;
  // A window that was made and then failed its creation has deleted its
  // object already; one that was never made has not.
  bool deleted = false;
  dialog->set_deletion_flag(&deleted);
  const bool created = dialog->Create();
  if (deleted) return nullptr;
  dialog->set_deletion_flag(nullptr);
  if (!created) {
    delete dialog;
    return nullptr;
  }
  return std::make_unique<PopupPane>(*dialog);
}

}  // namespace wrendle::app
