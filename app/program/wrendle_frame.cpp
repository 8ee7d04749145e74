#include "app/program/wrendle_frame.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/frame_text.h"
#include "app/core/pad_commands.h"
#include "app/core/related_data_files.h"
#include "app/core/strip_layout.h"
#include "app/framework/scopes.h"
#include "app/framework/win_app.h"
#include "app/win32/draw_routines.h"
#include "app/win32/popup_menu.h"
#include "app/win32/resource_module.h"
#include "app/win32/target_window.h"

namespace wrendle::app {
namespace {

constexpr unsigned kStringTitle = 16;
constexpr unsigned kStringCharButtons = 59;
constexpr int kCursorPad = 147;
constexpr int kRequestPen = 21;
constexpr int kRequestCaptureOff = 22;
constexpr int kRequestCaptureOn = 23;
constexpr int kRequestFillMenu = 24;
constexpr WPARAM kShowPadWritePad = 100;
constexpr WPARAM kShowPadFullScreen = 200;
constexpr int kPhraseRows = 1;
constexpr int kListColumns = 6;
constexpr std::uint32_t kCandidateStyle = 0x8000;
constexpr std::uint32_t kPhraseStyle = 0xC000;
// Messages of the system that the frame answers with 0 and nothing else.
constexpr UINT kIgnoredMessages[] = {0x501, 0x505, 0x506};

void MoveControl(HWND control, const Rect& r) {
  if (control != nullptr) MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE);
}

void ResizeControl(HWND control, Size size) {
  if (control != nullptr) {
    SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

std::vector<std::uint8_t> CodeBytes(std::span<const std::uint16_t> codes) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t code : codes) {
    bytes.push_back(static_cast<std::uint8_t>(code));
    bytes.push_back(static_cast<std::uint8_t>(code >> 8));
  }
  return bytes;
}

}  // namespace

CWrendleFrame::CWrendleFrame(ProgramContext& context, HookOwner& owner, FrameServices& services,
                             PaneFactory& panes)
    : CRecogFrame(context),
      owner_(owner),
      services_(services),
      pane_factory_(panes),
      intake_(owner, context.settings, *this),
      wait_button_(context.hook) {
  driver().SetCapacity(10);
  driver().SetMainTarget(this);
}

CWrendleFrame::~CWrendleFrame() {
  // Destroyed here, while the whole object still handles its last messages:
  // OnDestroy unregisters from the hook library.
  if (hwnd() != nullptr) DestroyWindow();
  for (auto& pane : panes_) pane.reset();
  pad_.reset();
  if (driver().main_target() == this) driver().SetMainTarget(nullptr);
}

bool CWrendleFrame::Create(HICON icon) {
  const std::string window_class = framework::RegisterWindowClass(
      0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon, kWindowClass);
  if (window_class.empty()) return false;
  const Settings& s = context_.settings;
  return CreateEx(0, window_class.c_str(), "", kStyle, RECT{s.px, s.py, s.px + 10, s.py + 10}, nullptr,
                  nullptr);
}

