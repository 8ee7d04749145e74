// Runs a piece of a test in a child process whose files cannot grow past a
// given size, as on a disk that fills up part way through a write. POSIX only.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

// The result of `action`, run in a child process where every write beyond
// `limit` bytes of a file fails (with EFBIG, not the default signal).
inline bool RunWithFileSizeLimit(rlim_t limit, const std::function<bool()>& action) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size_limit{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &size_limit) != 0) _exit(2);
    _exit(action() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testing_support
