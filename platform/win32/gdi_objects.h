// Owning wrappers for GDI objects and device contexts. Win32 only.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

// A window's device context (null window: the screen), released at the end.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A pen, brush, font or bitmap deleted with DeleteObject.
template <typename Object>
class GdiObject {
 public:
  explicit GdiObject(Object object) : object_(object) {}
  ~GdiObject() {
    if (object_ != nullptr) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Object get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  Object object_;
};

// An object selected into a device context, the previous one selected back
// at the end (before the object itself is deleted, so declare it after).
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace platform::win32
