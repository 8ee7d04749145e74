// A program of the wine tests started as a process of its own in a given
// folder: whether it runs, its exit code, and the top-level windows it
// shows. The process is ended when the object goes, if it still runs.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/window_search.h"

namespace testing_support {

class ChildProcess {
 public:
  static constexpr std::chrono::seconds kPatience{30};

  // `arguments` follow the quoted program path on the command line.
  ChildProcess(const std::filesystem::path& program, const std::filesystem::path& folder,
               const std::string& arguments = "") {
    std::string command = "\"" + program.string() + "\"";
    if (!arguments.empty()) command += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(program.string().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.string().c_str(), &startup, &info_) != FALSE;
  }
  ~ChildProcess() {
    if (!started_) return;
    if (running()) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return started_; }
  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool running() const { return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  // The exit code, or -1 when the process still runs after the wait.
  int WaitForExit(std::chrono::milliseconds wait = kPatience) const {
    if (!started_ || WaitForSingleObject(info_.hProcess, static_cast<DWORD>(wait.count())) != WAIT_OBJECT_0)
      return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
  }

  // A top-level window of the process for which `match` holds; null when the
  // process ended or time ran out first (it is looked for at least once).
  HWND WaitForWindow(const std::function<bool(HWND)>& match,
                     std::chrono::milliseconds wait = kPatience) const {
    const auto end = std::chrono::steady_clock::now() + wait;
    while (running()) {
      if (HWND window = FindWindowOf(id(), match)) return window;
      if (std::chrono::steady_clock::now() >= end) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

}  // namespace testing_support
