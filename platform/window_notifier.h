// Messages to another program's window: posted, or sent with a time-out so
// that a hung window cannot block the sender for ever.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/notification_window.h"

namespace platform {

class WindowNotifier {
 public:
  virtual ~WindowNotifier() = default;

  virtual bool IsWindow(WindowHandle window) = 0;
  virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                    std::intptr_t lparam) = 0;
  // The window's answer; nullopt when the send failed or timed out.
  virtual std::optional<std::uintptr_t> Send(WindowHandle window, std::uint32_t message,
                                             std::uintptr_t wparam, std::intptr_t lparam,
                                             std::uint32_t timeout_ms) = 0;
};

// Windows: PostMessage and SendMessageTimeout. Natively: the windows of
// NotificationWindow, which answer sends while a thread waits on them.
std::unique_ptr<WindowNotifier> MakeSystemWindowNotifier();

}  // namespace platform
