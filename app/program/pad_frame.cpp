#include "app/program/pad_frame.h"

#include <windowsx.h>

#include <vector>

#include "app/core/char_codes.h"
#include "app/core/pad_commands.h"
#include "app/framework/scopes.h"
#include "app/program/about_dlg.h"
#include "app/program/recognizer_dlg.h"
#include "app/program/setup_dlg.h"
#include "app/program/training_dlg.h"
#include "app/program/wrendle_frame.h"
#include "app/win32/draw_routines.h"
#include "app/win32/resource_module.h"
#include "app/win32/target_window.h"

namespace wrendle::app {
namespace {

constexpr int kCursorPad = 147;
constexpr unsigned kStringMenu = 67;
constexpr unsigned kStringPenMouse = 78;
constexpr unsigned kStringSend = 20;
constexpr int kBitmapMenu = 138, kBitmapMenuPressed = 137;
constexpr int kBitmapSend = 146, kBitmapSendPressed = 145;
constexpr int kStripGap = 2;
constexpr int kRequestCaptureOff = 22;
constexpr int kRequestCaptureOn = 23;
constexpr int kRequestFillMenu = 24;
constexpr int kRequestPen = 21;

Size SystemSize(int x_metric, int y_metric) {
  return {GetSystemMetrics(x_metric), GetSystemMetrics(y_metric)};
}

void MoveControl(HWND control, const Rect& r) {
  if (control != nullptr) MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE);
}

}  // namespace

CPadFrame::CPadFrame(ProgramContext& context, CWrendleFrame& frame, FrameServices& services, HookOwner& owner)
    : CFloatFrame(context, false, 0),
      frame_(frame),
      services_(services),
      owner_(owner),
      launches_(*this, *this) {}

CPadFrame::~CPadFrame() {
  if (driver().pad_target() == this) driver().SetPadTarget(nullptr);
}

bool CPadFrame::Create(int x, int y, HWND owner) {
  const std::string window_class = framework::RegisterWindowClass(
      0, LoadCursorA(ResourceModule(), MAKEINTRESOURCEA(kCursorPad)), nullptr, nullptr);
  if (window_class.empty()) return false;
  if (!CreateEx(0, window_class.c_str(), "", WS_POPUP | WS_BORDER, RECT{x, y, x, y}, owner, nullptr))
    return false;
  owner_.InitialWintab(reinterpret_cast<platform::WindowHandle>(hwnd()));
  return true;
}

int CPadFrame::OnCreate(CREATESTRUCTA*) {
  {
    const HDC dc = GetDC(hwnd());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(hwnd(), dc);
    metrics_ = PadMetrics::FromFont(metrics.tmHeight, metrics.tmAveCharWidth);
    average_width_ = metrics.tmAveCharWidth;
  }
  driver().SetPadTarget(this);
  strip_ = std::make_unique<CResultStrip>(driver(), context_.user_map,
                                          StripMetrics{metrics_.cell_width, kStripGap, 10, average_width_});
  if (!strip_->Create(RECT{0, 0, metrics_.cell_width * 10 + 58, metrics_.cell_height}, hwnd(), kStripId))
    return -1;
  const COLORREF colour = context_.settings.pen_color;
  CResultStrip::SetTextColor(colour);
  if (strip_->popup() != nullptr) strip_->popup()->list().SetColor(colour);
  InvalidateRect(strip_->hwnd(), nullptr, TRUE);

  const RECT button = {0, 0, PadMetrics::kButton, PadMetrics::kButton};
  const DWORD style = WS_CHILD | WS_VISIBLE;
  if (!menu_.Create("", style, button, hwnd(), kMenuButtonId) ||
      !pen_mouse_.Create("", style, button, hwnd(), kPenMouseButtonId) ||
      !send_.Create("", style, button, hwnd(), kSendButtonId)) {
    return -1;
  }
  menu_.SetBitmaps(kBitmapMenu, kBitmapMenuPressed, 0);
  send_.SetBitmaps(kBitmapSend, kBitmapSendPressed, 0);
  SetPenMouseBitmaps(context_.settings.pen_mouse);
  ReloadButtonTexts();
  LayoutFor(0);
  // The recognizer exists now: the current user's learning files reach it.
  services_.SelectUser(false);
  return 0;
}

