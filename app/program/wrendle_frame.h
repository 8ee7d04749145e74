// CWrendleFrame: the pen-input program's main window ("ZEZIRAREVI"). It is
// the hook library's owner and takes the captured strokes; in write-pad
// layout it is the visible writing window (candidate and phrase rows,
// bitmap and character buttons, ink box), in full-screen layout it stays
// hidden beside the writing pad. It owns the pad, the wait button and the
// popup panes, and answers the companion program.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "app/core/assoc_phrase_provider.h"
#include "app/core/frame_layout.h"
#include "app/core/hook_owner.h"
#include "app/core/popup_menu_model.h"
#include "app/core/stroke_intake.h"
#include "app/program/frame_services.h"
#include "app/program/pad_frame.h"
#include "app/program/pane_host.h"
#include "app/win32/candidate_list.h"
#include "app/win32/ink_box.h"
#include "app/win32/jeb_button.h"
#include "app/win32/recog_frame.h"
#include "app/win32/wait_button.h"

namespace wrendle::app {

class CWrendleFrame : public CRecogFrame, private StrokeIntakeHost, private PaneHost {
 public:
  static constexpr char kWindowClass[] = "ZEZIRAREVI";
  static constexpr char kCompanionClass[] = "SubWrendle";
  static constexpr UINT kPenNotify = WM_USER + 211;  // 1235
  static constexpr UINT kShowPad = WM_USER + 400;
  static constexpr UINT kPadMinimized = WM_USER + 410;
  static constexpr UINT kPadRestored = WM_USER + 420;
  static constexpr UINT kResendPadMode = WM_USER + 430;
  static constexpr UINT kCandidateListId = 1021;
  static constexpr UINT kPhraseListId = 1054;
  static constexpr UINT kInkBoxId = 1019;
  static constexpr UINT kPopupMenuCommand = 67;
  // Posted to itself when a pane asks to be closed (wParam the index,
  // lParam its window): the pane goes once its own handler has returned.
  static constexpr UINT kClosePane = WM_APP + 1;
  static constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
  static constexpr DWORD kCompanionTimeoutMs = 1000;

  CWrendleFrame(ProgramContext& context, HookOwner& owner, FrameServices& services, PaneFactory& panes);
  ~CWrendleFrame() override;

  // Creates the frame at (Px, Py); false when the hook library refused it.
  bool Create(HICON icon);

  std::intptr_t OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) override;

  int ShowPane(int index, bool show);
  FramePane* IsPaneOpen(int index) const;
  void InsertText(std::string_view text, int length);
  void ShowAssocPage(int offset);
  void ApplyLanguage();
  void RebuildLanguageData();
  void OnWindowMode();
  Point GetPanePosition(int index) const override;
  void UnionPaneRects(RECT& rect) const;
  void MovePanesBy(int dx, int dy);
  void ShowAll(bool show);

  CPadFrame* pad() const { return pad_.get(); }
  CWaitButton& wait_button() { return wait_button_; }
  CInkBox& ink_box() { return *ink_box_; }
  CCandidateList& candidates() { return *candidates_; }
  CCandidateList& phrases() { return *phrases_; }
  HookHandle hook_handle() const { return intake_.handle(); }
  const RECT& saved_rect() const { return saved_; }
  Size min_track() const { return min_track_; }
  FrameServices& services() { return services_; }
  PopupMenuState MenuState() const;
  // The frame's associated-phrase provider; null while there is none.
  CAssocPhraseProvider* AssocPhraseProvider() override { return phrase_provider_.get(); }
  // The page offset of the associated-phrase row.
  int phrase_offset() const { return phrase_offset_; }

 protected:
  int OnCreate(CREATESTRUCTA* create) override;
  void OnDestroy() override;
  void OnClose() override;
  bool OnEraseBkgnd(HDC dc) override;
  int OnMouseActivate(HWND top_level, UINT hit_test, UINT message) override;
  void OnMove(int x, int y) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnNcLButtonDown(UINT hit_test, POINT screen_point) override;
  void OnNcLButtonDblClk(UINT hit_test, POINT screen_point) override {
    OnNcLButtonDown(hit_test, screen_point);
  }
  void OnNcRButtonDown(UINT hit_test, POINT screen_point) override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  void OnSysCommand(UINT id, LPARAM lparam) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;
  void OnActivateApp(bool active, DWORD thread_id) override;
  void OnInitMenu(HMENU menu) override;
  bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  HWND OutputOwner() const override;

 private:
  // StrokeIntakeHost.
  bool PadVisible() override;
  bool WaitButtonVisible() override;
  platform::WindowHandle WaitButtonWindow() override;
  void ShowWaitButton(Point at) override;
  void HideWaitButton() override;
  Point CursorPosition() override;
  Size FullScreenSize() override;
  bool PostFetched(std::uint32_t sequence) override;
  void Reply() override;
  void Request(int code) override;
  void Recognize(std::span<const StrokeEntry> strokes) override;
  // PaneHost.
  void InsertText(const char* text, int length) override;
  void SendKeyCodeAtSelection(std::uint16_t code) override;
  void SendKeyCodeAfterSelection(std::uint16_t code) override;
  void PadSendKeyCode(std::uint16_t code, bool clear_replace_sent) override;
  void HidePane(int index) override;
  void LayoutPadForEmptyStrip() override;
  void RaiseEvent(int code, int a, std::intptr_t b) override;
  std::string StartupUserName() override;
  Settings& settings() override { return context_.settings; }

  bool LayoutControls();
  void ApplyPenSettings();
  void OnShowPad(WPARAM show, LPARAM layout);
  void OnPopupMenu();
  void OnInkPause();
  void OnCharButton(UINT id);
  void StorePaneState(int index);
  void MovePaneToLayout(int index);
  void RefreshPane(int index, std::uint16_t key);
  void FillSystemMenu(HMENU menu);
  void TrackSystemMenu();
  void ActivateRemembered();
  void SendToCompanion(UINT message);
  void SaveWindowRect();
  // The ink box's tablet context takes the pen exactly in write-pad layout.
  void SwitchTabletContext();
  std::uint16_t SelectedCode() const;

  HookOwner& owner_;
  FrameServices& services_;
  PaneFactory& pane_factory_;
  StrokeIntake intake_;
  FrameMetrics metrics_;
  RECT saved_{};
  Size min_track_;
  Size max_track_;
  std::unique_ptr<CInkBox> ink_box_;
  std::unique_ptr<CCandidateList> candidates_;
  std::unique_ptr<CCandidateList> phrases_;
  std::array<CJebBitmapButton, 8> bitmap_buttons_;
  std::array<CJebButton, kCharButtonCount> char_buttons_;
  CWaitButton wait_button_;
  std::unique_ptr<CPadFrame> pad_;
  // Declared before the panes: a phrase pane leaves the provider before it goes.
  std::unique_ptr<CAssocPhraseProvider> phrase_provider_;
  std::array<std::unique_ptr<FramePane>, kPaneCount> panes_;
  int phrase_offset_ = 0;
  bool controls_made_ = false;
  HWND remembered_active_ = nullptr;
};

}  // namespace wrendle::app
