// Starts a program with a command line and a working folder.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The layout of the system's process-information record: two handles, then
// the process and thread ids.
struct ProcessInformation {
  void* process;
  void* thread;
  std::uint32_t process_id;
  std::uint32_t thread_id;
};

struct LaunchRequest {
  std::string program;       // full path of the program file
  std::string command_line;  // as the program receives it, program first
  std::string working_folder;
  bool suspended = false;
};

// Windows: CreateProcess with a zeroed start-up record and normal priority;
// the caller owns the handles. Natively the program's process id stands for
// both handles and a suspended start is a stopped child. False when the
// process was not started.
bool LaunchProcess(const LaunchRequest& request, ProcessInformation* information);

}  // namespace platform
