// The system's mouse for the wine tests, moved with SendInput, and a thread
// that drives it while the test's own thread runs the windows' messages
// (a stroke or a drag blocks that thread in its capture loop).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

namespace testing_support {

class MouseDriver {
 public:
  // Moves to (x, y), which it returns.
  POINT MoveTo(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 over the screen. Rounded up,
    // they land on (x, y) whether the system truncates or rounds them back.
    input.mi.dx = static_cast<LONG>((x * 65536LL + width - 1) / width);
    input.mi.dy = static_cast<LONG>((y * 65536LL + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    // Not GetCursorPos: under wine it may still give the previous position.
    return POINT{x, y};
  }
  void Press() { Button(MOUSEEVENTF_LEFTDOWN); }
  void Release() { Button(MOUSEEVENTF_LEFTUP); }
  void PressRight() { Button(MOUSEEVENTF_RIGHTDOWN); }
  void ReleaseRight() { Button(MOUSEEVENTF_RIGHTUP); }

 private:
  static void Button(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  }
};

// Confines the cursor to the screen less its last row and column. The
// driver's SendInput moves the X pointer too, and without the clip the X
// server's reports of those motions now and then reached a window late, as
// moves of their own to positions already passed; with it (wine then holds a
// pointer grab) they no longer do. Call it from the process whose window is
// in front.
inline bool ClipCursorForTests() {
  RECT clip{0, 0, GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  return ClipCursor(&clip) != FALSE;
}

// Runs `script` on a thread of its own and joins it at the end of the scope.
class DriverThread {
 public:
  explicit DriverThread(std::function<void(MouseDriver&)> script)
      : thread_([this, script = std::move(script)] {
          MouseDriver driver;
          script(driver);
          finished_ = true;
        }) {}
  ~DriverThread() { Join(); }
  DriverThread(const DriverThread&) = delete;
  DriverThread& operator=(const DriverThread&) = delete;
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  // The script has run to its end.
  bool done() const { return finished_; }

 private:
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace testing_support
