// Owning wrappers for Win32 kernel handles, mapped views and held mutexes.
// Win32 only; header-only so that DLLs without the platform library can use
// them.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

// A kernel handle closed with CloseHandle. Both null and INVALID_HANDLE_VALUE
// count as no handle, since Win32 functions use either for failure.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) {
    if (*this) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A view of a file mapping, unmapped with UnmapViewOfFile.
class MappedView {
 public:
  MappedView() = default;
  explicit MappedView(void* view) : view_(view) {}
  ~MappedView() { reset(); }
  MappedView(MappedView&& other) noexcept : view_(std::exchange(other.view_, nullptr)) {}
  MappedView& operator=(MappedView&& other) noexcept {
    if (this != &other) reset(std::exchange(other.view_, nullptr));
    return *this;
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  void* get() const { return view_; }
  template <typename T>
  T* as() const {
    return static_cast<T*>(view_);
  }
  explicit operator bool() const { return view_ != nullptr; }
  void reset(void* view = nullptr) {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    view_ = view;
  }

 private:
  void* view_ = nullptr;
};

// Holds a mutex from construction to destruction. A mutex abandoned by a
// thread that ended while holding it is held all the same: the data it guards
// may be half-written, but waiting would never end.
class MutexLock {
 public:
  explicit MutexLock(HANDLE mutex, DWORD timeout_ms = INFINITE) : mutex_(mutex) {
    if (mutex_ == nullptr) return;
    const DWORD result = WaitForSingleObject(mutex_, timeout_ms);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  ~MutexLock() {
    if (held_) ReleaseMutex(mutex_);
  }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

  bool held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

}  // namespace platform::win32
