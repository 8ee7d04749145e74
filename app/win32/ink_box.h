// CInkBox: the program's own writing area (window class "JebWrite"). Each
// press collects one stroke while the box holds the mouse capture, from the
// tablet's packets when pressure is chosen and the pen sends some; after
// the writing pause the box sends its control id to its parent as a
// command, and the parent recognizes the point buffer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "app/core/ink_point_buffer.h"
#include "app/framework/gdi.h"
#include "app/framework/wnd.h"
#include "app/win32/tablet_context.h"

namespace wrendle::app {

// Registers "JebWrite": no class style, the default window procedure, cursor
// 101 of the resource module and the brush of system colour index 12. The
// class name, empty when registration failed.
std::string RegisterWritingClass();

class CInkBox : public framework::CWnd {
 public:
  static constexpr UINT_PTR kPauseTimer = 1;

  // `pause_ms` 0: the command goes out at each pen-up.
  CInkBox(std::uint32_t pause_ms, int pen_width, COLORREF pen_colour);
  ~CInkBox() override;

  bool Create(const RECT& rect, HWND parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);

  void StartPauseTimer(std::uint32_t ms);
  void StopPauseTimer();
  void SetPen(int width, COLORREF colour);
  void set_pause(std::uint32_t ms) { pause_ms_ = ms; }
  // The pressure choice: strokes from the tablet's packets when it has some.
  void set_pressure(bool on) { pressure_ = on; }
  // The box's own tablet context, opened with the window.
  CTabletContext& tablet() { return tablet_; }
  std::uint32_t pause() const { return pause_ms_; }
  // Empties the buffer and repaints at once.
  void Clear();
  // Shows a copy of the list's whole strokes that fit, scaled into the
  // client area less a seventh of it on each side. False for a list that
  // is malformed or runs past `bytes`.
  bool ShowStrokes(const StrokeEntry* list, std::size_t bytes);
  // The strokes for recognition, end entry appended.
  std::span<const StrokeEntry> Strokes() { return buffer_.TerminatedList(); }
  const CInkPointBuffer& buffer() const { return buffer_; }

 protected:
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnTimer(UINT_PTR id) override;
  void OnPaint() override;
  int OnCreate(CREATESTRUCTA* create) override;
  void OnDestroy() override;

 private:
  void CollectMouseStroke(POINT start);

  std::uint32_t pause_ms_;
  int pen_width_;
  COLORREF pen_colour_;
  framework::CPen pen_;
  CInkPointBuffer buffer_;
  bool pressure_ = false;
  CTabletContext tablet_;
};

}  // namespace wrendle::app
