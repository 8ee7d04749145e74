// A thread of the engine library that can be waited for from any context.
// On Windows the thread holds a reference on the library and leaves through
// FreeLibraryAndExitThread, after it signals that it is done, so waiting for
// it never waits on a thread handle (which a caller inside another module's
// DllMain, under the loader lock, could not do).
#pragma once

#include <functional>
#include <memory>

namespace vok::api {

class WorkerThread {
 public:
  virtual ~WorkerThread() = default;
  // Returns once the body has returned.
  virtual void WaitDone() = 0;
};

// Null when the thread cannot be started. `above_normal` raises its priority
// where the system has priorities.
std::unique_ptr<WorkerThread> StartWorkerThread(std::function<void()> body, bool above_normal);

}  // namespace vok::api
