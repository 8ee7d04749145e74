#include "hook/win32/tablet.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "hook/core/capture.h"
#include "hook/core/owner_table.h"
#include "hook/core/pressure.h"
#include "hook/core/stroke_buffer.h"
#include "hook/win32/handle_value.h"
#include "hook/win32/ink.h"
#include "hook/win32/module_state.h"
#include "hook/win32/pause_timer_win32.h"
#include "hook/win32/wintab.h"
#include "platform/win32/gdi_objects.h"

namespace jebhook::win32 {
namespace {

using namespace wintab;
using platform::win32::GdiObject;
using platform::win32::SelectedObject;
using platform::win32::WindowDc;

constexpr char kContextName[] = "JebHooK_32";
constexpr DWORD kTipCheckMs = 100;
constexpr DWORD kQuietPenMs = 200;
// More than any tablet queue holds: flushing asks for this many.
constexpr int kFlushPackets = 4096;
// Cursors looked at for one device.
constexpr UINT kMaxCursors = 64;

// "Wintab32" of this process and the functions bound from it by ordinal, each
// on first use. A function that cannot be bound makes its call return 0.
class WintabLibrary {
 public:
  UINT InfoA(UINT category, UINT index, void* output) {
    return Call<UINT(WINAPI*)(UINT, UINT, LPVOID)>(kOrdinalInfoA, category, index, output);
  }
  Hctx OpenA(HWND window, LogContextA* context, BOOL enable) {
    return Call<Hctx(WINAPI*)(HWND, LogContextA*, BOOL)>(kOrdinalOpenA, window, context, enable);
  }
  BOOL Close(Hctx context) { return Call<BOOL(WINAPI*)(Hctx)>(kOrdinalClose, context); }
  int PacketsGet(Hctx context, int count, void* packets) {
    return Call<int(WINAPI*)(Hctx, int, LPVOID)>(kOrdinalPacketsGet, context, count, packets);
  }
  BOOL GetA(Hctx context, LogContextA* record) {
    return Call<BOOL(WINAPI*)(Hctx, LogContextA*)>(kOrdinalGetA, context, record);
  }
  BOOL SetA(Hctx context, LogContextA* record) {
    return Call<BOOL(WINAPI*)(Hctx, LogContextA*)>(kOrdinalSetA, context, record);
  }

  bool Loaded() {
    AcquireSRWLockShared(&lock_);
    const bool loaded = module_ != nullptr;
    ReleaseSRWLockShared(&lock_);
    return loaded;
  }

  void Unload() {
    AcquireSRWLockExclusive(&lock_);
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    tried_ = false;
    bound_count_ = 0;
    ReleaseSRWLockExclusive(&lock_);
  }

 private:
  struct Bound {
    WORD ordinal;
    FARPROC procedure;
  };

  template <typename Function, typename... Args>
  std::invoke_result_t<Function, Args...> Call(WORD ordinal, Args... args) {
    using Result = std::invoke_result_t<Function, Args...>;
    const FARPROC procedure = Bind(ordinal);
    if (procedure == nullptr) return Result{};
    return reinterpret_cast<Function>(reinterpret_cast<void*>(procedure))(args...);
  }

  FARPROC Bind(WORD ordinal) {
    AcquireSRWLockExclusive(&lock_);
    if (!tried_) {
      tried_ = true;
      module_ = LoadLibraryA("Wintab32");
    }
    FARPROC procedure = nullptr;
    if (module_ != nullptr) {
      for (int i = 0; i < bound_count_; ++i) {
        if (bound_[i].ordinal == ordinal) procedure = bound_[i].procedure;
      }
      if (procedure == nullptr) {
        procedure = GetProcAddress(module_, MAKEINTRESOURCEA(ordinal));
        if (procedure != nullptr && bound_count_ < kMaxBound) bound_[bound_count_++] = {ordinal, procedure};
      }
    }
    ReleaseSRWLockExclusive(&lock_);
    return procedure;
  }

  static constexpr int kMaxBound = 8;
  SRWLOCK lock_ = SRWLOCK_INIT;
  HMODULE module_ = nullptr;
  bool tried_ = false;
  Bound bound_[kMaxBound] = {};
  int bound_count_ = 0;
};

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

  LogContextA record{};
  if (g_wintab.InfoA(kWtiDefSysCtx, 0, &record) == 0) return nullptr;
  std::strncpy(record.lcName, kContextName, kContextNameLength - 1);
  record.lcPktData = kPacketData;
  record.lcMoveMask = kPacketData;
  record.lcPktMode = 0;  // absolute
  record.lcOutOrgX = 0;
  record.lcOutOrgY = 0;
  record.lcOutExtX = GetSystemMetrics(SM_CXSCREEN);
  record.lcOutExtY = -GetSystemMetrics(SM_CYSCREEN);  // screen pixels, y downwards
  {
    BlockLock block;
    if (!block) return nullptr;
    block->tablet.window = ToValue(window);
  }
  Hctx context = g_wintab.OpenA(window, &record, TRUE);
  if (context == nullptr) return nullptr;
  g_wintab.GetA(context, &record);

  const UINT device = record.lcDevice;
  UINT cursor_count = 0;
  UINT first_cursor = 0;
  g_wintab.InfoA(kWtiDevices + device, kDvcNCsrTypes, &cursor_count);
  g_wintab.InfoA(kWtiDevices + device, kDvcFirstCsr, &first_cursor);
  for (UINT c = first_cursor; c < first_cursor + std::min(cursor_count, kMaxCursors); ++c) {
    BOOL active = FALSE;
    WtPkt packet_data = 0;
    g_wintab.InfoA(kWtiCursors + c, kCsrActive, &active);
    g_wintab.InfoA(kWtiCursors + c, kCsrPktData, &packet_data);
    if (active && (packet_data & kPkNormalPressure) != 0) {
      cursor = static_cast<std::int32_t>(c);
      break;
    }
  }
  const UINT cursor_category = kWtiCursors + static_cast<UINT>(cursor);
  BYTE pressure_button = 0;
  BYTE button_map[32] = {};
  UINT marks[2] = {};
  Axis axis{};
  g_wintab.InfoA(cursor_category, kCsrNpButton, &pressure_button);
  g_wintab.InfoA(cursor_category, kCsrButtonMap, button_map);
  g_wintab.InfoA(kWtiDevices + device, kDvcNPressure, &axis);
  g_wintab.InfoA(cursor_category, kCsrNpBtnMarks, marks);

  BlockLock block;
  if (!block) return context;
  TabletState& tablet = block->tablet;
  tablet.context = ToValue(context);
  tablet.cursor = cursor;
  tablet.button_bit = button_map[pressure_button & 31];
  tablet.press_mark = static_cast<std::int32_t>(marks[1]);
  tablet.pressure_range = axis.axMax - tablet.press_mark;
  return context;
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
