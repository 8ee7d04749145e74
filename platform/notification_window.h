// A hidden window that other modules post notifications to (the engine's
// WM_PENRESULT), and a blocking wait for one such message on the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

using WindowHandle = std::uintptr_t;

struct WindowMessage {
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
};

class NotificationWindow {
 public:
  // Windows: a hidden dialog, not visible, without controls, whose procedure
  // claims only `claimed_message`. Natively: a message queue whose address is
  // the handle. Null when it can't be created.
  static std::unique_ptr<NotificationWindow> Create(std::uint32_t claimed_message);

  virtual ~NotificationWindow() = default;
  virtual WindowHandle Handle() const = 0;

  // Removes this window's messages in order until one of id `message` arrives
  // and returns it; others are dispatched. Nullopt when the window is gone.
  // There is no time-out.
  virtual std::optional<WindowMessage> WaitFor(std::uint32_t message) = 0;
};

// PostMessage to `window`; natively only to a live NotificationWindow.
bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

// Shows the wait cursor while it lives and restores the one in force before.
// Natively there is no cursor.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  [[maybe_unused]] void* previous_;  // the Windows build only
};

}  // namespace platform
