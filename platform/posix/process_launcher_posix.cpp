#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <sstream>
#include <vector>

#include "platform/process_launcher.h"

extern char** environ;

namespace platform {

bool LaunchProcess(const LaunchRequest& request, ProcessInformation* information) {
  // The command line split at blanks, as a Windows program's C runtime would
  // for arguments without quotes.
  std::vector<std::string> words;
  std::istringstream split(request.command_line);
  for (std::string word; split >> word;) words.push_back(word);
  if (words.empty()) words.push_back(request.program);
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, request.working_folder.c_str());
  pid_t child = 0;
  const int error =
      posix_spawn(&child, request.program.c_str(), &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  if (request.suspended) kill(child, SIGSTOP);
  information->process = reinterpret_cast<void*>(static_cast<std::intptr_t>(child));
  information->thread = information->process;
  information->process_id = static_cast<std::uint32_t>(child);
  information->thread_id = static_cast<std::uint32_t>(child);
  return true;
}

}  // namespace platform
