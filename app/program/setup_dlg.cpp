#include "app/program/setup_dlg.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "app/core/logon_start.h"
#include "app/core/setup_form.h"
#include "app/program/resource_text.h"

namespace wrendle::app {
namespace {

constexpr int kWidthCombo = 1037;
constexpr int kColourButton = 1038;
constexpr int kDelayBar = 1039;
constexpr int kSensitiveBar = 1040;
constexpr int kCharPitchBar = 1041;
constexpr int kDbcsBox = 1044;
constexpr int kSpacingBox = 1093;
constexpr int kImeBox = 1110;
constexpr int kWaitBox = 1119;
constexpr int kGestureBox = 1120;
constexpr int kUnicodeBox = 1129;
constexpr int kLogonBox = 1132;
constexpr int kPressureOn = 1134;
constexpr int kPressureOff = 1135;

const ScrollSetting* BarOf(int control) {
  switch (control) {
    case kDelayBar:
      return &kDelayScroll;
    case kSensitiveBar:
      return &kSensitiveScroll;
    case kCharPitchBar:
      return &kCharPitchScroll;
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<std::string> RunningProgramFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      const std::string text(path.data(), length);
      return text.substr(0, text.find_last_of('\\') + 1);
    }
    if (path.size() >= 32768) return std::nullopt;
    path.resize(path.size() * 2);
  }
}

bool CSetupDlg::Ticked(int control) const { return ::IsDlgButtonChecked(hwnd(), control) == BST_CHECKED; }
void CSetupDlg::Tick(int control, bool ticked) {
  ::CheckDlgButton(hwnd(), control, ticked ? BST_CHECKED : BST_UNCHECKED);
}
void CSetupDlg::ReadTick(int control, bool& setting) const {
  // Templates without the box leave its setting as it was.
  if (GetDlgItem(control) != nullptr) setting = Ticked(control);
}
void CSetupDlg::Show(int control, bool shown) {
  ::ShowWindow(GetDlgItem(control), shown ? SW_SHOW : SW_HIDE);
}

int CSetupDlg::TickedRangeBits() const {
  int bits = 0;
  for (const RangeBox& box : kRangeBoxes) {
    if (Ticked(box.control)) bits |= box.bit;
  }
  return bits;
}

void CSetupDlg::UpdateOk() {
  ::EnableWindow(GetDlgItem(IDOK), OkAllowed(TickedRangeBits(), shown_range_bits_));
}

bool CSetupDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplate, settings_.display_language);
  for (const RangeBox& box : kRangeBoxes) Tick(box.control, (settings_.range & box.bit) != 0);

  const OptionBoxes options = OptionBoxesShown(settings_.system_language, settings_.recognizer_language);
  if (options.unicode && GetDlgItem(kImeBox) != nullptr) {
    // The Unicode box takes the place of the input-method box.
    RECT place{};
    ::GetWindowRect(GetDlgItem(kImeBox), &place);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
    ::SetWindowPos(GetDlgItem(kUnicodeBox), nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  Show(kImeBox, options.use_ime);
  Show(kUnicodeBox, options.unicode);
  Show(kSpacingBox, options.append_space);
  // A box that the template lacks counts as hidden: its bit is kept.
  shown_range_bits_ = ShownRangeBits(settings_.recognizer_language, settings_.cursive);
  for (const RangeBox& box : kRangeBoxes) {
    if (GetDlgItem(box.control) == nullptr) shown_range_bits_ &= ~box.bit;
  }
  for (const RangeBox& box : kRangeBoxes) Show(box.control, (shown_range_bits_ & box.bit) != 0);

  Tick(settings_.is_pressure != 0 ? kPressureOn : kPressureOff, true);
  HWND combo = GetDlgItem(kWidthCombo);
  for (int item = 1; item <= kWidthItems; ++item) {
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(item).c_str()));
  }
  ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(WidthSelection(settings_.pen_width)), 0);
  const struct {
    int control;
    int value;
  } bars[] = {{kDelayBar, settings_.delay},
              {kSensitiveBar, settings_.sensitive},
              {kCharPitchBar, settings_.char_pitch}};
  for (const auto& bar : bars) {
    const ScrollSetting& setting = *BarOf(bar.control);
    ::SetScrollRange(GetDlgItem(bar.control), SB_CTL, setting.minimum, setting.maximum, FALSE);
    ::SetScrollPos(GetDlgItem(bar.control), SB_CTL, setting.PositionOf(bar.value), TRUE);
  }
  Tick(kWaitBox, settings_.wait_recognize);
  Tick(kImeBox, settings_.use_ime);
  Tick(kDbcsBox, settings_.is_dbcs_char);
  Tick(kSpacingBox, settings_.spacing);
  Tick(kUnicodeBox, settings_.post_unicode);
  Tick(kGestureBox, settings_.use_gesture != 0);

  const LogonStartState logon = QueryLogonStart(registry_);
  Tick(kLogonBox, logon.ticked);
  ::EnableWindow(GetDlgItem(kLogonBox), logon.available && program_folder_.has_value());
  UpdateOk();
  return true;
}

