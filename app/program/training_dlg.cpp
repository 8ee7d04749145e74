#include "app/program/training_dlg.h"

#include <array>
#include <cstdint>

#include "app/core/char_codes.h"
#include "app/core/text_lines.h"
#include "app/core/training_codes.h"
#include "app/program/resource_text.h"
#include "app/program/window_text.h"

namespace wrendle::app {
namespace {

constexpr int kTextEdit = 1041;
constexpr int kRewrite = 1042;
constexpr int kInkPlace = 1043;
constexpr int kRecognize = 1075;
constexpr int kTrainAgain = 1094;  // localised templates: the same as Train
constexpr int kCloseToo = 1095;    // localised templates: the same as Close
constexpr int kPaste = 1111;       // localised templates: paste into the edit
constexpr int kMaxTextLength = 128;

constexpr unsigned kCannotRecognize = 79;
constexpr unsigned kRecognizedWrong = 80;
constexpr unsigned kRecognizedRight = 81;

// Candidate arrays have room for twelve codes.
using Candidates = std::array<std::uint16_t, 12>;

bool LeadByte(unsigned char byte) { return IsLeadByte(byte); }

}  // namespace

CTrainingDlg::CTrainingDlg(const Settings& settings, RecognitionDispatcher& dispatcher, CUserMap& user_map,
                           std::string text, std::vector<StrokeEntry> strokes, HWND parent)
    : CDialog(kTemplate, parent),
      settings_(settings),
      dispatcher_(dispatcher),
      user_map_(user_map),
      text_(std::move(text)),
      strokes_(std::move(strokes)),
      ink_box_(static_cast<std::uint32_t>(settings.delay > 0 ? settings.delay * 10 : 0), settings.pen_width,
               static_cast<COLORREF>(settings.pen_color)) {}

bool CTrainingDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplate, settings_.display_language);
  const HWND edit = GetDlgItem(kTextEdit);
  ::SendMessageA(edit, EM_LIMITTEXT, kMaxTextLength, 0);

  // The ink box lies over the static that marks its place.
  RECT place{};
  const HWND marker = GetDlgItem(kInkPlace);
  ::GetWindowRect(marker, &place);
  ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
  ink_box_.set_pressure(settings_.is_pressure != 0);
  if (ink_box_.Create(place, hwnd(), kInkBoxId, WS_CHILD | WS_VISIBLE)) {
    ::SetWindowPos(ink_box_.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!strokes_.empty()) ink_box_.ShowStrokes(strokes_.data(), strokes_.size() * sizeof(StrokeEntry));
  }

  ::SetWindowTextA(edit, OpeningTrainingText(text_, user_map_).c_str());
  UpdateButtons();
  ::SetFocus(edit);
  ::SendMessageA(edit, EM_SETSEL, 0, -1);
  return false;  // the focus is set
}

std::string CTrainingDlg::EditText() const { return WindowText(GetDlgItem(kTextEdit)); }

bool CTrainingDlg::HasInk() {
  const auto view = StrokeListView::Parse(ink_box_.Strokes());
  return view && view->stroke_count() > 0;
}

void CTrainingDlg::Enable(int control, bool enabled) {
  if (const HWND item = GetDlgItem(control)) ::EnableWindow(item, enabled ? TRUE : FALSE);
}

void CTrainingDlg::UpdateButtons() {
  const bool ready = !EditText().empty() && HasInk();
  Enable(kRecognize, ready);
  Enable(kRewrite, ready);
  Enable(kTrainAgain, ready);
}

std::string CTrainingDlg::String(unsigned id, const char* fallback) const {
  return LoadResString(id, settings_.display_language).value_or(fallback);
}

void CTrainingDlg::ShowMessage(const std::string& text) {
  ::MessageBoxA(hwnd(), text.c_str(), WindowText(hwnd()).c_str(), MB_OK);
}

void CTrainingDlg::Recognize() {
  if (!HasInk()) return;
  Candidates candidates{};
  const int result = dispatcher_.Recognize(ink_box_.Strokes().data(), candidates.data(), 0);
  const auto expected = ExpectedCodeToCompare(EditText(), user_map_, LeadByte);
  switch (JudgeRecognition(result, candidates, expected)) {
    case RecognitionVerdict::kNoCandidate:
      ShowMessage(String(kCannotRecognize, "Error, can't recognize!!!"));
      break;
    case RecognitionVerdict::kRight:
      ShowMessage(ResultMessage(String(kRecognizedRight, "Result is : %c%c\nRecognized OK!!!"), candidates[0],
                                user_map_));
      Enable(kTrainAgain, false);
      break;
    case RecognitionVerdict::kWrong:
      ShowMessage(ResultMessage(String(kRecognizedWrong, "Result is : %c%c\nRecognized Error!!!"),
                                candidates[0], user_map_));
      Enable(kTrainAgain, true);
      break;
  }
  Enable(kRecognize, false);
}

void CTrainingDlg::Train() {
  if (EditText().empty() || !HasInk()) return;
  const auto code = ExpectedCodeToTrain(EditText(), user_map_, LeadByte);
  if (!code) return;
  Candidates ignored{};
  dispatcher_.Recognize(ink_box_.Strokes().data(), ignored.data(),
                        SwapBytes(static_cast<std::uint16_t>(*code)));
  Enable(kTrainAgain, false);
}

void CTrainingDlg::OnOK() { Train(); }

void CTrainingDlg::OnCancel() {
  user_map_.Save();
  EndDialog(IDCANCEL);
}

bool CTrainingDlg::OnCommand(UINT id, UINT notify_code, HWND control) {
  switch (id) {
    case kTextEdit:
      if (notify_code == EN_CHANGE) UpdateButtons();
      return true;
    case kInkBoxId:
      if (control == ink_box_.hwnd()) UpdateButtons();
      return true;
    case kRewrite:
      ink_box_.Clear();
      UpdateButtons();
      return true;
    case kRecognize:
      Recognize();
      return true;
    case kTrainAgain:
      Train();
      return true;
    case kCloseToo:
      OnCancel();
      return true;
    case kPaste:
      ::SendMessageA(GetDlgItem(kTextEdit), WM_PASTE, 0, 0);
      return true;
    default:
      return CDialog::OnCommand(id, notify_code, control);
  }
}

}  // namespace wrendle::app
