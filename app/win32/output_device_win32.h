// The Win32 calls that carry out a send plan.
#pragma once

#include <windows.h>

#include "app/core/hook_library.h"
#include "app/core/recognition_dispatcher.h"
#include "app/core/send_plan.h"

namespace wrendle::app {

class Win32OutputDevice final : public OutputDevice {
 public:
  Win32OutputDevice(RecognitionDispatcher& dispatcher, HookLibrary& hook, HWND rich_edit)
      : dispatcher_(dispatcher), hook_(hook), rich_edit_(rich_edit) {}

  void SetPrevCharacter(int code) override;
  void PostChar(WindowHandle target, std::uint8_t byte) override;
  void PostKey(WindowHandle target, bool down, std::uint8_t vk, std::uint32_t flags) override;
  bool OpenClipboard(WindowHandle owner) override;
  bool EmptyClipboard() override;
  bool PutText(std::string_view bytes) override;
  bool PutUnicodeText(std::string_view bytes, int code_page) override;
  void CloseClipboard() override;
  bool RichEditCopy(std::string_view bytes, int code_page) override;
  bool PostImeString(std::string_view bytes) override;
  void ReleaseCapture() override;
  void SetForeground(WindowHandle window) override;
  void PlayKeys(std::span<const std::uint16_t> words) override;
  void Wait(int milliseconds) override;

 private:
  RecognitionDispatcher& dispatcher_;
  HookLibrary& hook_;
  HWND rich_edit_;
};

// keybd_event for each word of a key sequence (see KeyEventFlags), with the
// scan code from MapVirtualKey.
void SendKeySequence(std::span<const std::uint16_t> words);

}  // namespace wrendle::app
