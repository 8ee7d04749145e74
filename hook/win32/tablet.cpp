#include "hook/win32/tablet.h"

#include <algorithm>
#include <cstdlib>

#include "hook/core/capture.h"
#include "hook/core/owner_table.h"
#include "hook/core/pressure.h"
#include "hook/core/stroke_buffer.h"
#include "hook/win32/handle_value.h"
#include "hook/win32/ink.h"
#include "hook/win32/module_state.h"
#include "hook/win32/pause_timer_win32.h"
#include "platform/win32/gdi_objects.h"
#include "platform/win32/wintab_library.h"

namespace jebhook::win32 {
namespace {

using namespace platform::win32::wintab;
using platform::win32::GdiObject;
using platform::win32::SelectedObject;
using platform::win32::WindowDc;

constexpr char kContextName[] = "JebHooK_32";
constexpr DWORD kTipCheckMs = 100;
constexpr DWORD kQuietPenMs = 200;
// More than any tablet queue holds: flushing asks for this many.
constexpr int kFlushPackets = 4096;

WintabLibrary g_wintab;

// What a stroke needs of the tablet state, copied under the mutex.
struct TabletPen {
  Hctx context = nullptr;
  std::int32_t button_bit = 0;
  std::int32_t press_mark = 0;
  std::int32_t range = 0;
  std::int32_t width = 0;
  std::int32_t dot_factor = 0;
  COLORREF colour = 0;
};

TabletPen ReadPen(const TabletState& tablet) {
  TabletPen pen;
  pen.context = FromValue<Hctx>(tablet.context);
  pen.button_bit = tablet.button_bit;
  pen.press_mark = tablet.press_mark;
  pen.range = tablet.pressure_range;
  pen.width = tablet.pen_width;
  pen.dot_factor = tablet.dot_factor;
  pen.colour = tablet.pen_colour;
  return pen;
}

bool TipDown(const Packet& packet, const TabletPen& pen) {
  return pen.button_bit >= 0 && pen.button_bit < 32 && (packet.buttons & (1u << pen.button_bit)) != 0;
}

std::int32_t PressureOf(const Packet& packet, const TabletPen& pen) {
  return PacketPressure(packet.buttons, pen.button_bit, static_cast<std::int32_t>(packet.normal_pressure),
                        pen.press_mark, pen.range);
}

void DrawDot(HDC dc, Point32 at, std::int32_t size) {
  const DotBox box = DotAround(at.x, at.y, size);
  if (box.ellipse) {
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
  } else {
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
  }
}

struct SegmentDots {
  HDC dc;
  Point32 from;
  std::int32_t length;  // along the longer axis
  bool x_major;
  std::int32_t from_pressure;
  std::int32_t to_pressure;
  DotPen dots;
};

void CALLBACK DrawSegmentStep(int x, int y, LPARAM data) {
  const auto& segment = *reinterpret_cast<const SegmentDots*>(data);
  const std::int32_t offset = segment.x_major ? std::abs(x - segment.from.x) : std::abs(y - segment.from.y);
  const std::int32_t pressure =
      InterpolatePressure(segment.from_pressure, segment.to_pressure, offset, segment.length);
  DrawDot(segment.dc, {x, y}, DotSize(segment.dots, pressure));
}

void DrawPressureSegment(HDC dc, Point32 from, Point32 to, std::int32_t from_pressure,
                         std::int32_t to_pressure, const DotPen& dots) {
  SelectedObject null_pen(dc, GetStockObject(NULL_PEN));
  const std::int32_t dx = std::abs(to.x - from.x);
  const std::int32_t dy = std::abs(to.y - from.y);
  SegmentDots segment{dc, from, std::max(dx, dy), dx >= dy, from_pressure, to_pressure, dots};
  LineDDA(from.x, from.y, to.x, to.y, DrawSegmentStep, reinterpret_cast<LPARAM>(&segment));
}

// The system cursor follows the pen only while the option is on.
void SetSystemCursorOption(Hctx context, bool on) {
  LogContextA record{};
  if (!g_wintab.GetA(context, &record)) return;
  record.lcOptions = on ? (record.lcOptions | kCxoSystem) : (record.lcOptions & ~kCxoSystem);
  g_wintab.SetA(context, &record);
}

bool WaitForPacket(Hctx context, Packet& packet, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  while (g_wintab.PacketsGet(context, 1, &packet) != 1) {
    if (GetTickCount() - start > limit_ms) return false;
    Sleep(1);
  }
  return true;
}

// Appends a point to the capture's open stroke; false when the capture went
// off meanwhile.
bool RecordPoint(Point32 point, bool first) {
  BlockLock block;
  if (!block || !block->capture_on) return false;
  StrokeWriter writer(WriteBuffer(*block.get()));
  if (first) writer.BeginStroke();
  writer.Append(point.x, point.y);
  block->last_point = point;
  if (!first) {
    block->tablet.last_drawn = point;
    block->tablet_last = point;
  }
  return true;
}

void CloseOpenStroke() {
  BlockLock block;
  if (block) StrokeWriter(WriteBuffer(*block.get())).CloseStroke();
}

// The packets of one stroke, drawn as dots whose size follows the pressure.
void RunPacketLoop(const TabletPen& pen, Point32 start) {
  g_wintab.PacketsGet(pen.context, kFlushPackets, nullptr);
  Packet packet{};
  if (!WaitForPacket(pen.context, packet, kQuietPenMs) || !TipDown(packet, pen)) return;

  WindowDc dc(nullptr);
  if (!dc) return;
  GdiObject<HPEN> solid_pen(CreatePen(PS_SOLID, 1, pen.colour));
  GdiObject<HBRUSH> brush(CreateSolidBrush(pen.colour));
  SelectedObject selected_pen(dc.get(), solid_pen.get());
  SelectedObject selected_brush(dc.get(), brush.get());
  SetBkMode(dc.get(), TRANSPARENT);

  const DotPen dots = MakeDotPen(pen.width, pen.dot_factor);
  std::int32_t pressure = PressureOf(packet, pen);
  DrawDot(dc.get(), start, DotSize(dots, pressure));
  if (!RecordPoint(start, true)) return;

  Point32 drawn = start;
  DWORD last_packet = GetTickCount();
  for (;;) {
    if (g_wintab.PacketsGet(pen.context, 1, &packet) != 1) {
      if (GetTickCount() - last_packet > kQuietPenMs) break;
      Sleep(1);
      continue;
    }
    SetCursorPos(packet.x, packet.y);
    const Point32 point{packet.x, packet.y};
    if (!(point == drawn)) {
      const std::int32_t now_pressure = PressureOf(packet, pen);
      DrawPressureSegment(dc.get(), drawn, point, pressure, now_pressure, dots);
      pressure = now_pressure;
      drawn = point;
      if (!RecordPoint(point, false)) return;
    }
    if (!TipDown(packet, pen)) break;
    last_packet = GetTickCount();
  }
  CloseOpenStroke();
}

}  // namespace

HANDLE InitialWintab(HWND window) {
  if (window == nullptr) return nullptr;
  Hctx previous = nullptr;
  std::int32_t cursor = 0;
  {
    BlockLock block;
    if (!block) return nullptr;
    previous = FromValue<Hctx>(block->tablet.context);
    cursor = block->tablet.cursor;
    block->tablet.context = 0;
  }
  // A second initialisation replaces the first context.
  if (previous != nullptr) g_wintab.Close(previous);

  {
    BlockLock block;
    if (!block) return nullptr;
    block->tablet.window = ToValue(window);
  }
  const PenContext opened = OpenPenContext(g_wintab, window, kContextName, cursor);
  if (opened.context == nullptr) return nullptr;

  BlockLock block;
  if (!block) return opened.context;
  TabletState& tablet = block->tablet;
  tablet.context = ToValue(opened.context);
  tablet.cursor = opened.cursor;
  tablet.button_bit = opened.button_bit;
  tablet.press_mark = opened.press_mark;
  tablet.pressure_range = opened.pressure_range;
  return opened.context;
}

bool TabletTipIsDown() {
  TabletPen pen;
  {
    BlockLock block;
    if (!block) return false;
    pen = ReadPen(block->tablet);
  }
  if (pen.context == nullptr) return false;
  Packet packet{};
  if (g_wintab.PacketsGet(pen.context, 1, &packet) != 1) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    if (TipDown(packet, pen)) return true;
    if (GetTickCount() - start > kTipCheckMs) return false;
    if (g_wintab.PacketsGet(pen.context, 1, &packet) != 1) Sleep(1);
  }
}

