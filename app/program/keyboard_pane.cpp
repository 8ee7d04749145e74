#include "app/program/keyboard_pane.h"

#include "app/core/char_codes.h"
#include "app/program/key_metrics.h"
#include "app/program/resource_text.h"

namespace wrendle::app {

namespace {

constexpr UINT kUnshiftedLabels = 50, kShiftedLabels = 51;
constexpr UINT kShiftText = 45, kTabText = 46, kCapsText = 47, kEnterText = 48, kExitText = 49;
constexpr UINT kBackspaceBitmap = 159, kBackspacePressedBitmap = 158;
constexpr DWORD kKeyStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kToggleStyle = WS_CHILD | WS_VISIBLE | BS_CHECKBOX;

// First key and start (in half key widths) of each row.
struct Row {
  int first;
  int start_halves;
};
constexpr Row kRows[] = {{0, 0}, {14, 3}, {26, 4}, {37, 5}};

RECT KeyRect(const KeyMetrics& key, int x_halves, int row, int width_halves) {
  const int left = key.margin + x_halves * key.width / 2;
  const int top = key.margin + row * key.height;
  return {left, top, left + width_halves * key.width / 2, top + key.height};
}

}  // namespace

CKeyboardPane::CKeyboardPane(PaneHost& host) : CPopupDlg(host, kPaneKeyboard) {}

bool CKeyboardPane::OnInitDialog() {
  const KeyMetrics key = KeyMetrics::Of(TextMetrics());
  for (int row = 0; row < 4; ++row) {
    const int end = row < 3 ? kRows[row + 1].first : kKeyboardKeys;
    for (int k = kRows[row].first; k < end; ++k) {
      const int x = kRows[row].start_halves + 2 * (k - kRows[row].first);
      keys_[static_cast<std::size_t>(k)].Create("", kKeyStyle, KeyRect(key, x, row, 2), hwnd(),
                                                kFirstKey + k);
    }
  }
  tab_.Create("", kKeyStyle, KeyRect(key, 0, 1, 3), hwnd(), kTab);
  caps_.Create("", kToggleStyle, KeyRect(key, 0, 2, 4), hwnd(), kCaps);
  shift_.Create("", kToggleStyle, KeyRect(key, 0, 3, 5), hwnd(), kShift);
  const RECT backspace = KeyRect(key, 28, 0, 2);
  backspace_.Create("", kKeyStyle, backspace, hwnd(), kBackspace);
  backspace_.SetBitmaps(kBackspaceBitmap, kBackspacePressedBitmap, 0);
  MoveWindow(backspace_.hwnd(), backspace.left, backspace.top, backspace.right - backspace.left,
             backspace.bottom - backspace.top, FALSE);
  enter_.Create("", kKeyStyle, KeyRect(key, 26, 2, 4), hwnd(), kEnter);
  space_.Create("", kKeyStyle, KeyRect(key, 6, 4, 16), hwnd(), kSpace);
  exit_.Create("", kKeyStyle, KeyRect(key, 24, 4, 6), hwnd(), kExit);
  UpdateLanguage();
  const int border_x = GetSystemMetrics(SM_CXBORDER), border_y = GetSystemMetrics(SM_CYBORDER);
  PlaceAtStoredPosition(15 * key.width + 2 * (border_x + key.margin),
                        5 * key.height + 2 * (border_y + key.margin), false);
  return false;
}

void CKeyboardPane::UpdateLanguage() {
  const int language = DisplayLanguage();
  const auto text = [language](UINT id) { return LoadResString(id, language).value_or(""); };
  SetWindowTextA(tab_.hwnd(), text(kTabText).c_str());
  SetWindowTextA(caps_.hwnd(), text(kCapsText).c_str());
  SetWindowTextA(shift_.hwnd(), text(kShiftText).c_str());
  SetWindowTextA(enter_.hwnd(), text(kEnterText).c_str());
  SetWindowTextA(exit_.hwnd(), text(kExitText).c_str());
  Relabel();
}

void CKeyboardPane::Relabel() {
  const int language = DisplayLanguage();
  const auto labels = KeyboardLabels(LoadResString(kUnshiftedLabels, language).value_or(""),
                                     LoadResString(kShiftedLabels, language).value_or(""), shift(), caps());
  for (std::size_t k = 0; k < labels.size(); ++k) SetWindowTextA(keys_[k].hwnd(), labels[k].c_str());
}

bool CKeyboardPane::OnCommand(UINT id, UINT notify_code, HWND control) {
  if (id >= kFirstKey && id < kFirstKey + kKeyboardKeys) {
    char text[3] = {};
    GetWindowTextA(control != nullptr ? control : GetDlgItem(static_cast<int>(id)), text, sizeof text);
    if (text[0] != '\0') host_.InsertText(text, 1);
    if (shift()) {
      shift_.SetTicked(false);
      Relabel();
    }
    return true;
  }
  switch (id) {
    case kTab:
      host_.PadSendKeyCode(kKeyTab, true);
      return true;
    case kBackspace:
      host_.PadSendKeyCode(kKeyBackspace, true);
      return true;
    case kEnter:
      host_.PadSendKeyCode(kKeyEnter, true);
      return true;
    case kSpace:
      host_.PadSendKeyCode(0x20, false);
      return true;
    case kCaps:
    case kShift:
      Relabel();
      return true;
    default:
      return CPopupDlg::OnCommand(id, notify_code, control);
  }
}

}  // namespace wrendle::app
