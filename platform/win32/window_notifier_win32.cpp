#include <windows.h>

#include "platform/window_notifier.h"

namespace platform {
namespace {

class SystemWindowNotifier final : public WindowNotifier {
 public:
  bool IsWindow(WindowHandle window) override { return ::IsWindow(reinterpret_cast<HWND>(window)) != FALSE; }

  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
            std::intptr_t lparam) override {
    return PostMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wparam),
                        static_cast<LPARAM>(lparam)) != FALSE;
  }

  std::optional<std::uintptr_t> Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                     std::intptr_t lparam, std::uint32_t timeout_ms) override {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wparam),
                            static_cast<LPARAM>(lparam), SMTO_NORMAL, timeout_ms, &answer) == 0) {
      return std::nullopt;
    }
    return static_cast<std::uintptr_t>(answer);
  }
};

}  // namespace

std::unique_ptr<WindowNotifier> MakeSystemWindowNotifier() {
  return std::make_unique<SystemWindowNotifier>();
}

}  // namespace platform