int CWrendleFrame::OnCreate(CREATESTRUCTA*) {
  Settings& s = context_.settings;
  const auto self = reinterpret_cast<platform::WindowHandle>(hwnd());
  const HookHandle handle = owner_.Hook(self, kPenNotify, 1, 0);
  if (handle == 0) return -1;
  intake_.set_handle(handle);
  owner_.EnableMouse(handle, s.pen_mouse);
  owner_.SetDelayEx(handle, s.delay * 10, s.sensitive * 10);
  owner_.SetPen(handle, s.pen_width, s.pen_color);
  if (framework::CWinApp* app = framework::CWinApp::Current()) app->set_main_window(this);

  pad_ = std::make_unique<CPadFrame>(context_, *this, services_, owner_);
  if (!pad_->Create(s.mx, s.my, hwnd())) pad_.reset();
  wait_button_.Create(hwnd());
  ShowWindow(wait_button_.hwnd(), SW_HIDE);
  Request(kRequestCaptureOff);
  if (!LayoutControls()) return -1;

  const Rect saved = ClampSavedRect({s.px, s.py, s.sx, s.sy}, min_track_, max_track_);
  saved_ = ToRect(saved);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, saved.width(), saved.height(),
               SWP_NOMOVE | SWP_NOACTIVATE | (s.layout == 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  for (int i = 0; i < kPaneCount; ++i) {
    ShowPane(i, PaneTable(s)[i].open);
    MovePaneToLayout(i);
  }
  Request(kRequestCaptureOn);
  SwitchTabletContext();
  owner_.SetIsPressure(s.is_pressure);
  SendToCompanion(kResendPadMode);
  return 0;
}

bool CWrendleFrame::LayoutControls() {
  Settings& s = context_.settings;
  {
    const HDC dc = GetDC(hwnd());
    TEXTMETRICA text{};
    GetTextMetricsA(dc, &text);
    ReleaseDC(hwnd(), dc);
    metrics_ = FrameMetrics::FromFont(text.tmHeight, text.tmAveCharWidth);
  }
  RECT extra = {0, 0, 0, 0};
  AdjustWindowRectEx(&extra, static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_EXSTYLE)));
  const FrameControls controls =
      LayoutFrameControls(metrics_, {extra.right - extra.left, extra.bottom - extra.top});
  min_track_ = controls.min_track;
  max_track_ = controls.max_track;

  const COLORREF colour = s.pen_color;
  candidates_ = std::make_unique<CCandidateList>(driver(), context_.user_map, kPhraseRows, kListColumns,
                                                 kCandidateStyle);
  phrases_ =
      std::make_unique<CCandidateList>(driver(), context_.user_map, kPhraseRows, kListColumns, kPhraseStyle);
  if (!candidates_->Create(ToRect(controls.candidates), hwnd(), kCandidateListId) ||
      !phrases_->Create(ToRect(controls.phrases), hwnd(), kPhraseListId)) {
    return false;
  }
  candidates_->SetColor(colour);
  phrases_->SetColor(colour);
  ink_box_ = std::make_unique<CInkBox>(static_cast<std::uint32_t>(s.delay) * 10, s.pen_width, colour);
  if (!ink_box_->Create(ToRect(controls.ink_box), hwnd(), kInkBoxId)) return false;
  for (std::size_t i = 0; i < bitmap_buttons_.size(); ++i) {
    const BitmapButtonSpec& spec = kFrameBitmapButtons[i];
    if (!bitmap_buttons_[i].Create("", WS_CHILD | WS_VISIBLE, ToRect(controls.bitmap_buttons[i]), hwnd(),
                                   static_cast<UINT>(spec.command))) {
      return false;
    }
    bitmap_buttons_[i].SetBitmaps(spec.normal_bitmap, spec.pressed_bitmap, 0);
    MoveControl(bitmap_buttons_[i].hwnd(), controls.bitmap_buttons[i]);
  }
  for (int k = 0; k < kCharButtonCount; ++k) {
    if (!char_buttons_[k].Create("", WS_CHILD | WS_VISIBLE, ToRect(controls.char_buttons[k]), hwnd(),
                                 static_cast<UINT>(kFirstCharButton + k))) {
      return false;
    }
  }
  controls_made_ = true;
  ApplyLanguage();
  RebuildLanguageData();
  const int layout = s.layout;
  s.layout = 0;
  FillSystemMenu(GetSystemMenu(hwnd(), FALSE));
  s.layout = layout;
  return true;
}

void CWrendleFrame::ApplyLanguage() {
  SetWindowTextA(hwnd(), services_.LoadResString(kStringTitle, -1).value_or("").c_str());
  for (std::size_t i = 0; i < bitmap_buttons_.size(); ++i) {
    const auto text = services_.LoadResString(static_cast<unsigned>(kFrameBitmapButtons[i].command), -1);
    SetWindowTextA(bitmap_buttons_[i].hwnd(), text.value_or("").c_str());
  }
  for (auto& pane : panes_) {
    if (pane) pane->UpdateLanguage();
  }
  if (pad_) pad_->ReloadButtonTexts();
}

