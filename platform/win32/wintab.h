// The parts of the published Wintab interface that the hook library and the
// pen-input program use. The tablet driver's "Wintab32.dll" is loaded at run
// time, its functions bound by ordinal (wintab_library.h).
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform::win32::wintab {

using Hctx = HANDLE;
using WtPkt = DWORD;

inline constexpr UINT kWtiDefSysCtx = 4;
inline constexpr UINT kWtiDevices = 100;
inline constexpr UINT kWtiCursors = 200;
inline constexpr UINT kDvcNCsrTypes = 3;
inline constexpr UINT kDvcFirstCsr = 4;
inline constexpr UINT kDvcNPressure = 15;
inline constexpr UINT kCsrActive = 2;
inline constexpr UINT kCsrPktData = 3;
inline constexpr UINT kCsrButtonMap = 7;
inline constexpr UINT kCsrNpButton = 9;
inline constexpr UINT kCsrNpBtnMarks = 10;

inline constexpr UINT kCxoSystem = 0x0001;

inline constexpr WtPkt kPkButtons = 0x0040;
inline constexpr WtPkt kPkX = 0x0080;
inline constexpr WtPkt kPkY = 0x0100;
inline constexpr WtPkt kPkNormalPressure = 0x0400;
// The packet data the library asks for, 0x5C0.
inline constexpr WtPkt kPacketData = kPkButtons | kPkX | kPkY | kPkNormalPressure;

inline constexpr int kContextNameLength = 40;

struct LogContextA {
  char lcName[kContextNameLength];
  UINT lcOptions;
  UINT lcStatus;
  UINT lcLocks;
  UINT lcMsgBase;
  UINT lcDevice;
  UINT lcPktRate;
  WtPkt lcPktData;
  WtPkt lcPktMode;
  WtPkt lcMoveMask;
  DWORD lcBtnDnMask;
  DWORD lcBtnUpMask;
  LONG lcInOrgX;
  LONG lcInOrgY;
  LONG lcInOrgZ;
  LONG lcInExtX;
  LONG lcInExtY;
  LONG lcInExtZ;
  LONG lcOutOrgX;
  LONG lcOutOrgY;
  LONG lcOutOrgZ;
  LONG lcOutExtX;
  LONG lcOutExtY;
  LONG lcOutExtZ;
  DWORD lcSensX;  // FIX32
  DWORD lcSensY;
  DWORD lcSensZ;
  BOOL lcSysMode;
  int lcSysOrgX;
  int lcSysOrgY;
  int lcSysExtX;
  int lcSysExtY;
  DWORD lcSysSensX;
  DWORD lcSysSensY;
};
static_assert(sizeof(LogContextA) == 172);

struct Axis {
  LONG axMin;
  LONG axMax;
  UINT axUnits;
  DWORD axResolution;  // FIX32
};

// A packet of kPacketData in absolute mode: the fields in the order of their
// bits.
struct Packet {
  DWORD buttons;
  LONG x;
  LONG y;
  UINT normal_pressure;
};
static_assert(sizeof(Packet) == 16);

// Published ordinals.
inline constexpr WORD kOrdinalInfoA = 20;
inline constexpr WORD kOrdinalOpenA = 21;
inline constexpr WORD kOrdinalClose = 22;
inline constexpr WORD kOrdinalPacketsGet = 23;
inline constexpr WORD kOrdinalEnable = 40;
inline constexpr WORD kOrdinalOverlap = 41;
inline constexpr WORD kOrdinalGetA = 61;
inline constexpr WORD kOrdinalSetA = 62;

}  // namespace platform::win32::wintab
