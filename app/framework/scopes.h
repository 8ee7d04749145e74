// Scopes for pairs of Win32 calls that the controls open and close in one
// place: a thread hook, the clipboard, a popup menu, a window region and a
// window-update lock.
#pragma once

#include <windows.h>

#include <utility>

namespace wrendle::framework {

// SetWindowsHookEx on the calling thread / UnhookWindowsHookEx.
class ThreadHookScope {
 public:
  ThreadHookScope(int kind, HOOKPROC procedure)
      : hook_(SetWindowsHookExA(kind, procedure, nullptr, GetCurrentThreadId())) {}
  ~ThreadHookScope() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  ThreadHookScope(const ThreadHookScope&) = delete;
  ThreadHookScope& operator=(const ThreadHookScope&) = delete;
  HHOOK get() const { return hook_; }

 private:
  HHOOK hook_;
};

// OpenClipboard / CloseClipboard.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_;
};

// CreatePopupMenu / DestroyMenu.
class CMenu {
 public:
  CMenu() : menu_(CreatePopupMenu()) {}
  ~CMenu() {
    if (menu_ != nullptr) DestroyMenu(menu_);
  }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// A region that the system owns only once SetWindowRgn took it; until then,
// and when it fails, the region is deleted here.
class CWindowRegion {
 public:
  explicit CWindowRegion(HRGN region) : region_(region) {}
  ~CWindowRegion() {
    if (region_ != nullptr) DeleteObject(region_);
  }
  CWindowRegion(const CWindowRegion&) = delete;
  CWindowRegion& operator=(const CWindowRegion&) = delete;
  bool ApplyTo(HWND window) {
    if (region_ == nullptr || SetWindowRgn(window, region_, TRUE) == 0) return false;
    region_ = nullptr;
    return true;
  }

 private:
  HRGN region_;
};

// LockWindowUpdate / LockWindowUpdate(null): released on every path.
class LockWindowUpdateScope {
 public:
  explicit LockWindowUpdateScope(HWND window) : locked_(LockWindowUpdate(window) != FALSE) {}
  ~LockWindowUpdateScope() {
    if (locked_) LockWindowUpdate(nullptr);
  }
  LockWindowUpdateScope(const LockWindowUpdateScope&) = delete;
  LockWindowUpdateScope& operator=(const LockWindowUpdateScope&) = delete;

 private:
  bool locked_;
};

}  // namespace wrendle::framework
