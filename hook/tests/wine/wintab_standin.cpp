// See wintab_standin.h.
#include "hook/tests/wine/wintab_standin.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/handles.h"
#include "platform/win32/wintab.h"

namespace {

using namespace jebhook::wine_test;
using platform::win32::MutexLock;
using platform::win32::wintab::Axis;
using platform::win32::wintab::LogContextA;
using platform::win32::wintab::Packet;

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

// The slot of an open context, -1 for any other handle.
int SlotOf(HANDLE handle) {
  if (handle == nullptr) return -1;
  for (int i = 0; i < kStandInContexts; ++i) {
    const StandInContext& context = g_shared->state.contexts[i];
    if (context.open && context.handle == handle) return i;
  }
  return -1;
}

StandInContext* Open(HANDLE handle) {
  const int slot = SlotOf(handle);
  return slot < 0 ? nullptr : &g_shared->state.contexts[slot];
}

// Takes the slot out of the overlap order.
void Unlink(int slot) {
  int* order = g_shared->state.overlap_order;
  int kept = 0;
  for (int i = 0; i < kStandInContexts; ++i) {
    if (order[i] >= 0 && order[i] != slot) order[kept++] = order[i];
  }
  for (int i = kept; i < kStandInContexts; ++i) order[i] = -1;
}

void PutOnTop(int slot) {
  Unlink(slot);
  int* order = g_shared->state.overlap_order;
  for (int i = kStandInContexts - 1; i > 0; --i) order[i] = order[i - 1];
  order[0] = slot;
}

void PutAtBottom(int slot) {
  Unlink(slot);
  int* order = g_shared->state.overlap_order;
  for (int i = 0; i < kStandInContexts; ++i) {
    if (order[i] < 0) {
      order[i] = slot;
      return;
    }
  }
}

// The context that packets go to: the first enabled one of the order.
int PacketSlot() {
  for (int slot : g_shared->state.overlap_order) {
    if (slot >= 0 && g_shared->state.contexts[slot].enabled) return slot;
  }
  return -1;
}

void ResetState() {
  g_shared->state = StandInState{};
  for (int& slot : g_shared->state.overlap_order) slot = -1;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_mutex = CreateMutexA(nullptr, FALSE, "WrendleWintabStandInLock");
    g_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared),
                                   "WrendleWintabStandInState");
    const bool created = g_mapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    if (g_mapping != nullptr) {
      g_shared = static_cast<Shared*>(MapViewOfFile(g_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    }
    if (g_mutex == nullptr || g_shared == nullptr) return FALSE;
    if (created) {
      MutexLock lock(g_mutex);
      ResetState();
    }
    return TRUE;
  }
  return TRUE;
}

extern "C" void WINAPI StandInConfigure(const StandInDevice* device) {
  MutexLock lock(g_mutex);
  g_shared->device = *device;
  ResetState();
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

extern "C" HANDLE WINAPI WTOpenA(HWND window, LogContextA* context, BOOL enable) {
  MutexLock lock(g_mutex);
  StandInState& state = g_shared->state;
  int slot = -1;
  for (int i = 0; i < kStandInContexts && slot < 0; ++i) {
    if (!state.contexts[i].open) slot = i;
  }
  if (slot < 0 || context == nullptr) return nullptr;
  ++state.opens;
  StandInContext& opened = state.contexts[slot];
  opened = StandInContext{};
  opened.handle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5000 + state.opens));
  opened.open = TRUE;
  opened.window = window;
  std::memcpy(opened.name, context->lcName, sizeof opened.name);
  opened.packet_data = context->lcPktData;
  opened.move_mask = context->lcMoveMask;
  opened.packet_mode = context->lcPktMode;
  opened.out_extent_x = context->lcOutExtX;
  opened.out_extent_y = context->lcOutExtY;
  opened.options = context->lcOptions;
  opened.enabled = enable;
  PutOnTop(slot);
  return opened.handle;
}

extern "C" BOOL WINAPI WTClose(HANDLE context) {
  MutexLock lock(g_mutex);
  const int slot = SlotOf(context);
  if (slot < 0) return FALSE;
  ++g_shared->state.closes;
  g_shared->state.contexts[slot].open = FALSE;
  g_shared->state.contexts[slot].enabled = FALSE;
  Unlink(slot);
  return TRUE;
}

// Packets whose time has come, oldest first, for the context that has the
// tablet; with no buffer they are flushed.
extern "C" int WINAPI WTPacketsGet(HANDLE context, int count, LPVOID packets) {
  MutexLock lock(g_mutex);
  const int slot = SlotOf(context);
  if (slot < 0 || slot != PacketSlot() || count <= 0) return 0;
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
  g_shared->state.contexts[slot].packets_read += taken;
  return taken;
}

extern "C" BOOL WINAPI WTEnable(HANDLE context, BOOL enable) {
  MutexLock lock(g_mutex);
  StandInContext* open = Open(context);
  if (open == nullptr) return FALSE;
  ++(enable ? open->enable_calls : open->disable_calls);
  open->enabled = enable;
  return TRUE;
}

extern "C" BOOL WINAPI WTOverlap(HANDLE context, BOOL to_top) {
  MutexLock lock(g_mutex);
  const int slot = SlotOf(context);
  if (slot < 0) return FALSE;
  StandInContext& open = g_shared->state.contexts[slot];
  if (to_top) {
    ++open.to_top_calls;
    PutOnTop(slot);
  } else {
    ++open.to_bottom_calls;
    PutAtBottom(slot);
  }
  return TRUE;
}

extern "C" BOOL WINAPI WTGetA(HANDLE context, LogContextA* record) {
  MutexLock lock(g_mutex);
  const StandInContext* open = Open(context);
  if (open == nullptr) return FALSE;
  *record = LogContextA{};
  std::memcpy(record->lcName, open->name, sizeof record->lcName);
  record->lcOptions = open->options;
  record->lcPktData = open->packet_data;
  record->lcMoveMask = open->move_mask;
  record->lcPktMode = open->packet_mode;
  record->lcOutExtX = open->out_extent_x;
  record->lcOutExtY = open->out_extent_y;
  return TRUE;
}

extern "C" BOOL WINAPI WTSetA(HANDLE context, LogContextA* record) {
  MutexLock lock(g_mutex);
  StandInContext* open = Open(context);
  if (open == nullptr) return FALSE;
  const bool was_on = (open->options & kCxoSystem) != 0;
  const bool on = (record->lcOptions & kCxoSystem) != 0;
  if (was_on && !on) ++open->system_cursor_offs;
  if (!was_on && on) ++open->system_cursor_ons;
  open->options = record->lcOptions;
  return TRUE;
}
