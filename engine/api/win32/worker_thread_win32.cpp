#include <windows.h>

#include "engine/api/worker_thread.h"

namespace vok::api {
namespace {

struct ThreadStart {
  std::function<void()> body;
  HANDLE done = nullptr;
  HMODULE module = nullptr;
};

DWORD WINAPI ThreadMain(LPVOID parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  try {
    start->body();
  } catch (...) {
  }
  const HMODULE module = start->module;
  // The last touch of shared state: a waiter may free `start` from here on.
  SetEvent(start->done);
  FreeLibraryAndExitThread(module, 0);
}

class Win32WorkerThread final : public WorkerThread {
 public:
  explicit Win32WorkerThread(std::unique_ptr<ThreadStart> start) : start_(std::move(start)) {}
  ~Win32WorkerThread() override {
    WaitDone();
    CloseHandle(start_->done);
  }

  void WaitDone() override { WaitForSingleObject(start_->done, INFINITE); }

 private:
  std::unique_ptr<ThreadStart> start_;
};

}  // namespace

std::unique_ptr<WorkerThread> StartWorkerThread(std::function<void()> body, bool above_normal) {
  auto start = std::make_unique<ThreadStart>();
  start->body = std::move(body);
  start->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (start->done == nullptr) return nullptr;
  // The thread keeps the module loaded until it has left it.
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThreadMain),
                         &start->module) == FALSE) {
    CloseHandle(start->done);
    return nullptr;
  }
  HANDLE thread = CreateThread(nullptr, 0, ThreadMain, start.get(), CREATE_SUSPENDED, nullptr);
  if (thread == nullptr) {
    FreeLibrary(start->module);
    CloseHandle(start->done);
    return nullptr;
  }
  if (above_normal) SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  auto worker = std::make_unique<Win32WorkerThread>(std::move(start));
  ResumeThread(thread);
  CloseHandle(thread);
  return worker;
}

}  // namespace vok::api
