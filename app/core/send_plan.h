// A send plan: what text output does to reach the target window, step by
// step, decided in portable code. ExecutePlan runs it on an OutputDevice,
// which the program implements with Win32 calls and tests with a recorder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/notification_window.h"

namespace wrendle::app {

using platform::WindowHandle;

struct SendStep {
  enum class Kind {
    kSetPrevCharacter,  // value: the code for the dispatcher's previous character
    kPostChar,          // window, value: byte; WM_CHAR with lParam 1
    kPostKeyDown,       // window, value: virtual key, flags: lParam without the scan code
    kPostKeyUp,         // the same for WM_KEYUP
    kOpenClipboard,     // window: the clipboard owner
    kEmptyClipboard,
    kPutText,           // text as CF_TEXT
    kPutUnicodeText,    // text in code page `value`, as CF_UNICODETEXT
    kCloseClipboard,
    kRichEditCopy,      // text in code page `value`, copied by the hidden rich-edit window
    kPostImeString,     // text through the hook library's composition string
    kReleaseCapture,
    kSetForeground,     // window
    kPlayKeys,          // keys: words of a key sequence (see KeyEventFlags)
    kWait,              // value: milliseconds
  };

  Kind kind = Kind::kWait;
  WindowHandle window = 0;
  int value = 0;
  std::uint32_t flags = 0;
  std::string text;
  std::vector<std::uint16_t> keys;

  // The steps whose failure ends the plan: a paste must not follow a
  // clipboard that could not be opened or filled (it would paste whatever
  // the clipboard held before).
  bool Required() const {
    return kind == Kind::kOpenClipboard || kind == Kind::kEmptyClipboard || kind == Kind::kPutText ||
           kind == Kind::kPutUnicodeText;
  }
};

using SendPlan = std::vector<SendStep>;

// One line per step, for tests and traces: "char 0x41", "keydown 8 0x1",
// "clipboard-text d6d0", ...
std::string Describe(const SendStep& step);
std::vector<std::string> Describe(const SendPlan& plan);

// Key sequence words: low byte a virtual key, bit 15 key-up, bit 8 extended
// key; a zero word ends a sequence. The keybd_event flags of one word.
std::uint32_t KeyEventFlags(std::uint16_t word);

// Ctrl down, V down, Ctrl up, V up.
inline constexpr std::uint16_t kPasteKeys[] = {0x0011, 0x0056, 0x8011, 0x8056};

class OutputDevice {
 public:
  virtual ~OutputDevice() = default;
  virtual void SetPrevCharacter(int code) = 0;
  virtual void PostChar(WindowHandle target, std::uint8_t byte) = 0;
  // lParam = flags | scan code of `vk` << 16.
  virtual void PostKey(WindowHandle target, bool down, std::uint8_t vk, std::uint32_t flags) = 0;
  virtual bool OpenClipboard(WindowHandle owner) = 0;
  virtual bool EmptyClipboard() = 0;
  virtual bool PutText(std::string_view bytes) = 0;
  virtual bool PutUnicodeText(std::string_view bytes, int code_page) = 0;
  virtual void CloseClipboard() = 0;
  virtual bool RichEditCopy(std::string_view bytes, int code_page) = 0;
  virtual bool PostImeString(std::string_view bytes) = 0;
  virtual void ReleaseCapture() = 0;
  virtual void SetForeground(WindowHandle window) = 0;
  virtual void PlayKeys(std::span<const std::uint16_t> words) = 0;
  virtual void Wait(int milliseconds) = 0;
};

// Runs the plan in order. When a required step fails, an open clipboard is
// closed and the rest of the plan is dropped; returns false then.
bool ExecutePlan(const SendPlan& plan, OutputDevice& device);

}  // namespace wrendle::app
