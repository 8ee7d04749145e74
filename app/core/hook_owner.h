// The hook library's owner calls, made by the main frame that registers with
// "JEBHOOK32" and takes the captured strokes from it; behind an interface of
// the program's own so that the frame's stroke intake is tested without the
// library. An owner handle of 0 names no owner.
#pragma once

#include <cstdint>

#include "app/core/geometry.h"
#include "platform/notification_window.h"

namespace wrendle::app {

using HookHandle = std::uint32_t;

class HookOwner {
 public:
  virtual ~HookOwner() = default;
  // Registers `window`, told through `message`; 0 when refused.
  virtual HookHandle Hook(platform::WindowHandle window, std::uint32_t message, int tag, int flags) = 0;
  virtual int Unhook(HookHandle handle) = 0;
  virtual int Rehook(HookHandle handle) = 0;
  // The first owner of that window (0: any) and tag (0: any), else 0.
  virtual HookHandle FindHook(platform::WindowHandle window, int tag) = 0;
  virtual int SetActive(HookHandle handle, int flag) = 0;
  // The last capture's StrokeList in bytes, a copy of at most `size` bytes
  // of it (the count copied), and its release.
  virtual int GetSize(HookHandle handle, int counter) = 0;
  virtual int GetData(HookHandle handle, int counter, void* buffer, int size) = 0;
  virtual int ClearData(HookHandle handle, int counter) = 0;
  // The tablet pen's last position in screen pixels.
  virtual Point GetLastPosition() = 0;
  // waiting non-zero: wait for the button `window`; flag non-zero: stop
  // waiting; both 0: end the capture, which is then recognized.
  virtual int SetWaitingRecognize(int waiting, int flag, platform::WindowHandle window) = 0;
  virtual int SetPen(HookHandle handle, int width, std::uint32_t colour) = 0;
  virtual int SetDelayEx(HookHandle handle, int pause_ms, int hold_ms) = 0;
  virtual int EnableMouse(HookHandle handle, int mode) = 0;
  virtual int SetIsPressure(int mode) = 0;
  virtual void InitialWintab(platform::WindowHandle window) = 0;
  // The older interface's calls, kept for their order; they do nothing.
  virtual void UnhookJR() = 0;
  virtual void UnhookCBT() = 0;
  virtual void UnhookMouse(platform::WindowHandle window) = 0;
};

}  // namespace wrendle::app
