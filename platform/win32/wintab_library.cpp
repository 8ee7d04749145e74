#include "platform/win32/wintab_library.h"

#include <algorithm>
#include <cstring>

namespace platform::win32::wintab {
namespace {

// Cursors looked at for one device.
constexpr UINT kMaxCursors = 64;

}  // namespace

bool WintabLibrary::Loaded() {
  AcquireSRWLockShared(&lock_);
  const bool loaded = module_ != nullptr;
  ReleaseSRWLockShared(&lock_);
  return loaded;
}

void WintabLibrary::Unload() {
  AcquireSRWLockExclusive(&lock_);
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
  tried_ = false;
  bound_count_ = 0;
  ReleaseSRWLockExclusive(&lock_);
}

FARPROC WintabLibrary::Bind(WORD ordinal) {
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

PenContext OpenPenContext(WintabLibrary& library, HWND window, const char* name,
                          std::int32_t previous_cursor) {
  PenContext pen;
  pen.cursor = previous_cursor;
  LogContextA record{};
  if (window == nullptr || library.InfoA(kWtiDefSysCtx, 0, &record) == 0) return pen;
  std::strncpy(record.lcName, name, kContextNameLength - 1);
  record.lcName[kContextNameLength - 1] = '\0';
  record.lcPktData = kPacketData;
  record.lcMoveMask = kPacketData;
  record.lcPktMode = 0;  // absolute
  record.lcOutOrgX = 0;
  record.lcOutOrgY = 0;
  record.lcOutExtX = GetSystemMetrics(SM_CXSCREEN);
  record.lcOutExtY = -GetSystemMetrics(SM_CYSCREEN);  // screen pixels, y downwards
  pen.context = library.OpenA(window, &record, TRUE);
  if (pen.context == nullptr) return pen;
  library.GetA(pen.context, &record);

  const UINT device = record.lcDevice;
  UINT cursor_count = 0;
  UINT first_cursor = 0;
  library.InfoA(kWtiDevices + device, kDvcNCsrTypes, &cursor_count);
  library.InfoA(kWtiDevices + device, kDvcFirstCsr, &first_cursor);
  for (UINT c = first_cursor; c < first_cursor + std::min(cursor_count, kMaxCursors); ++c) {
    BOOL active = FALSE;
    WtPkt packet_data = 0;
    library.InfoA(kWtiCursors + c, kCsrActive, &active);
    library.InfoA(kWtiCursors + c, kCsrPktData, &packet_data);
    if (active && (packet_data & kPkNormalPressure) != 0) {
      pen.cursor = static_cast<std::int32_t>(c);
      break;
    }
  }
  const UINT cursor_category = kWtiCursors + static_cast<UINT>(pen.cursor);
  BYTE pressure_button = 0;
  BYTE button_map[32] = {};
  UINT marks[2] = {};
  Axis axis{};
  library.InfoA(cursor_category, kCsrNpButton, &pressure_button);
  library.InfoA(cursor_category, kCsrButtonMap, button_map);
  library.InfoA(kWtiDevices + device, kDvcNPressure, &axis);
  library.InfoA(cursor_category, kCsrNpBtnMarks, marks);
  pen.button_bit = button_map[pressure_button & 31];
  pen.press_mark = static_cast<std::int32_t>(marks[1]);
  pen.pressure_range = axis.axMax - pen.press_mark;
  return pen;
}

}  // namespace platform::win32::wintab
