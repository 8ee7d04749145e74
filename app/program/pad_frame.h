// CPadFrame: the writing pad, the small always-on-top tool window with a
// drag grip, the menu, pen/mouse and send buttons and the result strip. It
// carries out the program's popup-menu commands, starts the outside
// programs and passes every recognition event on to the main frame.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/core/frame_layout.h"
#include "app/core/hook_owner.h"
#include "app/core/launch_watch.h"
#include "app/core/pad_commands.h"
#include "app/core/speech_support.h"
#include "app/program/frame_services.h"
#include "app/win32/float_frame.h"
#include "app/win32/jeb_button.h"
#include "app/win32/result_strip.h"

namespace wrendle::app {

class CWrendleFrame;

class CPadFrame : public CFloatFrame, private LaunchHost, private ProcessWaiter {
 public:
  static constexpr UINT kLaunchWait = WM_USER + 128;
  static constexpr UINT kShowPadFrame = WM_USER + 300;
  static constexpr UINT kStripId = 1006;
  static constexpr UINT kMenuButtonId = 1030;
  static constexpr UINT kPenMouseButtonId = 1074;
  static constexpr UINT kSendButtonId = 1003;
  static constexpr UINT_PTR kLaunchTimer = 128;
  static constexpr UINT kLaunchPollMs = 100;
  static constexpr UINT_PTR kForegroundTimer = 129;
  static constexpr UINT kForegroundMs = 600;

  CPadFrame(ProgramContext& context, CWrendleFrame& frame, FrameServices& services, HookOwner& owner);
  ~CPadFrame() override;

  // Creates the pad at (x, y), owned by `owner`, with the program's cursor
  // 147; then opens the tablet context on it.
  bool Create(int x, int y, HWND owner);

  std::intptr_t OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) override;
  // A command of WM_COMMAND or WM_SYSCOMMAND; false when it is not the pad's.
  bool RunCommand(UINT id, LPARAM lparam);
  void ReloadButtonTexts();
  // Sizes the pad for n cells in the strip.
  void LayoutFor(int n);

  CResultStrip& strip() { return *strip_; }
  CJebBitmapButton& pen_mouse_button() { return pen_mouse_; }
  BitmapPair pen_mouse_bitmaps() const { return pen_mouse_bitmaps_; }
  bool recognising() const { return recognising_; }
  const PadMetrics& metrics() const { return metrics_; }

 protected:
  int OnCreate(CREATESTRUCTA* create) override;
  void OnDestroy() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnMove(int x, int y) override;
  void OnPaint() override;
  void OnTimer(UINT_PTR id) override;
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  void OnSysCommand(UINT id, LPARAM lparam) override;
  bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  void GetFrameRect(RECT& rect, UINT flags) override;
  void MoveFrameBy(int dx, int dy, UINT flags) override;

 private:
  // LaunchHost.
  void ShowAll() override;
  void RequestCaptureOn() override;
  void SelectUserAtStartup() override;
  // ProcessWaiter.
  State Poll(ProcessId process) override;
  void Close(ProcessId process) override;

  void Request(int code);
  void SetPenMouseBitmaps(int mode);
  void TrackMenu();
  // A dialog with the pad hidden and the foreground kept.
  template <typename Run>
  void RunDialog(Run run);
  // The process of a started program, null when it could not start.
  HANDLE StartProgram(const std::string& command_line, DWORD flags, WORD show = SW_SHOWDEFAULT);
  void SignAndDraw();
  void StartHidden(const std::string& command_line, DWORD flags, int kind);
  void SwitchKernelVariant();
  void RunSetup();
  void RunTraining();

  CWrendleFrame& frame_;
  FrameServices& services_;
  HookOwner& owner_;
  PadMetrics metrics_;
  std::int32_t average_width_ = 0;
  std::unique_ptr<CResultStrip> strip_;
  CJebBitmapButton menu_;
  CJebBitmapButton pen_mouse_;
  CJebBitmapButton send_;
  BitmapPair pen_mouse_bitmaps_{0, 0};
  bool recognising_ = false;
  bool restore_foreground_ = false;
  LaunchWatch launches_;
  // Whether the Speech command (1088) is offered, decided at construction.
  SpeechSupport speech_;
};

}  // namespace wrendle::app
