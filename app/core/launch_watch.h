// The outside programs that the writing pad started and waits for. The pad
// looks at them on a timer: while one runs, the program stays hidden; when
// it ends (or cannot be waited for) the program shows itself again. Only
// processes that the pad started are watched, and each is closed when done.
#pragma once

#include <cstdint>
#include <map>

namespace wrendle::app {

using ProcessId = std::uintptr_t;

class ProcessWaiter {
 public:
  enum class State { kRunning, kEnded, kFailed };
  virtual ~ProcessWaiter() = default;
  virtual State Poll(ProcessId process) = 0;
  virtual void Close(ProcessId process) = 0;
};

class LaunchHost {
 public:
  virtual ~LaunchHost() = default;
  // Shows the main frame or the pad and the open panes.
  virtual void ShowAll() = 0;
  // Event 1024 code 23.
  virtual void RequestCaptureOn() = 0;
  // The Select User dialog in start-up mode.
  virtual void SelectUserAtStartup() = 0;
};

class LaunchWatch {
 public:
  // Kinds of WM_LAUNCHWAIT: 1 sign and draw, 2 training editor, 3 reading.
  static constexpr int kSignAndDraw = 1;
  static constexpr int kTrainingEditor = 2;
  static constexpr int kReading = 3;

  LaunchWatch(ProcessWaiter& waiter, LaunchHost& host) : waiter_(waiter), host_(host) {}
  ~LaunchWatch();
  LaunchWatch(const LaunchWatch&) = delete;
  LaunchWatch& operator=(const LaunchWatch&) = delete;

  // A process the pad started, not yet waited for.
  void Started(ProcessId process);
  // WM_LAUNCHWAIT (kind, process): false, and nothing done, for a process
  // the pad did not start or a kind outside 1..3.
  bool Wait(int kind, ProcessId process);
  // A timer tick: each process that ended or failed is closed and the
  // program shows itself again.
  void Poll();
  bool waiting() const;
  bool IsOurs(ProcessId process) const { return processes_.contains(process); }

 private:
  ProcessWaiter& waiter_;
  LaunchHost& host_;
  // Kind 0 until its WM_LAUNCHWAIT arrives.
  std::map<ProcessId, int> processes_;
};

}  // namespace wrendle::app