void CPadFrame::OnDestroy() {
  KillTimer(hwnd(), kLaunchTimer);
  KillTimer(hwnd(), kForegroundTimer);
  if (driver().pad_target() == this) driver().SetPadTarget(nullptr);
  CFloatFrame::OnDestroy();
}

void CPadFrame::ReloadButtonTexts() {
  const auto text = [&](unsigned id) { return services_.LoadResString(id, -1).value_or(""); };
  SetWindowTextA(menu_.hwnd(), text(kStringMenu).c_str());
  SetWindowTextA(pen_mouse_.hwnd(), text(kStringPenMouse).c_str());
  SetWindowTextA(send_.hwnd(), text(kStringSend).c_str());
}

void CPadFrame::SetPenMouseBitmaps(int mode) {
  pen_mouse_bitmaps_ = PenMouseBitmaps(mode);
  pen_mouse_.SetBitmaps(pen_mouse_bitmaps_.normal, pen_mouse_bitmaps_.pressed, 0);
  InvalidateRect(pen_mouse_.hwnd(), nullptr, TRUE);
}

void CPadFrame::LayoutFor(int n) {
  if (!strip_) return;
  ShowWindow(strip_->hwnd(), n > 0 ? SW_SHOWNA : SW_HIDE);
  std::int32_t strip_width = 0;
  if (n > 0) {
    const RECT last = strip_->CellRect(n - 1);
    strip_width = last.right > 0 ? last.right + kStripGap : n * metrics_.cell_width;
  }
  const Size size = PadWindowSize(metrics_, n, strip_width, SystemSize(SM_CXEDGE, SM_CYEDGE),
                                  SystemSize(SM_CXBORDER, SM_CYBORDER));
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOACTIVATE);
  RECT strip_client;
  GetClientRect(strip_->hwnd(), &strip_client);
  const int missing = metrics_.cell_height - strip_client.bottom;
  if (missing > 0) {
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, size.cx, size.cy + missing, SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(strip_->hwnd(), nullptr, 0, 0, strip_client.right, metrics_.cell_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CPadFrame::OnSize(UINT, int cx, int cy) {
  if (!strip_) return;
  const PadControls controls = LayoutPadControls(metrics_, {cx, cy});
  MoveControl(menu_.hwnd(), controls.buttons[0]);
  MoveControl(pen_mouse_.hwnd(), controls.buttons[1]);
  MoveControl(send_.hwnd(), controls.buttons[2]);
  MoveControl(strip_->hwnd(), controls.strip);
}

void CPadFrame::OnMove(int, int) {
  Default();
  ShowWindow(hwnd(), context_.settings.layout != 0 ? SW_SHOWNA : SW_HIDE);
}

void CPadFrame::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd(), &paint);
  DrawClientFrame(dc, hwnd(), 1);
  RECT client;
  GetClientRect(hwnd(), &client);
  const int top = (client.bottom - PadMetrics::kButton) / 2;
  for (int i = 0; i < 2; ++i) {
    const int left = PadMetrics::kMargin + i * 6;
    RECT grip = {left, top, left + 2, top + PadMetrics::kButton};
    DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
  }
  EndPaint(hwnd(), &paint);
}

void CPadFrame::GetFrameRect(RECT& rect, UINT flags) {
  CFloatFrame::GetFrameRect(rect, flags);
  if ((flags & MK_CONTROL) != 0) frame_.UnionPaneRects(rect);
}