void CWrendleFrame::RebuildLanguageData() {
  const int language = context_.settings.recognizer_language;
  // The open phrase pane lets go of the old provider as it goes, and takes
  // the new one in its Reload below.
  phrase_provider_.reset();
  phrase_provider_ =
      std::make_unique<CAssocPhraseProvider>(language, InstalledDataFile(PhraseFileName(language)));
  const std::string characters = services_.LoadResString(kStringCharButtons, language).value_or("");
  const auto texts = CharButtonTexts(characters);
  for (int k = 0; k < kCharButtonCount; ++k) {
    SetWindowTextA(char_buttons_[k].hwnd(), texts[k].text.c_str());
    char_buttons_[k].SetEnabledLook(texts[k].enabled);
  }
  if (candidates_) candidates_->SetCodes({});
  if (phrases_) phrases_->SetCodes({});
  for (auto& pane : panes_) {
    if (pane) pane->Reload();
  }
}

void CWrendleFrame::OnSize(UINT type, int cx, int cy) {
  Default();
  if (type == SIZE_MINIMIZED || !controls_made_) return;
  const FrameResize resize = ResizeFrameControls(metrics_, cx, cy);
  ResizeControl(candidates_->hwnd(), resize.lists);
  ResizeControl(phrases_->hwnd(), resize.lists);
  candidates_->SetGrid(1, resize.candidate_columns);
  phrases_->SetGrid(1, resize.phrase_columns);
  for (std::size_t i = 0; i < bitmap_buttons_.size(); ++i)
    MoveControl(bitmap_buttons_[i].hwnd(), resize.bitmap_buttons[i]);
  for (int k = 0; k < kCharButtonCount; ++k) MoveControl(char_buttons_[k].hwnd(), resize.char_buttons[k]);
  ResizeControl(ink_box_->hwnd(), resize.ink_box);
  SaveWindowRect();
  InvalidateRect(hwnd(), nullptr, TRUE);
  ActivateRemembered();
}

void CWrendleFrame::SaveWindowRect() {
  // A minimised frame lies at -32000: that place is never kept.
  if (IsIconic(hwnd())) return;
  RECT rect;
  GetWindowRect(hwnd(), &rect);
  if (IsIconicPosition(rect.left, rect.top)) return;
  saved_ = rect;
}

void CWrendleFrame::OnMove(int, int) {
  Default();
  if (controls_made_ && IsWindowVisible(hwnd())) SaveWindowRect();
  ActivateRemembered();
}

void CWrendleFrame::OnGetMinMaxInfo(MINMAXINFO* info) {
  Default();
  if (pad_) {
    info->ptMinTrackSize.x = min_track_.cx;
    info->ptMinTrackSize.y = min_track_.cy;
  }
}

void CWrendleFrame::OnActivateApp(bool active, DWORD) {
  Default();
  if (active && intake_.handle() != 0) owner_.SetActive(intake_.handle(), 1);
}

bool CWrendleFrame::OnEraseBkgnd(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  return true;
}

int CWrendleFrame::OnMouseActivate(HWND, UINT hit_test, UINT) {
  const HWND foreground = GetForegroundWindow();
  if (foreground != hwnd()) remembered_active_ = foreground;
  return hit_test == HTCAPTION || hit_test == HTSYSMENU ? MA_ACTIVATE : MA_NOACTIVATE;
}

void CWrendleFrame::ActivateRemembered() {
  if (remembered_active_ != nullptr && IsWindow(remembered_active_) &&
      GetForegroundWindow() != remembered_active_) {
    SetForegroundWindow(remembered_active_);
  }
}

void CWrendleFrame::OnLButtonUp(UINT, POINT) { ActivateRemembered(); }

void CWrendleFrame::OnNcLButtonDown(UINT hit_test, POINT) {
  if (hit_test == HTCAPTION) {
    Default();
    ActivateRemembered();
  } else if (hit_test == HTSYSMENU) {
    TrackSystemMenu();
  } else {
    Default();
  }
}

void CWrendleFrame::OnNcRButtonDown(UINT hit_test, POINT) {
  Default();
  SwallowClickOn(hwnd());
  if (hit_test == HTCAPTION || hit_test == HTSYSMENU) ActivateRemembered();
}

