#include "app/program/predefined_string_pane.h"

#include <vector>

#include "app/program/key_metrics.h"
#include "app/program/resource_text.h"
#include "app/win32/draw_routines.h"

namespace wrendle::app {

namespace {

constexpr UINT kExitText = 504, kEditText = 503;
constexpr UINT kFirstNormalBitmap = 221, kFirstPressedBitmap = 231;
constexpr UINT kExitBitmap = 260, kExitPressedBitmap = 261;
constexpr UINT kEditBitmap = 263, kEditPressedBitmap = 262;
constexpr int kEventRequest = 1024, kCaptureOff = 22, kCaptureOn = 23;
constexpr DWORD kKeyStyle = WS_CHILD | WS_VISIBLE;

std::string WindowText(HWND window) {
  std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

}  // namespace

CPredefinedStringDlg::CPredefinedStringDlg(const PredefinedStrings::Texts& texts, int current,
                                           int display_language, HWND parent)
    : CDialog(kTemplateId, parent), texts_(texts), current_(current), display_language_(display_language) {}

bool CPredefinedStringDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplateId, display_language_);
  for (int k = 1; k <= kPredefinedStringCount; ++k)
    SendDlgItemMessageA(hwnd(), kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(k).c_str()));
  // Typed texts stay within what the file keeps; a longer stored text is
  // shown whole and kept unless edited.
  SendDlgItemMessageA(hwnd(), kEdit, EM_LIMITTEXT, kMaxPredefinedText, 0);
  ShowCurrent();
  SendDlgItemMessageA(hwnd(), kCombo, CB_SETCURSEL, static_cast<WPARAM>(current_), 0);
  return true;
}

void CPredefinedStringDlg::StoreEdit() {
  if (current_ >= 0 && current_ < kPredefinedStringCount)
    texts_[static_cast<std::size_t>(current_)] = WindowText(GetDlgItem(kEdit));
}

void CPredefinedStringDlg::ShowCurrent() {
  if (current_ >= 0 && current_ < kPredefinedStringCount)
    SetDlgItemTextA(hwnd(), kEdit, texts_[static_cast<std::size_t>(current_)].c_str());
}

bool CPredefinedStringDlg::OnCommand(UINT id, UINT notify_code, HWND control) {
  if (id == kCombo && notify_code == CBN_SELCHANGE) {
    StoreEdit();
    current_ = static_cast<int>(SendDlgItemMessageA(hwnd(), kCombo, CB_GETCURSEL, 0, 0));
    ShowCurrent();
    return true;
  }
  if (id == kPaste) {
    SendDlgItemMessageA(hwnd(), kEdit, WM_PASTE, 0, 0);
    return true;
  }
  return CDialog::OnCommand(id, notify_code, control);
}

void CPredefinedStringDlg::OnOK() {
  StoreEdit();
  EndDialog(IDOK);
}

CPredefinedStringPane::CPredefinedStringPane(PaneHost& host)
    : CPopupDlg(host, kPaneStrings), store_(platform::MakeSystemProfileStore()) {
  strings_ = std::make_unique<PredefinedStrings>(
      *store_, PredefinedStringsSection(host.StartupUserName(), host.settings().system_language));
  strings_->Load();
}

bool CPredefinedStringPane::OnInitDialog() {
  const KeyMetrics key = KeyMetrics::Of(TextMetrics());
  const auto place = [&key](CJebBitmapButton& button, int column, int row) {
    const int left = key.margin + column * key.width;
    const int top = key.margin + row * key.height;
    MoveWindow(button.hwnd(), left, top, key.width, key.height, FALSE);
  };
  const RECT none{0, 0, key.width, key.height};
  for (int k = 0; k < kPredefinedStringCount; ++k) {
    CJebBitmapButton& button = buttons_[static_cast<std::size_t>(k)];
    button.Create("", kKeyStyle, none, hwnd(), kFirstText + static_cast<UINT>(k));
    button.SetBitmaps(kFirstNormalBitmap + static_cast<UINT>(k), kFirstPressedBitmap + static_cast<UINT>(k),
                      0);
    place(button, k % 5, k / 5);
  }
  exit_.Create("", kKeyStyle, none, hwnd(), IDOK);
  exit_.SetBitmaps(kExitBitmap, kExitPressedBitmap, 0);
  place(exit_, 5, 0);
  edit_.Create("", kKeyStyle, none, hwnd(), kEdit);
  edit_.SetBitmaps(kEditBitmap, kEditPressedBitmap, 0);
  place(edit_, 5, 1);
  UpdateLanguage();
  ShowTexts();
  const int border_x = GetSystemMetrics(SM_CXBORDER), border_y = GetSystemMetrics(SM_CYBORDER);
  PlaceAtStoredPosition(3 * (key.margin + 2 * key.width) + 2 * border_x,
                        2 * (border_y + key.height + key.margin), false);
  return false;
}

void CPredefinedStringPane::UpdateLanguage() {
  SetWindowTextA(exit_.hwnd(), LoadResString(kExitText, DisplayLanguage()).value_or("Exit").c_str());
  SetWindowTextA(edit_.hwnd(), LoadResString(kEditText, DisplayLanguage()).value_or("Edit").c_str());
}

void CPredefinedStringPane::ShowTexts() {
  for (std::size_t k = 0; k < buttons_.size(); ++k)
    SetWindowTextA(buttons_[k].hwnd(), strings_->texts()[k].c_str());
}

bool CPredefinedStringPane::Edit(int index) {
  host_.RaiseEvent(kEventRequest, kCaptureOff, 0);
  CPredefinedStringDlg editor(strings_->texts(), index, DisplayLanguage());
  RememberForeground();
  const bool ok = editor.DoModal() == IDOK;
  RestoreForeground();
  host_.RaiseEvent(kEventRequest, kCaptureOn, 0);
  if (!ok) return false;
  strings_->SetTexts(editor.texts());
  ShowTexts();
  return true;
}

bool CPredefinedStringPane::OnCommand(UINT id, UINT notify_code, HWND control) {
  if (id >= kFirstText && id < kFirstText + kPredefinedStringCount) {
    const std::string& text = strings_->texts()[id - kFirstText];
    if (!text.empty())
      host_.InsertText(text.c_str(), static_cast<int>(text.size()));
    else
      Edit(static_cast<int>(id - kFirstText));
    host_.LayoutPadForEmptyStrip();
    return true;
  }
  if (id == kEdit) {
    Edit(0);
    return true;
  }
  return CPopupDlg::OnCommand(id, notify_code, control);
}

void CPredefinedStringPane::OnDestroy() {
  if (strings_->changed()) strings_->Save();
  CPopupDlg::OnDestroy();
}

}  // namespace wrendle::app
