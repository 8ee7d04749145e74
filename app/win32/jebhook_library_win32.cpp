// The calls into "JEBHOOK32" through its import library. Until the hook
// library is part of the build (WRENDLE_HAVE_JEBHOOK32 unset), the binding
// answers as a library without a foreign focus window that takes no
// composition-string text.
#include "app/win32/jebhook_library.h"

#if WRENDLE_HAVE_JEBHOOK32
#include <string>

#include "hook/jebhook_api.h"
#endif

namespace wrendle::app {
namespace {

class JebHookLibrary final : public HookLibrary {
 public:
#if WRENDLE_HAVE_JEBHOOK32
  platform::WindowHandle GetFocusWindow() override {
    // The owner handle is not looked at.
    return reinterpret_cast<platform::WindowHandle>(JebExGetFocusWnd(0));
  }
  bool PostImeString(std::string_view text) override {
    const std::string terminated(text);
    return JebPostIMEStringChar(terminated.c_str()) > 0;
  }
  int SetWaitingRecognize(int waiting, int flag, platform::WindowHandle window) override {
    return JebExSetWaittingRecognize(waiting, flag, reinterpret_cast<HWND>(window));
  }
#else
  platform::WindowHandle GetFocusWindow() override { return 0; }
  bool PostImeString(std::string_view) override { return false; }
  int SetWaitingRecognize(int, int, platform::WindowHandle) override { return 0; }
#endif
};

}  // namespace

std::unique_ptr<HookLibrary> MakeJebHookLibrary() { return std::make_unique<JebHookLibrary>(); }

}  // namespace wrendle::app