void CPadFrame::MoveFrameBy(int dx, int dy, UINT flags) {
  CFloatFrame::MoveFrameBy(dx, dy, flags);
  if ((flags & MK_CONTROL) != 0) frame_.MovePanesBy(dx, dy);
}

std::intptr_t CPadFrame::OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) {
  switch (code) {
    case kEventCellSelected:
    case kEventCellChanged:
      if (recognising_) return 0;
      break;
    case kEventCellsChanged:
      if (!recognising_) LayoutFor(driver().cell_count());
      InvalidateRect(strip_->hwnd(), nullptr, TRUE);
      break;
    case kEventPositionMoved:
      strip_->Highlight(static_cast<int>(a));
      break;
    case kEventInk: {
      const auto list = StrokeListView::ParseUnbounded(reinterpret_cast<const StrokeEntry*>(b));
      if (list) {
        const std::span<const StrokeEntry> strokes(reinterpret_cast<const StrokeEntry*>(b),
                                                   list->entry_count());
        PasteInk(GetTargetWindow(frame_.hwnd(), context_.hook), hwnd(), strokes, context_.settings.pen_width);
      }
      break;
    }
    case kEventLineDone:
      recognising_ = false;
      LayoutFor(driver().cell_count());
      InvalidateRect(strip_->hwnd(), nullptr, TRUE);
      break;
    case kEventLineStarts:
      recognising_ = true;
      break;
    default:
      break;
  }
  return frame_.OnRecogEvent(code, a, b);
}

void CPadFrame::Request(int code) { OnRecogEvent(kEventRequest, code, 0); }

bool CPadFrame::OnCommand(UINT id, UINT, HWND) { return RunCommand(id, 0); }

void CPadFrame::OnSysCommand(UINT id, LPARAM lparam) {
  if (!RunCommand(id, lparam)) Default();
}

bool CPadFrame::OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message == kShowPadFrame) {
    *result = 0;
    if (wparam == 1) {
      ShowWindow(hwnd(), SW_SHOW);
      Request(kRequestCaptureOn);
    } else if (wparam == 0) {
      ShowWindow(hwnd(), SW_HIDE);
      Request(kRequestCaptureOff);
    }
    return true;
  }
  if (message == kLaunchWait) {
    *result = 0;
    const int kind = static_cast<int>(wparam);
    if (kind == 0) {
      // Once the program's window is up, the foreground goes back to the
      // window of before the command.
      restore_foreground_ = lparam != 0;
      SetTimer(hwnd(), kForegroundTimer, kForegroundMs, nullptr);
    } else if (launches_.Wait(kind, static_cast<ProcessId>(lparam))) {
      SetTimer(hwnd(), kLaunchTimer, kLaunchPollMs, nullptr);
    }
    return true;
  }
  return CFloatFrame::OnOwnMessage(message, wparam, lparam, result);
}

void CPadFrame::OnTimer(UINT_PTR id) {
  if (id == kForegroundTimer) {
    KillTimer(hwnd(), kForegroundTimer);
    if (restore_foreground_) RestoreForeground();
    return;
  }
  if (id == kLaunchTimer) {
    launches_.Poll();
    if (!launches_.waiting()) KillTimer(hwnd(), kLaunchTimer);
    return;
  }
  CFloatFrame::OnTimer(id);
}

void CPadFrame::ShowAll() { frame_.ShowAll(true); }
void CPadFrame::RequestCaptureOn() { Request(kRequestCaptureOn); }
void CPadFrame::SelectUserAtStartup() { services_.SelectUser(false); }

ProcessWaiter::State CPadFrame::Poll(ProcessId process) {
  switch (WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0)) {
    case WAIT_TIMEOUT:
      return State::kRunning;
    case WAIT_OBJECT_0:
      return State::kEnded;
    default:
      return State::kFailed;
  }
}

