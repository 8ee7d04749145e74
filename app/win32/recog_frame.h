// CRecogFrame: the frame-window base of the program's writing surfaces (the
// main frame and the writing pad). The recognition driver it shares with
// the other frames raises its events here; the frame sends what events 11
// and 12 hand it as WM_SENDRESULT to itself and, when that message is
// handled, to the target window.
#pragma once

#include <cstdint>

#include "app/core/recognition_driver.h"
#include "app/framework/frame_wnd.h"
#include "app/win32/program_context.h"

namespace wrendle::app {

class CRecogFrame : public framework::CFrameWnd, public RecogEventTarget, protected SendResultPoster {
 public:
  explicit CRecogFrame(ProgramContext& context);
  ~CRecogFrame() override;

  // The base handling of events 11, 12, 106, 107 and 108; derived frames
  // handle the other codes and pass every code on to this.
  std::intptr_t OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) override;

  RecognitionDriver& driver() const { return context_.driver; }

 protected:
  bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  // WM_SENDRESULT: sends the code in wParam to the window in lParam.
  LRESULT OnSendResult(WPARAM wparam, LPARAM lparam);
  // The clipboard owner of text output: the writing pad's window when it
  // exists, else this frame's.
  virtual HWND OutputOwner() const { return hwnd(); }

  ProgramContext& context_;

 private:
  void PostSendResult(std::uint16_t code, WindowHandle target) override;
};

}  // namespace wrendle::app
