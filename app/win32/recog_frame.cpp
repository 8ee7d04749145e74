#include "app/win32/recog_frame.h"

#include <optional>

#include "app/core/text_output.h"
#include "app/win32/output_device_win32.h"

namespace wrendle::app {
namespace {

// The WM_SENDRESULT messages queued for one frame, looked at in place.
class QueuedSendResults final : public PendingSends {
 public:
  explicit QueuedSendResults(HWND window) : window_(window) {}

  std::optional<Send> Peek() override {
    MSG message;
    if (!PeekMessageA(&message, window_, kSendResultMessage, kSendResultMessage, PM_NOREMOVE))
      return std::nullopt;
    return Send{static_cast<std::uint16_t>(message.wParam), static_cast<WindowHandle>(message.lParam)};
  }
  void Remove() override {
    MSG message;
    PeekMessageA(&message, window_, kSendResultMessage, kSendResultMessage, PM_REMOVE);
  }

 private:
  HWND window_;
};

// The older input-method library is looked up while recognition frames
// exist; its entry is never called.
int g_frames = 0;
HMODULE g_winnls = nullptr;

}  // namespace

CRecogFrame::CRecogFrame(ProgramContext& context) : context_(context) {
  if (g_frames++ == 0) {
    g_winnls = LoadLibraryA("WINNLS");
    if (g_winnls != nullptr) GetProcAddress(g_winnls, "WINNLSSendString");
  }
}

CRecogFrame::~CRecogFrame() {
  if (driver().main_target() == this) driver().SetMainTarget(nullptr);
  if (driver().pad_target() == this) driver().SetPadTarget(nullptr);
  if (--g_frames == 0 && g_winnls != nullptr) {
    FreeLibrary(g_winnls);
    g_winnls = nullptr;
  }
}

std::intptr_t CRecogFrame::OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) {
  return driver().HandleBaseEvent(code, a, b, *this);
}

void CRecogFrame::PostSendResult(std::uint16_t code, WindowHandle target) {
  PostMessage(kSendResultMessage, code, static_cast<LPARAM>(target));
}

bool CRecogFrame::OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message != kSendResultMessage) return CFrameWnd::OnOwnMessage(message, wparam, lparam, result);
  *result = OnSendResult(wparam, lparam);
  return true;
}

LRESULT CRecogFrame::OnSendResult(WPARAM wparam, LPARAM lparam) {
  const HWND target = reinterpret_cast<HWND>(lparam);
  char class_name[256] = "";
  if (target != nullptr) GetClassNameA(target, class_name, sizeof class_name);
  const TextOutput output(context_.settings, context_.user_map, reinterpret_cast<WindowHandle>(OutputOwner()),
                          context_.rich_edit != nullptr);
  QueuedSendResults queue(hwnd());
  const SendPlan plan = output.SendResult(static_cast<WindowHandle>(lparam), TargetKindOf(class_name),
                                          static_cast<std::uint16_t>(wparam), queue);
  Win32OutputDevice device(context_.dispatcher, context_.hook, context_.rich_edit);
  ExecutePlan(plan, device);
  return 0;
}

}  // namespace wrendle::app
