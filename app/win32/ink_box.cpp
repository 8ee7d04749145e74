#include "app/win32/ink_box.h"

#include <vector>

#include "app/core/geometry.h"
#include "app/core/ink_drawing.h"
#include "app/core/ink_pause.h"
#include "app/framework/capture_loop.h"
#include "app/framework/frame_wnd.h"
#include "app/win32/resource_module.h"

namespace wrendle::app {
namespace {

constexpr char kWritingClass[] = "JebWrite";

HWND AsWindow(InkBoxKey box) { return reinterpret_cast<HWND>(box); }
InkBoxKey KeyOf(HWND window) { return reinterpret_cast<InkBoxKey>(window); }

// The boxes' pause timers and commands, on the windows themselves.
class WindowPauseHost final : public InkPauseHost {
 public:
  bool StartPauseTimer(InkBoxKey box, std::uint32_t ms) override {
    return SetTimer(AsWindow(box), CInkBox::kPauseTimer, ms, nullptr) != 0;
  }
  void StopPauseTimer(InkBoxKey box) override { KillTimer(AsWindow(box), CInkBox::kPauseTimer); }
  void RecognizeInk(InkBoxKey box) override {
    const HWND window = AsWindow(box);
    if (!IsWindow(window)) return;
    const int id = GetDlgCtrlID(window);
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(window));
  }
};

InkPauseArbiter& Arbiter() {
  static WindowPauseHost host;
  static InkPauseArbiter arbiter(host);
  return arbiter;
}

framework::CPen MakeInkPen(int width, COLORREF colour) {
  LOGBRUSH brush{BS_SOLID, colour, 0};
  return framework::CPen(ExtCreatePen(PS_GEOMETRIC | PS_INSIDEFRAME | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                      static_cast<DWORD>(width > 0 ? width : 1), &brush, 0, nullptr));
}

}  // namespace

std::string RegisterWritingClass() {
  const HINSTANCE instance = framework::CWinApp::Instance();
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kWritingClass, &existing)) return kWritingClass;
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &DefWindowProcA;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorA(ResourceModule(), MAKEINTRESOURCEA(101));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(12 + 1));
  window_class.lpszClassName = kWritingClass;
  return RegisterClassA(&window_class) != 0 ? kWritingClass : std::string();
}

CInkBox::CInkBox(std::uint32_t pause_ms, int pen_width, COLORREF pen_colour)
    : pause_ms_(pause_ms),
      pen_width_(pen_width),
      pen_colour_(pen_colour),
      pen_(MakeInkPen(pen_width, pen_colour)) {
  tablet_.SetPen(pen_width, pen_colour);
}

CInkBox::~CInkBox() {
  if (hwnd() != nullptr) Arbiter().Forget(KeyOf(hwnd()));
}

bool CInkBox::Create(const RECT& rect, HWND parent, UINT id, DWORD style) {
  const std::string window_class = RegisterWritingClass();
  if (window_class.empty()) return false;
  return CreateEx(0, window_class.c_str(), "", style, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CInkBox::StartPauseTimer(std::uint32_t ms) { Arbiter().PenUp(KeyOf(hwnd()), ms); }

void CInkBox::StopPauseTimer() { Arbiter().Forget(KeyOf(hwnd())); }

void CInkBox::SetPen(int width, COLORREF colour) {
  pen_width_ = width;
  pen_colour_ = colour;
  pen_ = MakeInkPen(width, colour);
  tablet_.SetPen(width, colour);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void CInkBox::Clear() {
  buffer_.Clear();
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
}

bool CInkBox::ShowStrokes(const StrokeEntry* list, std::size_t bytes) {
  if (list == nullptr) return false;
  const std::span<const StrokeEntry> entries(list, bytes / sizeof(StrokeEntry));
  RECT client;
  GetClientRect(hwnd(), &client);
  const std::int32_t mx = client.right / 7;
  const std::int32_t my = client.bottom / 7;
  const std::vector<StrokeEntry> scaled =
      ScaleStrokesInto(entries, Rect{mx, my, client.right - mx, client.bottom - my});
  CopyStrokes(buffer_, scaled);
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
  return !scaled.empty();
}

void CInkBox::OnLButtonDown(UINT, POINT point) {
  Arbiter().Press(KeyOf(hwnd()), pause_ms_);
  bool from_tablet = false;
  if (pressure_ && tablet_.is_open()) {
    SetCapture(hwnd());
    from_tablet = tablet_.PollTablet(buffer_, point);
    if (GetCapture() == hwnd()) ReleaseCapture();
  }
  if (!from_tablet) CollectMouseStroke(point);
  Arbiter().PenUp(KeyOf(hwnd()), pause_ms_);
}

void CInkBox::CollectMouseStroke(POINT start) {
  framework::CClientDC dc(hwnd());
  framework::CSelectObject pen(dc.get(), pen_.get());
  if (!buffer_.BeginStroke()) {
    // A full buffer takes nothing more; the press still ends with the button.
    framework::RunCaptureLoop(hwnd(), INFINITE, [](UINT, POINT) { return true; });
    return;
  }
  buffer_.AddPoint(start.x, start.y);
  MoveToEx(dc.get(), start.x, start.y, nullptr);
  LineTo(dc.get(), start.x, start.y + 1);
  MoveToEx(dc.get(), start.x, start.y, nullptr);
  POINT last = start;
  framework::RunCaptureLoop(hwnd(), INFINITE, [&](UINT message, POINT point) {
    if (message != WM_MOUSEMOVE && message != WM_LBUTTONUP) return true;
    if (point.x == last.x && point.y == last.y) return true;
    if (buffer_.AddPoint(point.x, point.y)) {
      // Only the new segment is drawn.
      LineTo(dc.get(), point.x, point.y);
      last = point;
    }
    return true;
  });
  buffer_.EndStroke();
}

void CInkBox::OnTimer(UINT_PTR id) {
  if (id == kPauseTimer) {
    Arbiter().Timer(KeyOf(hwnd()));
    return;
  }
  CWnd::OnTimer(id);
}

void CInkBox::OnPaint() {
  framework::CPaintDC dc(hwnd());
  framework::CSelectObject pen(dc.get(), pen_.get());
  const auto view = StrokeListView::Parse(buffer_.TerminatedList());
  if (!view) return;
  for (const StrokeView& stroke : view->strokes()) {
    MoveToEx(dc.get(), stroke.points[0].x, stroke.points[0].y, nullptr);
    LineTo(dc.get(), stroke.points[0].x, stroke.points[0].y + 1);
    MoveToEx(dc.get(), stroke.points[0].x, stroke.points[0].y, nullptr);
    for (const StrokeEntry& p : stroke.points) LineTo(dc.get(), p.x, p.y);
  }
}

int CInkBox::OnCreate(CREATESTRUCTA* create) {
  if (CWnd::OnCreate(create) == -1) return -1;
  // Without a tablet every press takes the mouse stroke.
  tablet_.Open(hwnd());
  return 0;
}

void CInkBox::OnDestroy() {
  tablet_.Close();
  Arbiter().Forget(KeyOf(hwnd()));
  CWnd::OnDestroy();
}

}  // namespace wrendle::app
