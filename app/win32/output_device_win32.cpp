#include "app/win32/output_device_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace wrendle::app {
namespace {

HWND AsWindow(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

// Movable, shareable global memory holding `size` bytes copied from `data`;
// the clipboard owns it once SetClipboardData took it.
HGLOBAL GlobalCopy(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (block == nullptr) return nullptr;
  void* locked = GlobalLock(block);
  if (locked == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(locked, data, size);
  GlobalUnlock(block);
  return block;
}

bool PutClipboardBlock(UINT format, const void* data, size_t size) {
  HGLOBAL block = GlobalCopy(data, size);
  if (block == nullptr) return false;
  if (SetClipboardData(format, block) == nullptr) {
    GlobalFree(block);
    return false;
  }
  return true;
}

// The text in `code_page` as UTF-16 with its zero, sized to the text.
std::wstring Widen(std::string_view bytes, int code_page) {
  if (bytes.empty()) return std::wstring();
  const int length = MultiByteToWideChar(static_cast<UINT>(code_page), 0, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
  if (length > 0) {
    MultiByteToWideChar(static_cast<UINT>(code_page), 0, bytes.data(), static_cast<int>(bytes.size()),
                        wide.data(), length);
  }
  return wide;
}

}  // namespace

void SendKeySequence(std::span<const std::uint16_t> words) {
  for (const std::uint16_t word : words) {
    if (word == 0) break;
    const BYTE vk = static_cast<BYTE>(word & 0xFF);
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), KeyEventFlags(word), 0);
  }
}

void Win32OutputDevice::SetPrevCharacter(int code) { dispatcher_.SetPrevCharacter(code); }

void Win32OutputDevice::PostChar(WindowHandle target, std::uint8_t byte) {
  PostMessageA(AsWindow(target), WM_CHAR, byte, 1);
}

void Win32OutputDevice::PostKey(WindowHandle target, bool down, std::uint8_t vk, std::uint32_t flags) {
  const LPARAM lparam = static_cast<LPARAM>(flags | (MapVirtualKeyA(vk, 0) << 16));
  PostMessageA(AsWindow(target), down ? WM_KEYDOWN : WM_KEYUP, vk, lparam);
}

bool Win32OutputDevice::OpenClipboard(WindowHandle owner) {
  return ::OpenClipboard(AsWindow(owner)) != FALSE;
}

bool Win32OutputDevice::EmptyClipboard() { return ::EmptyClipboard() != FALSE; }

bool Win32OutputDevice::PutText(std::string_view bytes) {
  std::string text(bytes);
  return PutClipboardBlock(CF_TEXT, text.c_str(), text.size() + 1);
}

bool Win32OutputDevice::PutUnicodeText(std::string_view bytes, int code_page) {
  const std::wstring wide = Widen(bytes, code_page);
  return PutClipboardBlock(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

void Win32OutputDevice::CloseClipboard() { ::CloseClipboard(); }

bool Win32OutputDevice::RichEditCopy(std::string_view bytes, int code_page) {
  if (rich_edit_ == nullptr) return false;
  const std::wstring wide = Widen(bytes, code_page);
  SendMessageA(rich_edit_, EM_SETTEXTMODE, TM_PLAINTEXT | TM_SINGLELEVELUNDO, 0);
  SendMessageW(rich_edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  SendMessageA(rich_edit_, EM_SETSEL, 0, -1);
  SendMessageA(rich_edit_, WM_COPY, 0, 0);
  return true;
}

bool Win32OutputDevice::PostImeString(std::string_view bytes) { return hook_.PostImeString(bytes); }

void Win32OutputDevice::ReleaseCapture() { ::ReleaseCapture(); }

void Win32OutputDevice::SetForeground(WindowHandle window) {
  // The target is usually a child control; its top-level window takes the
  // foreground and gives the focus back to the control.
  HWND top = GetAncestor(AsWindow(window), GA_ROOT);
  SetForegroundWindow(top != nullptr ? top : AsWindow(window));
}

void Win32OutputDevice::PlayKeys(std::span<const std::uint16_t> words) { SendKeySequence(words); }

void Win32OutputDevice::Wait(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace wrendle::app