void CPadFrame::Close(ProcessId process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

HANDLE CPadFrame::StartProgram(const std::string& command_line, DWORD flags, WORD show) {
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (show != SW_SHOWDEFAULT) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                      &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

void CPadFrame::SignAndDraw() {
  const HANDLE process = StartProgram(kSignAndDrawProgram, 0);
  if (process == nullptr) {
    driver().set_sign_and_draw(!driver().sign_and_draw());
    context_.settings.inking = driver().sign_and_draw();
    return;
  }
  Request(kRequestCaptureOff);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Request(kRequestCaptureOff);
  frame_.ShowAll(false);
  launches_.Started(reinterpret_cast<ProcessId>(process));
  PostMessage(kLaunchWait, 0, reinterpret_cast<LPARAM>(process));
  PostMessage(kLaunchWait, LaunchWatch::kSignAndDraw, reinterpret_cast<LPARAM>(process));
}

void CPadFrame::StartHidden(const std::string& command_line, DWORD flags, int kind) {
  const HANDLE process = StartProgram(command_line, flags);
  if (process == nullptr) return;
  Request(kRequestCaptureOff);
  frame_.ShowAll(false);
  launches_.Started(reinterpret_cast<ProcessId>(process));
  PostMessage(kLaunchWait, 0, 0);
  PostMessage(kLaunchWait, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(process));
}

void CPadFrame::SwitchKernelVariant() {
  Request(kRequestCaptureOff);
  const std::string question =
      services_.LoadResString(KernelVariantQuestion(context_.settings), -1).value_or("");
  const std::string title = services_.LoadResString(16, -1).value_or("");
  if (MessageBoxA(hwnd(), question.c_str(), title.c_str(), MB_OKCANCEL) != IDOK) {
    Request(kRequestCaptureOn);
    return;
  }
  ToggleKernelVariant(context_.settings);
  frame_.ShowAll(false);
  char module[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string path(module, length);
  path = path.substr(0, path.find_last_of("\\/") + 1) + kKernelVariantProgram;
  const HANDLE process = StartProgram("\"" + path + "\"", 0, SW_SHOW);
  if (process != nullptr) CloseHandle(process);
  frame_.PostMessage(WM_CLOSE);
}

void CPadFrame::RunSetup() {
  const auto registry = platform::MakeUserRegistryStore();
  CSetupDlg dialog(context_.settings, *registry, RunningProgramFolder(), hwnd());
  if (dialog.DoModal() != IDOK) return;
  context_.settings = dialog.settings();
  services_.ApplyRecognizerSettings();
  owner_.SetIsPressure(context_.settings.is_pressure);
  CResultStrip::SetTextColor(context_.settings.pen_color);
  if (strip_->popup() != nullptr) strip_->popup()->list().SetColor(context_.settings.pen_color);
  InvalidateRect(strip_->hwnd(), nullptr, TRUE);
  Request(kRequestPen);
}

void CPadFrame::RunTraining() {
  // The selected cell's character and ink, to check and to teach.
  const CCandidateItem* cell = driver().Cell(-1);
  CTrainingDlg dialog(context_.settings, context_.dispatcher, context_.user_map,
                      cell != nullptr ? CodeBytes(cell->code()) : std::string(),
                      cell != nullptr ? cell->strokes() : std::vector<StrokeEntry>(), hwnd());
  dialog.DoModal();
}

template <typename Run>
void CPadFrame::RunDialog(Run run) {
  Request(kRequestCaptureOff);
  RememberForeground();
  SetForegroundWindow(hwnd());
  run();
  RestoreForeground();
  Request(kRequestCaptureOn);
}

void CPadFrame::TrackMenu() {
  framework::CMenu menu;
  if (menu.get() == nullptr) return;
  OnRecogEvent(kEventRequest, kRequestFillMenu, reinterpret_cast<std::intptr_t>(menu.get()));
  RECT button;
  GetWindowRect(menu_.hwnd(), &button);
  RememberForeground();
  SetForegroundWindow(hwnd());
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, 0, hwnd(), nullptr);
  RestoreForeground();
  SwallowClickOn(menu_.hwnd());
}

bool CPadFrame::RunCommand(UINT id, LPARAM lparam) {
  Settings& settings = context_.settings;
  if (const auto follow_up = ApplySettingsCommand(static_cast<int>(id), settings)) {
    if (id == kPadPenMouse) SetPenMouseBitmaps(settings.pen_mouse);
    if (*follow_up == SettingsFollowUp::kSetRecognitionRange) services_.SetRecognitionRange();
    if (*follow_up == SettingsFollowUp::kRequestCaptureOn) Request(kRequestCaptureOn);
    return true;
  }
  switch (id) {
    case kPadSend:
      if (driver().cell_count() > 0) {
        driver().CommitCells();
      } else {
        driver().RestoreHistory();
      }
      return true;
    case kPadMenu:
      TrackMenu();
      return true;
    case kPadSignAndDraw:
      SignAndDraw();
      return true;
    case kPadTrainingEditor:
      WritePrivateProfileStringA("CodePage", "Recognizer",
                                 std::to_string(settings.recognizer_language).c_str(),
                                 kTrainingEditorProfile);
      StartHidden(kTrainingEditorCommandLine, kTrainingEditorCreationFlags, LaunchWatch::kTrainingEditor);
      return true;
    case kPadReading:
      StartHidden(ReadingCommandLine(settings), 0, LaunchWatch::kReading);
      return true;
    case kPadRecognizerDialog:
      RunDialog([&] {
        CRecognizerDlg dialog(settings, hwnd());
        dialog.DoModal();
      });
      return true;
    case kPadSelectUser:
      RunDialog([&] { services_.SelectUser(true); });
      return true;
    case kPadSetup:
      RunDialog([&] { RunSetup(); });
      return true;
    case kPadTraining:
      RunDialog([&] { RunTraining(); });
      return true;
    case kPadAbout:
      RunDialog([&] {
        CAboutDlg dialog(services_.LoadResString(16, -1).value_or(""), settings.display_language, hwnd());
        dialog.DoModal();
      });
      return true;
    case kPadKeyboard:
    case kPadSymbols:
    case kPadStrings:
    case kPadPhrases:
    case kPadHomophones: {
      const int pane = id == kPadKeyboard  ? kPaneKeyboard
                       : id == kPadSymbols ? kPaneSymbols
                       : id == kPadStrings ? kPaneStrings
                       : id == kPadPhrases ? kPanePhrases
                                           : kPaneHomophones;
      frame_.ShowPane(pane, frame_.IsPaneOpen(pane) == nullptr);
      return true;
    }
    case kPadSpeech:
      if (speech_.Available(settings.recognizer_language)) settings.speech = settings.speech != 0 ? 0 : 1;
      return true;
    case kPadCursive:
      services_.ChangeRecognizer(settings.recognizer_language, 1);
      return true;
    case kPadFuzzyMode:
      services_.ChangeRecognizer(settings.recognizer_language, 2);
      return true;
    case kPadFullStrokes:
      services_.ChangeRecognizer(settings.recognizer_language, 0);
      return true;
    case kPadDisplayLanguage:
      settings.display_language = ToggledDisplayLanguage(settings);
      services_.ApplyDisplayLanguage();
      return true;
    case kPadWindowMode:
      frame_.OnWindowMode();
      return true;
    case kPadKernelVariant:
      SwitchKernelVariant();
      return true;
    case WM_CLOSE:
      frame_.SendMessage(WM_CLOSE);
      return true;
    default:
      break;
  }
  if (id < 0xF000) return false;
  switch (id & 0xFFF0) {
    case SC_MINIMIZE:
      frame_.PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return true;
    case SC_CLOSE:
      frame_.SendMessage(WM_CLOSE);
      return true;
    default:
      frame_.SendMessage(WM_SYSCOMMAND, id, lparam);
      return true;
  }
}

}  // namespace wrendle::app