void CWrendleFrame::TrackSystemMenu() {
  const HMENU menu = GetSystemMenu(hwnd(), FALSE);
  FillSystemMenu(menu);
  POINT corner = {0, 0};
  ClientToScreen(hwnd(), &corner);
  TrackPopupMenu(menu, TPM_RIGHTALIGN, corner.x, corner.y, 0, pad_ ? pad_->hwnd() : hwnd(), nullptr);
  SwallowClickOn(hwnd());
  ActivateRemembered();
}

void CWrendleFrame::OnInitMenu(HMENU menu) {
  if (menu == GetSystemMenu(hwnd(), FALSE)) FillSystemMenu(menu);
}

void CWrendleFrame::FillSystemMenu(HMENU menu) {
  if (menu == nullptr) return;
  // Back to the system's items: the program's items (ids below 0xF000) and
  // the separators after the last system item go.
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id != static_cast<UINT>(-1) && id >= 0xF000) continue;
    if (id == 0) {
      bool system_item_after = false;
      for (int j = i + 1; j < GetMenuItemCount(menu); ++j)
        system_item_after |= GetMenuItemID(menu, j) >= 0xF000;
      if (system_item_after) continue;
    }
    DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
  }
  DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  BuildPopupMenu(menu, MenuState(),
                 [this](unsigned id, int language) { return services_.LoadResString(id, language); });
}

PopupMenuState CWrendleFrame::MenuState() const {
  const Settings& s = context_.settings;
  PopupMenuState state;
  state.layout = s.layout;
  state.mode = s.cursive;
  state.system_language = s.system_language;
  state.recognizer_language = s.recognizer_language;
  state.display_language = s.display_language;
  for (int i = 0; i < kPaneCount; ++i) state.panes_open[i] = panes_[i] != nullptr;
  state.sign_and_draw = driver().sign_and_draw();
  state.auto_learn = s.auto_learn;
  state.wait_recognize = s.wait_recognize;
  state.full_shape = s.full_shape;
  state.resource_library = ResourceModule() != framework::CWinApp::Instance();
  return state;
}

LRESULT CWrendleFrame::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_QUERYOPEN) {
    PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    return 1;
  }
  return CRecogFrame::WindowProc(message, wparam, lparam);
}

bool CWrendleFrame::OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (std::find(std::begin(kIgnoredMessages), std::end(kIgnoredMessages), message) !=
      std::end(kIgnoredMessages)) {
    *result = 0;
    return true;
  }
  if (message == kPenNotify) {
    intake_.OnStrokeData(wparam, lparam);
    *result = 0;
    return true;
  }
  if (message == kShowPad) {
    OnShowPad(wparam, lparam);
    *result = 0;
    return true;
  }
  if (message == kClosePane) {
    const FramePane* pane = IsPaneOpen(static_cast<int>(wparam));
    if (pane != nullptr && pane->hwnd() == reinterpret_cast<HWND>(lparam))
      ShowPane(static_cast<int>(wparam), false);
    *result = 0;
    return true;
  }
  return CRecogFrame::OnOwnMessage(message, wparam, lparam, result);
}

bool CWrendleFrame::OnCommand(UINT id, UINT, HWND) {
  switch (id) {
    case kCommandBackspace:
      driver().SendKeyCode(0x7F08);
      return true;
    case kCommandDelete:
      driver().SendKeyCode(0x7F2E);
      return true;
    case kCommandEnter:
      driver().SendKeyCode(0x7F0D);
      return true;
    case kCommandSpace:
      driver().SendKeyCode(0x7F20);
      return true;
    case kCommandPhrasePrevious:
    case kCommandPhraseNext: {
      const int page = phrases_ ? phrases_->grid().rows() * phrases_->grid().columns() : 0;
      ShowAssocPage(id == kCommandPhrasePrevious ? phrase_offset_ - page : phrase_offset_ + page);
      return true;
    }
    case kCommandSetup:
      if (pad_) pad_->RunCommand(kPadSetup, 0);
      return true;
    case kCommandWindowMode:
      OnWindowMode();
      return true;
    case kPopupMenuCommand:
      OnPopupMenu();
      return true;
    case kInkBoxId:
      OnInkPause();
      return true;
    default:
      break;
  }
  if (id >= kFirstCharButton && id <= kLastCharButton) {
    OnCharButton(id);
    return true;
  }
  return false;
}

