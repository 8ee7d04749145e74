// CTabletContext: the ink box's own tablet context ("wrendle32_pad") and the
// pressure strokes read from its packet queue. The tablet library is loaded
// on first use, once for the program (UnloadTabletLibrary frees it).
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/core/ink_point_buffer.h"
#include "platform/win32/wintab.h"

namespace wrendle::app {

class CTabletContext {
 public:
  static constexpr char kContextName[] = "wrendle32_pad";

  CTabletContext() = default;
  CTabletContext(const CTabletContext&) = delete;
  CTabletContext& operator=(const CTabletContext&) = delete;
  ~CTabletContext() { Close(); }

  // Opens the context on `window` (an earlier one is closed first); the
  // context, null without a tablet library or a device.
  HANDLE Open(HWND window);
  void Close();
  bool is_open() const { return context_ != nullptr; }
  HANDLE handle() const { return context_; }

  // The layout switch: enabled and on top exactly in write-pad layout.
  bool Enable(bool enable);
  bool Overlap(bool to_top);

  void SetPen(int width, COLORREF colour) {
    width_ = width;
    colour_ = colour;
  }
  void set_dot_mode(bool on) { dot_mode_ = on; }

  // One pressure stroke pressed at `press` (client point of the context's
  // window): flushes the queue and waits up to 100 ms for a packet; with the
  // pressure button down in it, the stroke is read until the button is up,
  // the pen is quiet for 200 ms or the window loses the capture, drawn as
  // pressure dots and written to `buffer` in client points. False (nothing
  // written, the mouse stroke follows) when no packet came or the first one
  // had the button up.
  bool PollTablet(CInkPointBuffer& buffer, POINT press);

  // 0 to 255: the pressure above the press mark scaled to the range, 0 when
  // the pressure button is up.
  std::int32_t ScalePressure(const platform::win32::wintab::Packet& packet) const;

 private:
  bool WaitForPacket(platform::win32::wintab::Packet& packet, DWORD limit_ms);
  bool TipDown(const platform::win32::wintab::Packet& packet) const;

  HWND window_ = nullptr;
  HANDLE context_ = nullptr;
  std::int32_t button_bit_ = 0;
  std::int32_t press_mark_ = 0;
  std::int32_t pressure_range_ = 255;
  std::int32_t cursor_ = 0;
  POINT last_{};
  bool dot_mode_ = true;
  std::int32_t dot_factor_ = 20;
  int width_ = 6;
  COLORREF colour_ = 255;
};

// Frees the program's tablet library; the next Open loads it again.
void UnloadTabletLibrary();

}  // namespace wrendle::app
