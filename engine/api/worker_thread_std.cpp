#include <system_error>
#include <thread>

#include "engine/api/worker_thread.h"

namespace vok::api {
namespace {

class StdWorkerThread final : public WorkerThread {
 public:
  explicit StdWorkerThread(std::function<void()> body) : thread_(std::move(body)) {}
  ~StdWorkerThread() override { WaitDone(); }

  void WaitDone() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace

std::unique_ptr<WorkerThread> StartWorkerThread(std::function<void()> body, bool) {
  try {
    return std::make_unique<StdWorkerThread>(std::move(body));
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace vok::api