void CWrendleFrame::OnSysCommand(UINT id, LPARAM lparam) {
  const HookHandle handle = intake_.handle();
  switch (id & 0xFFF0) {
    case SC_MINIMIZE:
      if (IsWindowVisible(hwnd())) SaveWindowRect();
      if (handle != 0) owner_.SetActive(handle, 0);
      Default();
      Request(kRequestCaptureOff);
      SendToCompanion(kPadMinimized);
      return;
    case SC_RESTORE: {
      {
        const framework::LockWindowUpdateScope lock(hwnd());
        Default();
        Request(kRequestCaptureOn);
        if (context_.settings.layout != 0) {
          ShowWindow(hwnd(), SW_HIDE);
        } else {
          ShowWindow(hwnd(), SW_SHOWNA);
        }
        if (handle != 0) owner_.SetActive(handle, 1);
      }
      SendToCompanion(kPadRestored);
      return;
    }
    default:
      break;
  }
  if ((id & 0xF000) == 0 && pad_) {
    pad_->RunCommand(id, lparam);
    return;
  }
  Default();
}

void CWrendleFrame::OnPopupMenu() {
  framework::CMenu menu;
  if (menu.get() == nullptr) return;
  OnRecogEvent(kEventRequest, kRequestFillMenu, reinterpret_cast<std::intptr_t>(menu.get()));
  RememberForeground();
  SetFocus(hwnd());
  RECT setup;
  GetWindowRect(bitmap_buttons_[0].hwnd(), &setup);
  TrackPopupMenu(menu.get(), TPM_RIGHTALIGN, setup.left, setup.bottom, 0, pad_ ? pad_->hwnd() : hwnd(),
                 nullptr);
  RestoreForeground();
  SwallowClickOn(bitmap_buttons_[0].hwnd());
}

void CWrendleFrame::OnInkPause() {
  std::vector<StrokeEntry> strokes;
  const auto list = ink_box_->Strokes();
  strokes.assign(list.begin(), list.end());
  driver().RecognizeStrokes(strokes, true);
  ink_box_->Clear();
}

void CWrendleFrame::OnCharButton(UINT id) {
  char text[3] = "";
  const HWND button = GetDlgItem(hwnd(), static_cast<int>(id));
  if (button == nullptr) return;
  const int length = GetWindowTextA(button, text, sizeof text);
  InsertText(std::string_view(text, static_cast<std::size_t>(std::max(length, 0))), 2);
}

void CWrendleFrame::InsertText(std::string_view text, int length) {
  for (const std::uint16_t code : InsertTextCodes(text, length)) driver().SendKeyCode(code);
  RefreshPane(kPanePhrases, 0);
}

void CWrendleFrame::ShowAssocPage(int offset) {
  phrase_offset_ = 0;
  if (!phrase_provider_ || !phrases_) return;
  if (!phrase_provider_->HoldsKey(SelectedCode())) {
    phrases_->SetCodes({});
    return;
  }
  const int page_size = phrases_->grid().rows() * phrases_->grid().columns();
  const PhrasePage page = PagePhrases(offset, phrase_provider_->EntryCount(), page_size);
  std::vector<std::uint8_t> codes;
  for (int i = page.offset; i < page.offset + page.count; ++i) {
    const std::string head = phrase_provider_->EntryHead(i);
    if (head.size() < 2) continue;
    codes.push_back(static_cast<std::uint8_t>(head[0]));
    codes.push_back(static_cast<std::uint8_t>(head[1]));
  }
  phrases_->SetCodes(codes);
  phrase_offset_ = page.offset;
}

std::uint16_t CWrendleFrame::SelectedCode() const {
  const CCandidateItem* cell = driver().Cell(-1);
  return cell != nullptr ? cell->code() : 0;
}

void CWrendleFrame::RefreshPane(int index, std::uint16_t key) {
  if (panes_[static_cast<std::size_t>(index)]) panes_[static_cast<std::size_t>(index)]->Refresh(key);
}

