// RAII for device contexts and GDI objects: each pair of calls opens and
// closes in one scope.
#pragma once

#include <windows.h>

#include <utility>

namespace wrendle::framework {

// BeginPaint / EndPaint, for WM_PAINT.
class CPaintDC {
 public:
  explicit CPaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~CPaintDC() { EndPaint(window_, &paint_); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  HDC get() const { return dc_; }
  const RECT& paint_rect() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// GetDC or GetWindowDC / ReleaseDC. A null window gives the screen.
class CClientDC {
 public:
  explicit CClientDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~CClientDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  CClientDC(const CClientDC&) = delete;
  CClientDC& operator=(const CClientDC&) = delete;
  HDC get() const { return dc_; }

 protected:
  CClientDC(HWND window, HDC dc) : window_(window), dc_(dc) {}

 private:
  HWND window_;
  HDC dc_;
};

class CWindowDC : public CClientDC {
 public:
  explicit CWindowDC(HWND window) : CClientDC(window, GetWindowDC(window)) {}
};

// CreateCompatibleDC / DeleteDC.
class CMemoryDC {
 public:
  explicit CMemoryDC(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {}
  ~CMemoryDC() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// An owned GDI object, deleted with DeleteObject. Stock objects are never
// owned.
template <typename Handle>
class CGdiObject {
 public:
  CGdiObject() = default;
  explicit CGdiObject(Handle handle) : handle_(handle) {}
  ~CGdiObject() { reset(); }
  CGdiObject(CGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  CGdiObject& operator=(CGdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using CPen = CGdiObject<HPEN>;
using CBrush = CGdiObject<HBRUSH>;
using CFont = CGdiObject<HFONT>;
using CBitmap = CGdiObject<HBITMAP>;

// Selects an object into a DC and selects the previous one back at the end
// of the scope, before the object itself may be deleted.
class CSelectObject {
 public:
  CSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~CSelectObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace wrendle::framework
