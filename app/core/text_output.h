// Text output to the target window: what a WM_SENDRESULT (code, target)
// becomes. Characters go to the target as character messages, through the
// clipboard and a simulated Ctrl+V (ANSI text, or Unicode text made by the
// hidden rich-edit window), or through the hook library's composition
// string; keys go as key-down and key-up messages. Consecutive queued codes
// for one target are gathered into one text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/send_plan.h"
#include "app/core/settings.h"
#include "app/core/user_map.h"

namespace wrendle::app {

// WM_SENDRESULT: wParam the code, lParam the target window.
inline constexpr std::uint32_t kSendResultMessage = 0x1615;

// Gathering stops once the text is this long.
inline constexpr std::size_t kGatherLimit = 124;

// 0 when the window class begins with none of these, else the 1-based index
// of the first match (without regard to case): 1 "RichEdit20W", 2 "_WwG",
// 3 "paneClassDC", 4 "EXCEL", 5 "RichEdit20A", 6 "Internet Explorer_Server".
int TargetKindOf(std::string_view class_name);
inline constexpr int kTargetOther = 0;
inline constexpr int kTargetWord = 2;  // "_WwG": spacing goes before each character

// The WM_SENDRESULT messages queued behind the one being handled.
class PendingSends {
 public:
  struct Send {
    std::uint16_t code;
    WindowHandle target;
  };
  virtual ~PendingSends() = default;
  // The next queued one, left in the queue.
  virtual std::optional<Send> Peek() = 0;
  // Removes the one Peek returned.
  virtual void Remove() = 0;
};

class TextOutput {
 public:
  // `owner`: the clipboard owner (the writing pad's window when it exists,
  // else the frame's); `has_rich_edit`: the hidden rich-edit window exists.
  TextOutput(const Settings& settings, const CUserMap& user_map, WindowHandle owner, bool has_rich_edit);

  // The plan for one WM_SENDRESULT to a target of `kind`; removes from
  // `queue` what it gathers.
  SendPlan SendResult(WindowHandle target, int kind, std::uint16_t code, PendingSends& queue) const;
  SendPlan SendText(WindowHandle target, int kind, const std::string& text, PendingSends& queue) const;
  SendPlan SendKey(WindowHandle target, int kind, std::uint16_t code) const;

 private:
  // True when `kind` takes Unicode text: PostUnicode on and a known class.
  bool UnicodeTarget(int kind) const { return settings_.post_unicode && kind != kTargetOther; }
  // The text a user code stands for, nullopt for other codes.
  std::optional<std::string> UserText(std::uint16_t code) const;
  void SendRecognizedText(WindowHandle target, int kind, const std::string& text, PendingSends& queue,
                          SendPlan* plan) const;

  const Settings& settings_;
  const CUserMap& user_map_;
  WindowHandle owner_;
  bool has_rich_edit_;
};

}  // namespace wrendle::app