std::intptr_t CWrendleFrame::OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) {
  switch (code) {
    case kEventCellChanged: {
      const CCandidateItem* cell = CellFromArg(a);
      const std::uint16_t key = cell != nullptr ? cell->code() : 0;
      RefreshPane(kPanePhrases, key);
      RefreshPane(kPaneHomophones, key);
      ShowAssocPage(0);
      const CCandidateItem* first = driver().Cell(0);
      const std::string text = first != nullptr ? CellLabel(first->code(), context_.user_map) : "";
      const std::string title = services_.LoadResString(kStringTitle, -1).value_or("");
      SetWindowTextA(hwnd(), CellCaption(title, driver().capacity(), text).c_str());
      return 0;
    }
    case kEventGetTarget:
      return reinterpret_cast<std::intptr_t>(GetTargetWindow(hwnd(), context_.hook));
    case kEventLineDone: {
      const CCandidateItem* first = driver().Cell(0);
      if (candidates_) {
        candidates_->SetCodes(first != nullptr ? CodeBytes(first->candidates())
                                               : std::vector<std::uint8_t>{});
      }
      ShowAssocPage(0);
      return 0;
    }
    case kEventRequest:
      break;
    default:
      return CRecogFrame::OnRecogEvent(code, a, b);
  }
  const HookHandle handle = intake_.handle();
  const Settings& s = context_.settings;
  switch (a) {
    case kRequestPen:
      ApplyPenSettings();
      return 0;
    case kRequestCaptureOff:
      owner_.EnableMouse(handle, 0);
      return 0;
    case kRequestCaptureOn:
      owner_.EnableMouse(handle, s.layout != 0 ? s.pen_mouse : 0);
      return 0;
    case kRequestFillMenu:
      BuildPopupMenu(reinterpret_cast<HMENU>(b), MenuState(),
                     [this](unsigned id, int language) { return services_.LoadResString(id, language); });
      return 1;
    default:
      return CRecogFrame::OnRecogEvent(code, a, b);
  }
}

void CWrendleFrame::ApplyPenSettings() {
  const Settings& s = context_.settings;
  const HookHandle handle = intake_.handle();
  owner_.SetPen(handle, s.pen_width, s.pen_color);
  owner_.SetDelayEx(handle, s.delay * 10, s.sensitive * 10);
  context_.dispatcher.CutSetting(s.char_pitch);
  if (candidates_) candidates_->SetColor(s.pen_color);
  if (phrases_) phrases_->SetColor(s.pen_color);
  if (ink_box_) {
    ink_box_->SetPen(s.pen_width, s.pen_color);
    ink_box_->set_pause(static_cast<std::uint32_t>(s.delay) * 10);
  }
}

