// The test-only stand-in for the tablet driver's "Wintab32.dll": the Wintab
// entries the hook library binds, by their published ordinals, serving a
// device and a script of packets that the test sets through the extra
// entries below. Its state lives in a named mapping, so every process that
// loads it sees one tablet. Never shipped.
#pragma once

#include <windows.h>

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

// What the stand-in saw.
struct StandInState {
  LONG opens;
  LONG closes;
  HANDLE open_context;  // null when closed
  HWND open_window;
  char context_name[40];
  DWORD packet_data;
  DWORD move_mask;
  DWORD packet_mode;
  LONG out_extent_x;
  LONG out_extent_y;
  LONG system_cursor_offs;  // WTSetA calls that turned CXO_SYSTEM off
  LONG system_cursor_ons;
  UINT options;  // of the open context
  LONG packets_read;
};

using StandInConfigureFn = void(WINAPI*)(const StandInDevice* device);
// Replaces the script; its times count from now.
using StandInArmFn = void(WINAPI*)(const StandInPacket* packets, int count);
using StandInReadStateFn = void(WINAPI*)(StandInState* state);

}  // namespace jebhook::wine_test
