// The block that every process of the hook library shares through the named
// file mapping "JEBHOOKEX_SHAREDATAS": 50732 bytes, little-endian, every field
// a 32-bit integer unless its type says otherwise.
//
// Pointer width: the block has one byte layout in the 32-bit product and in
// the 64-bit build, so that the two builds of the library can share one
// mapping. Fields that hold handles are 32-bit (HandleValue). Window and hook
// handles are user handles and the mapping handle a kernel handle; Windows
// keeps only their low 32 bits significant so that 32-bit and 64-bit processes
// can pass them to each other, and a 64-bit process restores one by sign
// extension (see handle_value_win32.h). The guard mapping's view address is
// the one true pointer: it is meaningful only in the process that mapped it,
// which keeps its own copy; the block records it only when it fits 32 bits.
// The pause timer field records the thread that armed the timer (see
// pause_timer.h), not the timer's number.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/stroke_list.h"

namespace jebhook {

using HandleValue = std::int32_t;

inline constexpr int kOwnerSlotCount = 10;
inline constexpr int kStrokeBufferCount = 3;
inline constexpr int kStrokeBufferEntries = 2048;
inline constexpr int kImeTextBytes = 267;  // zero included
inline constexpr int kLayoutNameBytes = 11;
inline constexpr int kHookCount = 6;
inline constexpr std::uint32_t kSharedBlockBytes = 50732;
inline constexpr std::uint32_t kGuardMappingBytes = 16804;

// Owner slot flags: bit 31 marks a slot in use, the low 16 bits keep the flags
// given at registration.
inline constexpr std::uint32_t kSlotInUse = 0x80000000u;
inline constexpr std::uint32_t kSlotRegistrationFlags = 0x0000FFFFu;

// Mouse modes of an owner slot.
enum MouseMode : std::int32_t {
  kMouseOff = 0,
  kMouseHoldAndMove = 1,  // the press must move fast enough within the hold window
  kMouseAtOnce = 2,
};

// Index of each hook in SharedBlock::hooks, which is also the order in which
// they are installed.
enum HookIndex : int {
  kHookMouse = 0,
  kHookSysMsgFilter = 1,
  kHookGetMessage = 2,
  kHookCallWndProc = 3,
  kHookCbt = 4,
  kHookJournalRecord = 5,
};

// Packed to 4 bytes: no field is aligned beyond the 4 bytes it has in the
// 32-bit product, so the compiler adds no padding on either build (every
// offset is checked below).
#pragma pack(push, 4)

struct Point32 {
  std::int32_t x;
  std::int32_t y;
  bool operator==(const Point32&) const = default;
};

struct OwnerSlot {
  std::uint32_t flags;
  HandleValue window;
  std::uint32_t message;    // the owner's WM_PENNOTIFY
  std::uint32_t thread_id;  // the registering thread
  std::int32_t tag;
  std::int32_t speed_base;
  std::int32_t speed_threshold;  // squared pixels per second
  std::int32_t pen_width;
  std::uint32_t pen_colour;  // COLORREF
  std::int32_t pause_delay_ms;
  std::int32_t hold_window_ms;
  std::int32_t mouse_mode;
};

// 2048 entries of the StrokeList itself, one entry that only an uncounted end
// entry can reach, and the control entry.
struct StrokeBuffer {
  wrendle::StrokeEntry entries[kStrokeBufferEntries];
  wrendle::StrokeEntry spare;
  std::int32_t used;         // entries used
  std::int32_t open_header;  // index of the open stroke's header, -1 when none
};

struct TabletState {
  HandleValue window;  // window of the context
  std::uint8_t reserved[512];
  HandleValue context;
  std::int32_t button_bit;  // bit of the pressure button in a packet's buttons
  std::int32_t press_mark;
  std::int32_t pressure_range;  // axis maximum - press mark
  std::int32_t cursor;
  std::int32_t reserved2;
  Point32 last_drawn;
  std::int32_t dot_mode;  // width follows the pressure when non-zero
  std::int32_t dot_factor;
  std::int32_t pen_width;
  std::uint32_t pen_colour;
};

struct SharedBlock {
  std::int32_t process_count;
  std::int32_t pressure_mode;  // > 0 the tablet path, else the mouse path
  HandleValue guard_mapping;
  std::uint32_t guard_view;
  OwnerSlot slots[kOwnerSlotCount];
  std::uint32_t active_owner;  // owner handle
  std::int32_t capture_counter;
  std::int32_t read_buffer;
  std::int32_t write_buffer;
  StrokeBuffer buffers[kStrokeBufferCount];
  std::uint32_t pause_timer_thread;
  std::int32_t pause_timer_state;  // kTimerRunning or kTimerStopped
  std::int32_t waiting;            // waiting for recognition
  HandleValue window_under_pen;
  std::int32_t capture_on;
  std::int32_t menu_open;
  std::int32_t pen_down;
  Point32 last_point;         // screen pixels
  HandleValue foreign_focus;  // last window of another program that took the focus
  std::uint32_t last_other_mouse_time;
  std::uint32_t registered_message;
  std::int32_t reserved1;
  HandleValue request_focus;  // focus window recorded by request 121
  Point32 request_caret;      // caret position recorded by request 121
  std::uint8_t reserved2[78];
  char ime_text[kImeTextBytes];
  char layout_name[kLayoutNameBytes];
  HandleValue waiting_window;
  Point32 tablet_last;
  TabletState tablet;
  HandleValue hooks[kHookCount];
};

#pragma pack(pop)

inline constexpr std::int32_t kTimerRunning = 1;
inline constexpr std::int32_t kTimerStopped = -1;

static_assert(sizeof(OwnerSlot) == 48);
static_assert(sizeof(StrokeBuffer) == 16400);
static_assert(offsetof(StrokeBuffer, spare) == 16384);
static_assert(offsetof(StrokeBuffer, used) == 16392);
static_assert(offsetof(StrokeBuffer, open_header) == 16396);
static_assert(sizeof(TabletState) == 564);
static_assert(offsetof(TabletState, context) == 516);
static_assert(offsetof(TabletState, pressure_range) == 528);
static_assert(offsetof(TabletState, last_drawn) == 540);
static_assert(offsetof(TabletState, pen_colour) == 560);

static_assert(offsetof(SharedBlock, process_count) == 0);
static_assert(offsetof(SharedBlock, pressure_mode) == 4);
static_assert(offsetof(SharedBlock, guard_mapping) == 8);
static_assert(offsetof(SharedBlock, guard_view) == 12);
static_assert(offsetof(SharedBlock, slots) == 16);
static_assert(offsetof(SharedBlock, active_owner) == 496);
static_assert(offsetof(SharedBlock, capture_counter) == 500);
static_assert(offsetof(SharedBlock, read_buffer) == 504);
static_assert(offsetof(SharedBlock, write_buffer) == 508);
static_assert(offsetof(SharedBlock, buffers) == 512);
static_assert(offsetof(SharedBlock, pause_timer_thread) == 49712);
static_assert(offsetof(SharedBlock, pause_timer_state) == 49716);
static_assert(offsetof(SharedBlock, waiting) == 49720);
static_assert(offsetof(SharedBlock, window_under_pen) == 49724);
static_assert(offsetof(SharedBlock, capture_on) == 49728);
static_assert(offsetof(SharedBlock, menu_open) == 49732);
static_assert(offsetof(SharedBlock, pen_down) == 49736);
static_assert(offsetof(SharedBlock, last_point) == 49740);
static_assert(offsetof(SharedBlock, foreign_focus) == 49748);
static_assert(offsetof(SharedBlock, last_other_mouse_time) == 49752);
static_assert(offsetof(SharedBlock, registered_message) == 49756);
static_assert(offsetof(SharedBlock, reserved1) == 49760);
static_assert(offsetof(SharedBlock, request_focus) == 49764);
static_assert(offsetof(SharedBlock, request_caret) == 49768);
static_assert(offsetof(SharedBlock, reserved2) == 49776);
static_assert(offsetof(SharedBlock, ime_text) == 49854);
static_assert(offsetof(SharedBlock, layout_name) == 50121);
static_assert(offsetof(SharedBlock, waiting_window) == 50132);
static_assert(offsetof(SharedBlock, tablet_last) == 50136);
static_assert(offsetof(SharedBlock, tablet) == 50144);
static_assert(offsetof(SharedBlock, hooks) == 50708);
static_assert(sizeof(SharedBlock) == kSharedBlockBytes);
static_assert(alignof(SharedBlock) == 4);

// The state of a block the first process has just created: everything zero
// but the fields below. `layout_name` is "E8880804" on a system whose default
// language is 2052, else "E8880404".
void InitializeSharedBlock(SharedBlock& block, std::uint32_t registered_message, const char* layout_name);

// The tablet state as the first process sets it.
void ResetTabletState(TabletState& tablet);

}  // namespace jebhook
