// The calls into "JEBHOOK32" through its import library. Until the hook
// library is part of the build (WRENDLE_HAVE_JEBHOOK32 unset), the binding
// answers as a library without a foreign focus window that takes no
// composition-string text and refuses every owner.
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

#if WRENDLE_HAVE_JEBHOOK32
HWND Window(platform::WindowHandle window) { return reinterpret_cast<HWND>(window); }

class JebHookOwner final : public HookOwner {
 public:
  HookHandle Hook(platform::WindowHandle window, std::uint32_t message, int tag, int flags) override {
    return JebExHook(Window(window), message, tag, flags);
  }
  int Unhook(HookHandle handle) override { return JebExUnhook(handle); }
  int Rehook(HookHandle handle) override { return JebExRehook(handle, 0); }
  HookHandle FindHook(platform::WindowHandle window, int tag) override {
    return JebExFindHook(Window(window), tag);
  }
  int SetActive(HookHandle handle, int flag) override { return JebExSetActive(handle, flag); }
  int GetSize(HookHandle handle, int counter) override { return JebExGetSize(handle, counter); }
  int GetData(HookHandle handle, int counter, void* buffer, int size) override {
    return JebExGetData(handle, counter, buffer, size);
  }
  int ClearData(HookHandle handle, int counter) override { return JebExClearData(handle, counter); }
  Point GetLastPosition() override {
    POINT position = {0, 0};
    JebExGetLastPosition(&position);
    return {position.x, position.y};
  }
  int SetWaitingRecognize(int waiting, int flag, platform::WindowHandle window) override {
    return JebExSetWaittingRecognize(waiting, flag, Window(window));
  }
  int SetPen(HookHandle handle, int width, std::uint32_t colour) override {
    return JebExSetPen(handle, width, colour);
  }
  int SetDelayEx(HookHandle handle, int pause_ms, int hold_ms) override {
    return JebExSetDelayEx(handle, pause_ms, hold_ms);
  }
  int EnableMouse(HookHandle handle, int mode) override { return JebExEnableMouse(handle, mode); }
  int SetIsPressure(int mode) override { return JebExSetIsPressure(mode); }
  void InitialWintab(platform::WindowHandle window) override { JebExInitialWintab(Window(window)); }
  void UnhookJR() override { JebUnhookJR(); }
  void UnhookCBT() override { JebUnhookCBT(); }
  void UnhookMouse(platform::WindowHandle window) override { JebUnhookMouse(Window(window)); }
};
#else
class JebHookOwner final : public HookOwner {
 public:
  HookHandle Hook(platform::WindowHandle, std::uint32_t, int, int) override { return 0; }
  int Unhook(HookHandle) override { return 0; }
  int Rehook(HookHandle) override { return 0; }
  HookHandle FindHook(platform::WindowHandle, int) override { return 0; }
  int SetActive(HookHandle, int) override { return 0; }
  int GetSize(HookHandle, int) override { return 0; }
  int GetData(HookHandle, int, void*, int) override { return 0; }
  int ClearData(HookHandle, int) override { return 0; }
  Point GetLastPosition() override { return {}; }
  int SetWaitingRecognize(int, int, platform::WindowHandle) override { return 0; }
  int SetPen(HookHandle, int, std::uint32_t) override { return 0; }
  int SetDelayEx(HookHandle, int, int) override { return 0; }
  int EnableMouse(HookHandle, int) override { return 0; }
  int SetIsPressure(int mode) override { return mode; }
  void InitialWintab(platform::WindowHandle) override {}
  void UnhookJR() override {}
  void UnhookCBT() override {}
  void UnhookMouse(platform::WindowHandle) override {}
};
#endif

}  // namespace

std::unique_ptr<HookLibrary> MakeJebHookLibrary() { return std::make_unique<JebHookLibrary>(); }
std::unique_ptr<HookOwner> MakeJebHookOwner() { return std::make_unique<JebHookOwner>(); }

}  // namespace wrendle::app
