#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

#include "platform/notification_window.h"

namespace platform {
namespace {

class QueueWindow;

// Live windows, so that a post to a stale handle fails as PostMessage does.
std::mutex g_windows_mutex;
std::set<const QueueWindow*> g_windows;

class QueueWindow final : public NotificationWindow {
 public:
  QueueWindow() {
    std::lock_guard<std::mutex> lock(g_windows_mutex);
    g_windows.insert(this);
  }
  ~QueueWindow() override {
    std::lock_guard<std::mutex> lock(g_windows_mutex);
    g_windows.erase(this);
  }

  WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(this); }

  std::optional<WindowMessage> WaitFor(std::uint32_t message) override {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ready_.wait(lock, [this] { return !queue_.empty(); });
      const WindowMessage next = queue_.front();
      queue_.pop_front();
      // Nothing to dispatch other messages to: they are dropped.
      if (next.message == message) return next;
    }
  }

  void Post(const WindowMessage& message) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(message);
    }
    ready_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<WindowMessage> queue_;
};

}  // namespace

std::unique_ptr<NotificationWindow> NotificationWindow::Create(std::uint32_t) {
  return std::make_unique<QueueWindow>();
}

bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  std::lock_guard<std::mutex> lock(g_windows_mutex);
  auto* target = reinterpret_cast<QueueWindow*>(window);
  if (g_windows.count(target) == 0) return false;
  target->Post({message, wparam, lparam});
  return true;
}

WaitCursor::WaitCursor() : previous_(nullptr) {}
WaitCursor::~WaitCursor() = default;

}  // namespace platform