bool CSetupDlg::OnCommand(UINT id, UINT notify_code, HWND control) {
  if (notify_code != BN_CLICKED) return CDialog::OnCommand(id, notify_code, control);
  const int control_id = static_cast<int>(id);
  if (control_id == kColourButton) {
    ChooseInkColour();
    return true;
  }
  if (control_id == kDbcsBox && Ticked(kDbcsBox)) Tick(kUnicodeBox, false);
  if (control_id == kUnicodeBox && Ticked(kUnicodeBox)) Tick(kDbcsBox, false);
  UpdateOk();
  return true;
}

LRESULT CSetupDlg::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_HSCROLL:
      OnHScroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != kColourButton) break;
      DrawColourButton(*item);
      return TRUE;
    }
    default:
      break;
  }
  return CDialog::WindowProc(message, wparam, lparam);
}

void CSetupDlg::OnHScroll(HWND bar, int request, int thumb) {
  const ScrollSetting* setting = BarOf(::GetDlgCtrlID(bar));
  if (setting == nullptr) return;
  const int position =
      Scroll(*setting, ::GetScrollPos(bar, SB_CTL), static_cast<ScrollRequest>(request), thumb);
  ::SetScrollPos(bar, SB_CTL, position, TRUE);
}

void CSetupDlg::DrawColourButton(const DRAWITEMSTRUCT& item) const {
  HBRUSH brush = ::CreateSolidBrush(settings_.pen_color);
  ::FillRect(item.hDC, &item.rcItem, brush);
  ::DeleteObject(brush);
  ::FrameRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

void CSetupDlg::ChooseInkColour() {
  static COLORREF custom[16] = {};
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = hwnd();
  choose.rgbResult = settings_.pen_color;
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT | CC_PREVENTFULLOPEN;
  if (!::ChooseColorA(&choose)) return;  // cancel keeps the colour
  settings_.pen_color = choose.rgbResult;
  ::InvalidateRect(GetDlgItem(kColourButton), nullptr, TRUE);
}

void CSetupDlg::OnOK() {
  settings_.range = RangeAfterOk(settings_.range, TickedRangeBits(), shown_range_bits_);
  settings_.is_pressure = Ticked(kPressureOff) ? 0 : 1;
  settings_.pen_width = static_cast<int>(::SendMessageA(GetDlgItem(kWidthCombo), CB_GETCURSEL, 0, 0)) + 1;
  settings_.delay = kDelayScroll.ValueAt(::GetScrollPos(GetDlgItem(kDelayBar), SB_CTL));
  settings_.sensitive = kSensitiveScroll.ValueAt(::GetScrollPos(GetDlgItem(kSensitiveBar), SB_CTL));
  settings_.char_pitch = kCharPitchScroll.ValueAt(::GetScrollPos(GetDlgItem(kCharPitchBar), SB_CTL));
  ReadTick(kWaitBox, settings_.wait_recognize);
  ReadTick(kImeBox, settings_.use_ime);
  ReadTick(kDbcsBox, settings_.is_dbcs_char);
  ReadTick(kSpacingBox, settings_.spacing);
  ReadTick(kUnicodeBox, settings_.post_unicode);
  bool use_gesture = settings_.use_gesture != 0;
  ReadTick(kGestureBox, use_gesture);
  settings_.use_gesture = use_gesture ? 1 : 0;
  if (::IsWindowEnabled(GetDlgItem(kLogonBox)) && program_folder_) {
    ApplyLogonStart(registry_, Ticked(kLogonBox), *program_folder_);
  }
  EndDialog(IDOK);
}

}  // namespace wrendle::app
