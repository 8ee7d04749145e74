#include "hook/win32/requests_win32.h"

#include <imm.h>

#include <cstring>

#include "hook/core/ime_text.h"
#include "hook/core/requests.h"
#include "hook/win32/handle_value.h"
#include "hook/win32/module_state.h"

namespace jebhook::win32 {
namespace {

// While text of an earlier post still waits, a post that does not fit beside
// it waits this long for that text to be taken.
constexpr int kWaitForRoomSteps = 50;
constexpr DWORD kWaitForRoomStepMs = 10;

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

void RecordFocus() {
  POINT caret{};
  GetCaretPos(&caret);
  HWND focus = GetFocus();
  BlockLock block;
  if (!block) return;
  block->request_focus = ToValue(focus);
  block->request_caret = {caret.x, caret.y};
}

// Request 142 in the thread of `window`: the shared text is taken under the
// mutex and set as the composition string after it is released (setting it
// sends messages to the window and the input method).
void SetComposition(HWND window) {
  if (window == nullptr) {
    BlockLock block;
    if (!block) return;
    window = ToWindow(block->foreign_focus);
  }
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return;  // the text waits for a window that has one
  char text[kImeTextBytes];
  std::size_t length = 0;
  {
    BlockLock block;
    if (block) length = TakeImeText(block->ime_text, text);
  }
  if (length > 0) {
    // The wide entry: the ANSI one of wine 8 passes the converted text's
    // character count where a byte count belongs and so sets half the text.
    WCHAR wide[kImeTextBytes];
    const int count = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide, kImeTextBytes);
    if (count > 0) {
      ImmSetCompositionStringW(context, SCS_SETSTR, wide, static_cast<DWORD>(count * sizeof(WCHAR)), nullptr,
                               0);
    }
  }
  ImmReleaseContext(window, context);
}

// Request 144: the input-method layout named in the block, then request 142
// to the last foreign focus window.
void SwitchLayout() {
  char layout[kLayoutNameBytes] = {};
  HWND target = nullptr;
  {
    BlockLock block;
    if (!block) return;
    std::memcpy(layout, block->layout_name, kLayoutNameBytes - 1);
    target = ToWindow(block->foreign_focus);
  }
  LoadKeyboardLayoutA(layout, KLF_ACTIVATE | KLF_NOTELLSHELL);
  PostMessageA(target, RegisteredMessage(), kRequestSetComposition, 0);
}

}  // namespace

bool HandleRequest(HWND window, WPARAM request) {
  switch (ClassifyRequest(request)) {
    case RequestAction::kNotHandled:
      return false;
    case RequestAction::kNoEffect:
      return true;
    case RequestAction::kRecordFocus:
      RecordFocus();
      return true;
    case RequestAction::kSetComposition:
      SetComposition(window);
      return true;
    case RequestAction::kSwitchLayout:
      SwitchLayout();
      return true;
  }
  return false;
}

int PostImeText(const char* text) {
  if (text == nullptr) return 0;
  const std::string_view whole(text);
  std::size_t taken = 0;
  HWND target = nullptr;
  for (int step = 0;; ++step) {
    {
      BlockLock block;
      if (!block) return 0;
      target = ToWindow(block->foreign_focus);
      if (target == nullptr || !IsWindow(target)) return 0;
      const std::size_t pending = PendingImeText(block->ime_text).size();
      const bool fits = pending + whole.size() <= kImeTextCapacity;
      if (fits || pending == 0 || step == kWaitForRoomSteps) {
        taken = AppendImeText(block->ime_text, whole, IsLeadByte);
        break;
      }
    }
    Sleep(kWaitForRoomStepMs);
  }
  PostMessageA(target, RegisteredMessage(), kRequestSwitchLayout, 0);
  return static_cast<int>(taken);
}

}  // namespace jebhook::win32