bool RunTabletStroke(Point32 press) {
  TabletPen pen;
  {
    BlockLock block;
    if (!block || !block->capture_on) return false;
    SharedBlock& shared = *block.get();
    StopPauseTimerHere(shared);
    shared.pen_down = 1;
    shared.last_point = press;
    TabletState& tablet = shared.tablet;
    tablet.last_drawn = press;
    tablet.dot_factor = tablet.dot_mode ? 20 : 0;
    if (const OwnerSlot* slot = ActiveSlot(shared)) {
      tablet.pen_width = slot->pen_width;
      tablet.pen_colour = slot->pen_colour;
    }
    pen = ReadPen(tablet);
  }
  ShowPenCursor();
  SetSystemCursorOption(pen.context, false);
  RunPacketLoop(pen, press);
  SetSystemCursorOption(pen.context, true);
  {
    BlockLock block;
    if (!block) return true;
    SharedBlock& shared = *block.get();
    if (shared.capture_on) {
      StrokeWriter(WriteBuffer(shared)).CloseStroke();
      const OwnerSlot* slot = ActiveSlot(shared);
      ArmPauseTimer(shared, slot ? slot->pause_delay_ms : 0);
    }
    shared.pen_down = 0;
  }
  return true;
}

HANDLE TakeTabletContextOfLastProcess(SharedBlock& block) {
  const Hctx context = g_wintab.Loaded() ? FromValue<Hctx>(block.tablet.context) : nullptr;
  block.tablet.context = 0;
  return context;
}

void CloseTabletContext(HANDLE context) {
  if (context != nullptr) g_wintab.Close(context);
}

void UnloadTablet() { g_wintab.Unload(); }

}  // namespace jebhook::win32