void CWrendleFrame::OnWindowMode() {
  Settings& s = context_.settings;
  const HWND foreground = GetForegroundWindow();
  RECT window;
  GetWindowRect(hwnd(), &window);
  for (int i = 0; i < kPaneCount; ++i) StorePaneState(i);
  s.layout = s.layout == 0 ? 1 : 0;
  for (int i = 0; i < kPaneCount; ++i) {
    ShowPane(i, PaneTable(s)[i].open);
    MovePaneToLayout(i);
  }
  if (s.layout != 0) {
    if (!IsIconic(hwnd()) && !IsIconicPosition(window.left, window.top) && IsWindowVisible(hwnd()))
      saved_ = window;
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (pad_) ShowWindow(pad_->hwnd(), SW_SHOWNA);
    Request(kRequestCaptureOn);
  } else {
    SetWindowPos(hwnd(), nullptr, saved_.left, saved_.top, saved_.right - saved_.left,
                 saved_.bottom - saved_.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (pad_) ShowWindow(pad_->hwnd(), SW_HIDE);
    Request(kRequestCaptureOff);
  }
  SwitchTabletContext();
  if (foreground != nullptr && GetForegroundWindow() != foreground) SetForegroundWindow(foreground);
}

void CWrendleFrame::SwitchTabletContext() {
  if (!ink_box_) return;
  const bool write_pad = context_.settings.layout == 0;
  ink_box_->tablet().Overlap(write_pad);
  ink_box_->tablet().Enable(write_pad);
}

void CWrendleFrame::OnShowPad(WPARAM show, LPARAM layout) {
  const Settings& s = context_.settings;
  if (show == 1) {
    for (auto& pane : panes_) {
      if (pane) ShowWindow(pane->hwnd(), SW_SHOWNA);
    }
    if (layout == static_cast<LPARAM>(kShowPadWritePad)) {
      if (s.layout == 0) {
        ShowWindow(hwnd(), SW_SHOWNA);
      } else {
        if (pad_) pad_->SendMessage(CPadFrame::kShowPadFrame, 1);
        OnWindowMode();
      }
    } else if (layout == static_cast<LPARAM>(kShowPadFullScreen)) {
      if (s.layout == 0) {
        ShowWindow(hwnd(), SW_SHOWNA);
        OnWindowMode();
      } else if (pad_) {
        pad_->SendMessage(CPadFrame::kShowPadFrame, 1);
      }
    }
  } else if (show == 0) {
    for (auto& pane : panes_) {
      if (pane) ShowWindow(pane->hwnd(), SW_HIDE);
    }
    if (s.layout != 0) {
      if (pad_) pad_->SendMessage(CPadFrame::kShowPadFrame, 0);
    } else {
      ShowWindow(hwnd(), SW_HIDE);
    }
  }
}

void CWrendleFrame::ShowAll(bool show) {
  const bool full_screen = context_.settings.layout != 0;
  ShowWindow(hwnd(), show && !full_screen ? SW_SHOWNA : SW_HIDE);
  if (pad_) ShowWindow(pad_->hwnd(), show && full_screen ? SW_SHOWNA : SW_HIDE);
  for (auto& pane : panes_) {
    if (pane) ShowWindow(pane->hwnd(), show ? SW_SHOWNA : SW_HIDE);
  }
}

int CWrendleFrame::ShowPane(int index, bool show) {
  if (index < 0 || index >= kPaneCount) return 0;
  auto& slot = panes_[static_cast<std::size_t>(index)];
  // A pane that is not built yet keeps its stored flag and place.
  if (!pane_factory_.Provides(index)) return 0;
  if (show) {
    if (slot) return 1;
    slot = pane_factory_.Create(index, static_cast<PaneHost&>(*this));
    if (!slot) return 0;
    if (index == kPanePhrases || index == kPaneHomophones) slot->Refresh(SelectedCode());
    return 1;
  }
  StorePaneState(index);
  if (!slot) return 0;
  slot.reset();
  return 1;
}

FramePane* CWrendleFrame::IsPaneOpen(int index) const {
  if (index < 0 || index >= kPaneCount) return nullptr;
  return panes_[static_cast<std::size_t>(index)].get();
}

void CWrendleFrame::StorePaneState(int index) {
  if (!pane_factory_.Provides(index)) return;
  const FramePane* pane = IsPaneOpen(index);
  RECT rect = {0, 0, 0, 0};
  if (pane != nullptr) GetWindowRect(pane->hwnd(), &rect);
  app::StorePaneState(context_.settings, index, pane != nullptr, {rect.left, rect.top});
}

void CWrendleFrame::MovePaneToLayout(int index) {
  const FramePane* pane = IsPaneOpen(index);
  if (pane == nullptr) return;
  const Point at = GetPanePosition(index);
  SetWindowPos(pane->hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point CWrendleFrame::GetPanePosition(int index) const { return PanePosition(context_.settings, index); }

void CWrendleFrame::UnionPaneRects(RECT& rect) const {
  for (const auto& pane : panes_) {
    if (!pane) continue;
    RECT pane_rect;
    GetWindowRect(pane->hwnd(), &pane_rect);
    UnionRect(&rect, &rect, &pane_rect);
  }
}

void CWrendleFrame::MovePanesBy(int dx, int dy) {
  for (const auto& pane : panes_) {
    if (!pane) continue;
    RECT rect;
    GetWindowRect(pane->hwnd(), &rect);
    SetWindowPos(pane->hwnd(), nullptr, rect.left + dx, rect.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(pane->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void CWrendleFrame::SendToCompanion(UINT message) {
  const HWND companion = FindWindowA(kCompanionClass, nullptr);
  if (companion == nullptr) return;
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(companion, message, 0, 0, SMTO_ABORTIFHUNG, kCompanionTimeoutMs, &answer);
}

void CWrendleFrame::OnClose() {
  Settings& s = context_.settings;
  RememberForeground();
  SetFocus(hwnd());
  Request(kRequestCaptureOff);
  owner_.UnhookJR();
  owner_.UnhookCBT();
  owner_.UnhookMouse(0);
  s.px = saved_.left;
  s.py = saved_.top;
  s.sx = saved_.right;
  s.sy = saved_.bottom;
  if (pad_) {
    RECT pad;
    GetWindowRect(pad_->hwnd(), &pad);
    s.mx = pad.left;
    s.my = pad.top;
  }
  for (int i = 0; i < kPaneCount; ++i) ShowPane(i, false);
  pad_.reset();
  DestroyWindow();
}

void CWrendleFrame::OnDestroy() {
  Default();
  pad_.reset();
  const HookHandle handle = intake_.handle();
  if (handle != 0) owner_.Unhook(handle);
  intake_.set_handle(0);
  // A registration of an earlier instance with the same tag.
  const HookHandle earlier = owner_.FindHook(0, 1);
  if (earlier != 0) owner_.Unhook(earlier);
}

HWND CWrendleFrame::OutputOwner() const { return pad_ ? pad_->hwnd() : hwnd(); }

bool CWrendleFrame::PadVisible() { return pad_ && IsWindowVisible(pad_->hwnd()); }

bool CWrendleFrame::WaitButtonVisible() { return IsWindowVisible(wait_button_.hwnd()) != FALSE; }

platform::WindowHandle CWrendleFrame::WaitButtonWindow() {
  return reinterpret_cast<platform::WindowHandle>(wait_button_.hwnd());
}

void CWrendleFrame::ShowWaitButton(Point at) {
  SetWindowPos(wait_button_.hwnd(), HWND_TOPMOST, at.x, at.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetCapture(wait_button_.hwnd());
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
}

void CWrendleFrame::HideWaitButton() {
  if (GetCapture() == wait_button_.hwnd()) ReleaseCapture();
  ShowWindow(wait_button_.hwnd(), SW_HIDE);
}

Point CWrendleFrame::CursorPosition() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  return {cursor.x, cursor.y};
}

Size CWrendleFrame::FullScreenSize() {
  return {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
}

bool CWrendleFrame::PostFetched(std::uint32_t sequence) {
  return PostMessage(kPenNotify, StrokeIntake::kFetched, static_cast<LPARAM>(sequence));
}

void CWrendleFrame::Reply() { ReplyMessage(0); }

void CWrendleFrame::Request(int code) { driver().Raise(kEventRequest, code, 0); }

void CWrendleFrame::Recognize(std::span<const StrokeEntry> strokes) {
  driver().RecognizeStrokes(strokes, false);
}

void CWrendleFrame::InsertText(const char* text, int length) {
  InsertText(std::string_view(text != nullptr ? text : ""), length);
}

void CWrendleFrame::SendKeyCodeAtSelection(std::uint16_t code) { driver().SendKeyCodeAtSelection(code); }

void CWrendleFrame::SendKeyCodeAfterSelection(std::uint16_t code) {
  driver().SendKeyCodeAfterSelection(code);
}

void CWrendleFrame::PadSendKeyCode(std::uint16_t code, bool clear_replace_sent) {
  if (clear_replace_sent) driver().clear_replace_sent();
  driver().SendKeyCode(code);
}

void CWrendleFrame::HidePane(int index) {
  // Asked from a handler of the pane itself (its Exit or close button): the
  // pane and its buttons go once that handler has returned.
  const FramePane* pane = IsPaneOpen(index);
  if (pane != nullptr)
    PostMessage(kClosePane, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(pane->hwnd()));
}

void CWrendleFrame::LayoutPadForEmptyStrip() {
  if (pad_) pad_->LayoutFor(0);
}

void CWrendleFrame::RaiseEvent(int code, int a, std::intptr_t b) { driver().Raise(code, a, b); }

std::string CWrendleFrame::StartupUserName() { return services_.StartupUserName(); }

}  // namespace wrendle::app
