// See wintab_standin.h.
#include "hook/tests/wine/wintab_standin.h"

#include <algorithm>
#include <cstring>

#include "hook/win32/wintab.h"
#include "platform/win32/handles.h"

namespace {

using namespace jebhook::wine_test;
using jebhook::win32::wintab::Axis;
using jebhook::win32::wintab::LogContextA;
using jebhook::win32::wintab::Packet;
using platform::win32::MutexLock;

constexpr int kMaxPackets = 1024;
constexpr UINT kCxoSystem = 0x0001;
constexpr UINT kCategoryDefSysCtx = 4;
constexpr UINT kCategoryDevices = 100;
constexpr UINT kCategoryCursors = 200;

struct Shared {
  StandInDevice device;
  StandInState state;
  DWORD armed_at;
  LONG count;
  LONG consumed;
  StandInPacket script[kMaxPackets];
};

HANDLE g_mutex = nullptr;
HANDLE g_mapping = nullptr;
Shared* g_shared = nullptr;

UINT Copy(void* output, const void* value, UINT size) {
  if (output != nullptr) std::memcpy(output, value, size);
  return size;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_mutex = CreateMutexA(nullptr, FALSE, "WrendleWintabStandInLock");
    g_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared),
                                   "WrendleWintabStandInState");
    if (g_mapping != nullptr) {
      g_shared = static_cast<Shared*>(MapViewOfFile(g_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    }
    return g_mutex != nullptr && g_shared != nullptr;
  }
  return TRUE;
}

extern "C" void WINAPI StandInConfigure(const StandInDevice* device) {
  MutexLock lock(g_mutex);
  g_shared->device = *device;
  g_shared->state = StandInState{};
  g_shared->count = 0;
  g_shared->consumed = 0;
}

extern "C" void WINAPI StandInArm(const StandInPacket* packets, int count) {
  MutexLock lock(g_mutex);
  count = std::clamp(count, 0, kMaxPackets);
  std::copy(packets, packets + count, g_shared->script);
  g_shared->count = count;
  g_shared->consumed = 0;
  g_shared->armed_at = GetTickCount();
}

extern "C" void WINAPI StandInReadState(StandInState* state) {
  MutexLock lock(g_mutex);
  *state = g_shared->state;
}

extern "C" UINT WINAPI WTInfoA(UINT category, UINT index, LPVOID output) {
  MutexLock lock(g_mutex);
  const StandInDevice& device = g_shared->device;
  if (category == kCategoryDefSysCtx) {
    LogContextA context{};
    std::strcpy(context.lcName, "Stand-in system context");
    context.lcOptions = kCxoSystem;
    context.lcPktData = 0x00FF;
    context.lcInExtX = 10000;
    context.lcInExtY = 10000;
    context.lcOutExtX = 10000;
    context.lcOutExtY = 10000;
    return Copy(output, &context, sizeof context);
  }
  if (category == kCategoryDevices) {
    switch (index) {
      case 3:  // DVC_NCSRTYPES
        return Copy(output, &device.cursor_count, sizeof(UINT));
      case 4:  // DVC_FIRSTCSR
        return Copy(output, &device.first_cursor, sizeof(UINT));
      case 15: {  // DVC_NPRESSURE
        const Axis axis{0, device.pressure_max, 0, 0};
        return Copy(output, &axis, sizeof axis);
      }
      default:
        return 0;
    }
  }
  if (category >= kCategoryCursors && category < kCategoryCursors + 100) {
    const UINT cursor = category - kCategoryCursors - device.first_cursor;
    if (cursor >= std::min<UINT>(device.cursor_count, 4)) return 0;
    switch (index) {
      case 2:  // CSR_ACTIVE
        return Copy(output, &device.cursor_active[cursor], sizeof(BOOL));
      case 3:  // CSR_PKTDATA
        return Copy(output, &device.cursor_packet_data[cursor], sizeof(DWORD));
      case 7:  // CSR_BUTTONMAP
        return Copy(output, device.button_map, sizeof device.button_map);
      case 9:  // CSR_NPBUTTON
        return Copy(output, &device.pressure_button, sizeof(BYTE));
      case 10: {  // CSR_NPBTNMARKS
        const UINT marks[2] = {device.release_mark, device.press_mark};
        return Copy(output, marks, sizeof marks);
      }
      default:
        return 0;
    }
  }
  return 0;
}

extern "C" HANDLE WINAPI WTOpenA(HWND window, LogContextA* context, BOOL) {
  MutexLock lock(g_mutex);
  StandInState& state = g_shared->state;
  ++state.opens;
  state.open_context = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5000 + state.opens));
  state.open_window = window;
  std::memcpy(state.context_name, context->lcName, sizeof state.context_name);
  state.packet_data = context->lcPktData;
  state.move_mask = context->lcMoveMask;
  state.packet_mode = context->lcPktMode;
  state.out_extent_x = context->lcOutExtX;
  state.out_extent_y = context->lcOutExtY;
  state.options = context->lcOptions;
  return state.open_context;
}

extern "C" BOOL WINAPI WTClose(HANDLE context) {
  MutexLock lock(g_mutex);
  StandInState& state = g_shared->state;
  if (context == nullptr || context != state.open_context) return FALSE;
  ++state.closes;
  state.open_context = nullptr;
  return TRUE;
}

// Packets whose time has come, oldest first; with no buffer they are
// flushed.
extern "C" int WINAPI WTPacketsGet(HANDLE context, int count, LPVOID packets) {
  MutexLock lock(g_mutex);
  if (context == nullptr || context != g_shared->state.open_context || count <= 0) return 0;
  const DWORD now = GetTickCount();
  int taken = 0;
  while (taken < count && g_shared->consumed < g_shared->count) {
    const StandInPacket& next = g_shared->script[g_shared->consumed];
    if (now - g_shared->armed_at < next.at_ms) break;
    if (packets != nullptr) {
      static_cast<Packet*>(packets)[taken] = Packet{next.buttons, next.x, next.y, next.pressure};
    }
    ++g_shared->consumed;
    ++taken;
  }
  g_shared->state.packets_read += taken;
  return taken;
}

extern "C" BOOL WINAPI WTEnable(HANDLE, BOOL) { return TRUE; }

extern "C" BOOL WINAPI WTGetA(HANDLE context, LogContextA* record) {
  MutexLock lock(g_mutex);
  if (context == nullptr || context != g_shared->state.open_context) return FALSE;
  *record = LogContextA{};
  std::memcpy(record->lcName, g_shared->state.context_name, sizeof record->lcName);
  record->lcOptions = g_shared->state.options;
  record->lcPktData = g_shared->state.packet_data;
  record->lcMoveMask = g_shared->state.move_mask;
  record->lcPktMode = g_shared->state.packet_mode;
  record->lcOutExtX = g_shared->state.out_extent_x;
  record->lcOutExtY = g_shared->state.out_extent_y;
  return TRUE;
}

extern "C" BOOL WINAPI WTSetA(HANDLE context, LogContextA* record) {
  MutexLock lock(g_mutex);
  StandInState& state = g_shared->state;
  if (context == nullptr || context != state.open_context) return FALSE;
  const bool was_on = (state.options & kCxoSystem) != 0;
  const bool on = (record->lcOptions & kCxoSystem) != 0;
  if (was_on && !on) ++state.system_cursor_offs;
  if (!was_on && on) ++state.system_cursor_ons;
  state.options = record->lcOptions;
  return TRUE;
}
