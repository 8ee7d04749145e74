#include <windows.h>

#include <vector>

#include "platform/process_launcher.h"

namespace platform {

static_assert(sizeof(ProcessInformation) == sizeof(PROCESS_INFORMATION));

bool LaunchProcess(const LaunchRequest& request, ProcessInformation* information) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  std::vector<char> command_line(request.command_line.begin(), request.command_line.end());
  command_line.push_back('\0');
  PROCESS_INFORMATION started{};
  const DWORD flags = NORMAL_PRIORITY_CLASS | (request.suspended ? CREATE_SUSPENDED : 0);
  if (CreateProcessA(request.program.c_str(), command_line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                     request.working_folder.c_str(), &startup, &started) == FALSE) {
    return false;
  }
  information->process = started.hProcess;
  information->thread = started.hThread;
  information->process_id = started.dwProcessId;
  information->thread_id = started.dwThreadId;
  return true;
}

}  // namespace platform
