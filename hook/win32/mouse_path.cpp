#include "hook/win32/mouse_path.h"

#include <optional>

#include "hook/core/capture.h"
#include "hook/core/capture_decision.h"
#include "hook/core/owner_table.h"
#include "hook/win32/handle_value.h"
#include "hook/win32/ink.h"
#include "hook/win32/module_state.h"
#include "hook/win32/notices_win32.h"
#include "hook/win32/pause_timer_win32.h"
#include "hook/win32/tablet.h"

namespace jebhook::win32 {
namespace {

HWND TopLevel(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

Point32 ToPoint(POINT p) { return {p.x, p.y}; }

class SystemPointer final : public PointerProbe {
 public:
  std::uint32_t NowMs() override { return GetTickCount(); }
  Point32 Cursor() override {
    POINT p{};
    GetCursorPos(&p);
    return ToPoint(p);
  }
  bool LeftButtonDown() override {
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(button) & 0x8000) != 0;
  }
  void Pause() override { Sleep(1); }
};

// A window of the owner holding the mouse capture would keep the press from
// reaching us; it is told to cancel its mode, without waiting for it.
void CancelOwnerMouseCapture(const OwnerSlot& slot, HWND owner_top, POINT point) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(slot.thread_id, &info) || info.hwndCapture == nullptr) return;
  RECT owner_rect{};
  if (TopLevel(info.hwndCapture) != owner_top ||
      (GetWindowRect(owner_top, &owner_rect) && PtInRect(&owner_rect, point))) {
    return;
  }
  SendNotifyMessageA(info.hwndCapture, WM_CANCELMODE, 0, 0);
}

// The capture test for a press at `point`, with a copy of the active owner's
// slot; runs with the mutex released (mode 1 takes up to the hold window).
bool PressMayCapture(const OwnerSlot& slot, POINT point) {
  HWND under = WindowFromPoint(point);
  HWND top = TopLevel(under);
  HWND owner_top = TopLevel(ToWindow(slot.window));
  bool menu_open = false;
  {
    BlockLock block;
    if (!block) return false;
    block->window_under_pen = ToValue(top);
    menu_open = block->menu_open != 0;
  }
  char class_name[64] = {};
  if (under != nullptr) GetClassNameA(under, class_name, sizeof class_name);
  RECT work{};
  const bool have_work = SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) != FALSE;
  const PressFacts facts{
      .mouse_mode = slot.mouse_mode,
      .menu_open = menu_open,
      .excluded_class = IsExcludedClass(class_name),
      .over_owner_window = top != nullptr && top == owner_top,
      .inside_work_area = !have_work || PtInRect(&work, point),
  };
  const PressVerdict verdict = JudgePress(facts);
  if (verdict == PressVerdict::kRefuse) return false;
  CancelOwnerMouseCapture(slot, owner_top, point);
  if (verdict == PressVerdict::kCapture) return true;
  HCURSOR previous = ShowPenCursor();
  SystemPointer pointer;
  const bool pass = RunHoldTest(pointer, slot.speed_threshold, slot.hold_window_ms);
  if (!pass) SetCursor(previous);
  return pass;
}

bool IsPressOnWaitingWindow(HWND waiting, const MOUSEHOOKSTRUCT& info) {
  if (waiting == nullptr || !IsWindow(waiting)) return false;
  if (info.hwnd != waiting && !IsChild(waiting, info.hwnd)) return false;
  RECT rect{};
  return GetWindowRect(waiting, &rect) && PtInRect(&rect, info.pt);
}

bool MoveOrRelease(UINT message, const MOUSEHOOKSTRUCT& info) {
  std::optional<Segment> segment;
  int width = 0;
  COLORREF colour = 0;
  {
    BlockLock block;
    if (!block || !block->capture_on) return false;
    if (block->pressure_mode > 0) return false;  // the tablet path lets them pass
    const OwnerSlot* slot = ActiveSlot(*block.get());
    width = slot ? slot->pen_width : 1;
    colour = slot ? slot->pen_colour : 0;
    const Point32 point = ToPoint(info.pt);
    if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) {
      segment = PenMove(*block.get(), point);
    } else {
      const PenUpResult up = PenUp(*block.get(), point);
      segment = up.segment;
      if (up.stroke_closed) ArmPauseTimer(*block.get(), slot ? slot->pause_delay_ms : 0);
    }
  }
  if (segment) DrawInkLine(*segment, width, colour);
  return true;
}

bool Press(const MOUSEHOOKSTRUCT& info) {
  Notices notices;
  bool capture_on = false;
  bool tablet = false;
  std::optional<OwnerSlot> slot;
  {
    BlockLock block;
    if (!block) return false;
    if (block->waiting) {
      if (IsPressOnWaitingWindow(ToWindow(block->waiting_window), info)) return false;
      NotifyActiveOwner(*block.get(), kPnRecognize, 2, notices);
    }
    capture_on = block->capture_on != 0;
    tablet = block->pressure_mode > 0;
    if (const OwnerSlot* active = ActiveSlot(*block.get())) slot = *active;
  }
  Deliver(notices);

  if (!capture_on) {
    if (!slot || !IsCaptureHitTest(static_cast<std::int32_t>(info.wHitTestCode))) return false;
    if (!PressMayCapture(*slot, info.pt)) return false;
    if (tablet && !TabletTipIsDown()) return false;
    Notices started;
    {
      BlockLock block;
      if (!block) return false;
      if (!block->capture_on)
        NotifyActiveOwner(*block.get(), kPnCaptureStart, BeginCapture(*block.get()), started);
    }
    // Sent before the first point is added.
    Deliver(started);
  }
  if (tablet) return RunTabletStroke(ToPoint(info.pt));
  // Outside the lock: finding the window may send it WM_NCHITTEST.
  HWND under = TopLevel(WindowFromPoint(info.pt));
  {
    BlockLock block;
    if (!block || !block->capture_on) return false;
    block->window_under_pen = ToValue(under);
    StopPauseTimerHere(*block.get());
    PenDown(*block.get(), ToPoint(info.pt));
  }
  ShowPenCursor();
  return true;
}

}  // namespace

bool HandleMouseMessage(UINT message, const MOUSEHOOKSTRUCT& info) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
      return MoveOrRelease(message, info);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      return Press(info);
    default: {
      BlockLock block;
      if (!block) return false;
      block->last_other_mouse_time = static_cast<std::uint32_t>(GetMessageTime());
      return block->capture_on != 0;
    }
  }
}

}  // namespace jebhook::win32
