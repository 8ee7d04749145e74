// The test-only stand-in for the tablet driver's "Wintab32.dll": the Wintab
// entries the hook library and the pen-input program bind, by their published
// ordinals, serving a device and a script of packets that the test sets
// through the extra entries below. Several contexts may be open; as with a
// real tablet, packets go to the enabled context on top of the overlap order
// (a newly opened context goes on top). Its state lives in a named mapping, so
// every process that loads it sees one tablet. Never shipped.
#pragma once

#include <windows.h>

#include <cstring>

namespace jebhook::wine_test {

struct StandInPacket {
  DWORD at_ms;  // after the script was armed
  DWORD buttons;
  LONG x;
  LONG y;
  UINT pressure;
};

struct StandInDevice {
  LONG pressure_max;
  UINT release_mark;
  UINT press_mark;
  BYTE pressure_button;  // physical button of the tip
  BYTE button_map[32];   // logical button of each physical one
  UINT first_cursor;
  UINT cursor_count;  // at most 4
  BOOL cursor_active[4];
  DWORD cursor_packet_data[4];
};

// One context as it was opened, and the calls made on it. A closed context
// keeps its record until its slot is opened again.
struct StandInContext {
  HANDLE handle;
  BOOL open;
  HWND window;
  char name[40];
  DWORD packet_data;
  DWORD move_mask;
  DWORD packet_mode;
  LONG out_extent_x;
  LONG out_extent_y;
  UINT options;
  BOOL enabled;
  LONG enable_calls;   // WTEnable with TRUE
  LONG disable_calls;  // WTEnable with FALSE
  LONG to_top_calls;   // WTOverlap with TRUE
  LONG to_bottom_calls;
  LONG system_cursor_offs;  // WTSetA calls that turned CXO_SYSTEM off
  LONG system_cursor_ons;
  LONG packets_read;
};

inline constexpr int kStandInContexts = 4;

// What the stand-in saw.
struct StandInState {
  LONG opens;
  LONG closes;
  StandInContext contexts[kStandInContexts];
  // Slots of the open contexts, top first; -1 after the last.
  int overlap_order[kStandInContexts];
};

// The last opened context of that name, null when there is none.
inline const StandInContext* FindContext(const StandInState& state, const char* name) {
  const StandInContext* found = nullptr;
  for (const StandInContext& context : state.contexts) {
    if (context.handle != nullptr && std::strcmp(context.name, name) == 0 &&
        (found == nullptr ||
         reinterpret_cast<UINT_PTR>(context.handle) > reinterpret_cast<UINT_PTR>(found->handle)))
      found = &context;
  }
  return found;
}

using StandInConfigureFn = void(WINAPI*)(const StandInDevice* device);
// Replaces the script; its times count from now.
using StandInArmFn = void(WINAPI*)(const StandInPacket* packets, int count);
using StandInReadStateFn = void(WINAPI*)(StandInState* state);

}  // namespace jebhook::wine_test
