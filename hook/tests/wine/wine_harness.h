// The wine tests' side of the processes: the window that collects the lines
// of the helpers, the helper processes, a read-only view of the hook
// library's shared block, and a driver that moves the system's mouse with
// SendInput.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hook/core/shared_block.h"
#include "platform/win32/handles.h"
#include "tests/support/mouse_driver.h"

// Found by argument-dependent lookup, as POINT is a global type.
inline bool operator==(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

namespace jebhook::wine_test {

struct Line {
  DWORD tick;
  std::string text;
};

// A message-only window receiving the helpers' lines, in arrival order.
class Collector {
 public:
  Collector();
  ~Collector();
  Collector(const Collector&) = delete;
  Collector& operator=(const Collector&) = delete;

  HWND window() const { return window_; }
  const std::vector<Line>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }

  // Dispatches messages until `done` holds or `timeout_ms` passes; returns
  // whether it holds.
  bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms);
  void Pump(DWORD ms);
  // The index of the first line at or after `from` that starts with
  // `prefix`.
  std::optional<std::size_t> Find(std::string_view prefix, std::size_t from = 0) const;
  // Waits for such a line; its index.
  std::optional<std::size_t> WaitFor(std::string_view prefix, std::size_t from, DWORD timeout_ms = 5000);
  std::vector<std::string> All(std::string_view prefix, std::size_t from = 0) const;
  std::size_t Count(std::string_view prefix, std::size_t from = 0) const { return All(prefix, from).size(); }
  // Every line since `from`, for failure messages.
  std::string Dump(std::size_t from) const;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  HWND window_ = nullptr;
  std::vector<Line> lines_;
};

// A helper program of bin/, started with the collector's window and
// `arguments`, ready once it has reported "<tag> ready ...".
class Helper {
 public:
  Helper(Collector& collector, const std::string& program, const std::string& tag,
         const std::string& arguments = "");
  ~Helper();
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  bool ready() const { return window_ != nullptr; }
  // The words of the ready line after "<tag> ready".
  const std::vector<std::string>& ready_words() const { return ready_words_; }
  HWND window() const { return window_; }
  void Command(std::string_view command) const;
  // Ends the process at once, without letting it clean up.
  void Kill();

 private:
  Collector& collector_;
  std::string tag_;
  platform::win32::UniqueHandle process_;
  HWND window_ = nullptr;
  std::vector<std::string> ready_words_;
};

// The hook library's shared block, read under its mutex.
class SharedView {
 public:
  static std::unique_ptr<SharedView> Open();
  template <typename Function>
  auto Read(Function function) const {
    platform::win32::MutexLock lock(mutex_.get());
    return function(*view_.as<const SharedBlock>());
  }

 private:
  platform::win32::UniqueHandle mutex_;
  platform::win32::UniqueHandle mapping_;
  platform::win32::MappedView view_;
};

// The system's mouse, moved with SendInput.
using Driver = testing_support::MouseDriver;

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The directory of the running executable, with a trailing backslash.
std::string ExecutableDirectory();

}  // namespace jebhook::wine_test
