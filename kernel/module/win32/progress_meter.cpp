// The meter control "MORVMETERCTL" and the progress dialog around it.
#include "kernel/module/progress_meter.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "kernel/module/win32/meter_resources.h"
#include "platform/calling_convention.h"

extern "C" LRESULT WRENDLE_STDCALL MeterWndFn(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

namespace {

constexpr char kMeterClass[] = "MORVMETERCTL";
constexpr int kDefaultRange = 100;
constexpr UINT kSetRange = WM_USER;
constexpr UINT kGetRange = WM_USER + 1;
constexpr UINT kSetPosition = WM_USER + 2;
constexpr UINT kGetPosition = WM_USER + 3;

// Range and position share the window's four extra bytes, 16 bits each.
struct MeterState {
  int range;
  int position;
};

MeterState LoadState(HWND window) {
  const auto packed = static_cast<std::uint32_t>(GetWindowLongA(window, 0));
  return {static_cast<int>(packed >> 16), static_cast<int>(packed & 0xFFFF)};
}

void StoreState(HWND window, MeterState state) {
  const std::uint32_t packed =
      (static_cast<std::uint32_t>(state.range) << 16) | static_cast<std::uint32_t>(state.position);
  SetWindowLongA(window, 0, static_cast<LONG>(packed));
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(window));
  const COLORREF text = GetTextColor(dc);
  const COLORREF background = GetBkColor(dc);
  const MeterState state = LoadState(window);
  RECT client;
  GetClientRect(window, &client);
  char label[16];
  std::snprintf(label, sizeof label, "%d%%", state.range > 0 ? state.position * 100 / state.range : 0);
  const int split = state.range > 0
                        ? client.left + (client.right - client.left) * state.position / state.range
                        : client.left;
  RECT done = client;
  done.right = split;
  RECT rest = client;
  rest.left = split;
  SetTextColor(dc, background);
  SetBkColor(dc, text);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &done, nullptr, 0, nullptr);
  SetTextColor(dc, text);
  SetBkColor(dc, background);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
  const HRGN clip_done = CreateRectRgnIndirect(&done);
  SelectClipRgn(dc, clip_done);
  SetTextColor(dc, background);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, label, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const HRGN clip_rest = CreateRectRgnIndirect(&rest);
  SelectClipRgn(dc, clip_rest);
  SetTextColor(dc, text);
  DrawTextA(dc, label, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip_done);
  DeleteObject(clip_rest);
  EndPaint(window, &paint);
}

void RegisterMeterClass(HINSTANCE module) {
  WNDCLASSA existing;
  if (GetClassInfoA(module, kMeterClass, &existing) || GetClassInfoA(nullptr, kMeterClass, &existing)) return;
  WNDCLASSA meter_class{};
  meter_class.style = CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS;
  meter_class.lpfnWndProc = MeterWndFn;
  meter_class.cbWndExtra = 4;
  meter_class.hInstance = module;
  meter_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  meter_class.lpszClassName = kMeterClass;
  RegisterClassA(&meter_class);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wparam) {
        EnableWindow(GetDlgItem(dialog, ZUN_METER_CANCEL), TRUE);
        SendDlgItemMessageA(dialog, ZUN_METER_CONTROL, kSetRange, kDefaultRange, 0);
        SendDlgItemMessageA(dialog, ZUN_METER_CONTROL, kSetPosition, 0, 0);
      }
      return FALSE;
    case WM_INITDIALOG:
    case WM_COMMAND:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

extern "C" LRESULT WRENDLE_STDCALL MeterWndFn(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      SetWindowLongA(window, 0, static_cast<LONG>((kDefaultRange << 16) | 50));
      return 0;
    case kSetRange: {
      MeterState state = LoadState(window);
      state.range = std::clamp(static_cast<int>(wparam), 0, 0xFFFF);
      if (state.range == 0) state.range = kDefaultRange;
      state.position = std::min(state.position, state.range);
      StoreState(window, state);
      return 0;
    }
    case kGetRange:
      return LoadState(window).range;
    case kSetPosition: {
      MeterState state = LoadState(window);
      state.position = std::clamp(static_cast<int>(wparam), 0, state.range);
      StoreState(window, state);
      return 0;
    }
    case kGetPosition:
      return LoadState(window).position;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

namespace kernel {

ProgressMeter::ProgressMeter() = default;

ProgressMeter::~ProgressMeter() {
  if (dialog_ == nullptr) return;
  UnregisterClassA(kMeterClass, ThisModule());
  DestroyWindow(static_cast<HWND>(dialog_));
}

void ProgressMeter::Show(std::size_t done, std::size_t total) {
  if (dialog_ == nullptr) {
    const HMODULE module = ThisModule();
    RegisterMeterClass(module);
    dialog_ =
        CreateDialogParamA(module, MAKEINTRESOURCEA(ZUN_METER_DIALOG), GetActiveWindow(), DialogProc, 0);
    if (dialog_ == nullptr) return;
    ShowWindow(static_cast<HWND>(dialog_), SW_SHOW);
    SendDlgItemMessageA(static_cast<HWND>(dialog_), ZUN_METER_CONTROL, kSetRange, static_cast<WPARAM>(total),
                        0);
  }
  SendDlgItemMessageA(static_cast<HWND>(dialog_), ZUN_METER_CONTROL, kSetPosition, static_cast<WPARAM>(done),
                      0);
}

}  // namespace kernel
