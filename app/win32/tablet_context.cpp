#include "app/win32/tablet_context.h"

#include "app/framework/gdi.h"
#include "app/win32/draw_routines.h"
#include "hook/core/pressure.h"
#include "platform/win32/wintab_library.h"

namespace wrendle::app {
namespace {

using platform::win32::wintab::Packet;
using platform::win32::wintab::WintabLibrary;

constexpr DWORD kFirstPacketMs = 100;
constexpr DWORD kQuietPenMs = 200;
// More than any tablet queue holds: flushing asks for this many.
constexpr int kFlushPackets = 4096;

WintabLibrary& Library() {
  static WintabLibrary library;
  return library;
}

void DrawFirstDot(HDC dc, POINT at, std::int32_t pressure, int width, std::int32_t dot_factor) {
  const jebhook::DotBox box =
      jebhook::DotAround(at.x, at.y, jebhook::DotSize(jebhook::MakeDotPen(width, dot_factor), pressure));
  framework::CSelectObject null_pen(dc, GetStockObject(NULL_PEN));
  if (box.ellipse) {
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
  } else {
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
  }
}

}  // namespace

HANDLE CTabletContext::Open(HWND window) {
  Close();
  if (window == nullptr) return nullptr;
  const platform::win32::wintab::PenContext pen =
      platform::win32::wintab::OpenPenContext(Library(), window, kContextName, cursor_);
  if (pen.context == nullptr) return nullptr;
  window_ = window;
  context_ = pen.context;
  cursor_ = pen.cursor;
  button_bit_ = pen.button_bit;
  press_mark_ = pen.press_mark;
  pressure_range_ = pen.pressure_range;
  return context_;
}

void CTabletContext::Close() {
  if (context_ != nullptr) Library().Close(context_);
  context_ = nullptr;
  window_ = nullptr;
}

bool CTabletContext::Enable(bool enable) {
  return context_ != nullptr && Library().Enable(context_, enable ? TRUE : FALSE) != FALSE;
}

bool CTabletContext::Overlap(bool to_top) {
  return context_ != nullptr && Library().Overlap(context_, to_top ? TRUE : FALSE) != FALSE;
}

std::int32_t CTabletContext::ScalePressure(const Packet& packet) const {
  return jebhook::PacketPressure(packet.buttons, button_bit_,
                                 static_cast<std::int32_t>(packet.normal_pressure), press_mark_,
                                 pressure_range_);
}

bool CTabletContext::TipDown(const Packet& packet) const {
  return button_bit_ >= 0 && button_bit_ < 32 && (packet.buttons & (1u << button_bit_)) != 0;
}

bool CTabletContext::WaitForPacket(Packet& packet, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  while (Library().PacketsGet(context_, 1, &packet) != 1) {
    if (GetTickCount() - start > limit_ms) return false;
    Sleep(1);
  }
  return true;
}

bool CTabletContext::PollTablet(CInkPointBuffer& buffer, POINT press) {
  if (context_ == nullptr) return false;
  Library().PacketsGet(context_, kFlushPackets, nullptr);
  Packet packet{};
  if (!WaitForPacket(packet, kFirstPacketMs) || !TipDown(packet)) return false;

  framework::CClientDC dc(window_);
  framework::CPen pen(CreatePen(PS_SOLID, 1, colour_));
  framework::CBrush brush(CreateSolidBrush(colour_));
  framework::CSelectObject selected_pen(dc.get(), pen.get());
  framework::CSelectObject selected_brush(dc.get(), brush.get());
  SetBkMode(dc.get(), TRANSPARENT);
  dot_factor_ = dot_mode_ ? 20 : 0;

  // A full buffer keeps nothing, but the stroke is still the pen's.
  std::int32_t pressure = ScalePressure(packet);
  if (buffer.BeginStroke() && buffer.AddPoint(press.x, press.y)) {
    DrawFirstDot(dc.get(), press, pressure, width_, dot_factor_);
  }
  PressureInk ink{press, pressure};
  last_ = press;

  DWORD last_packet = GetTickCount();
  while (GetCapture() == window_) {
    if (Library().PacketsGet(context_, 1, &packet) != 1) {
      if (GetTickCount() - last_packet > kQuietPenMs) break;
      Sleep(1);
      continue;
    }
    POINT point{packet.x, packet.y};
    ScreenToClient(window_, &point);
    if (point.x != last_.x || point.y != last_.y) {
      pressure = ScalePressure(packet);
      if (buffer.AddPoint(point.x, point.y)) {
        DrawPressureLine(dc.get(), ink, point.x, point.y, pressure, width_, dot_factor_);
        last_ = point;
      }
    }
    if (!TipDown(packet)) break;
    last_packet = GetTickCount();
  }
  buffer.EndStroke();
  return true;
}

void UnloadTabletLibrary() { Library().Unload(); }

}  // namespace wrendle::app
