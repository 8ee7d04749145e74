#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>

#include "platform/notification_window.h"
#include "platform/window_notifier.h"

namespace platform {
namespace {

class QueueWindow;

// The answer slot of a sent message: the waiting window answers 0 once it
// removes the message.
struct Reply {
  std::mutex mutex;
  std::condition_variable answered_signal;
  bool answered = false;
};

struct QueuedMessage {
  WindowMessage message;
  std::shared_ptr<Reply> reply;  // null for posted messages
};

void Answer(const std::shared_ptr<Reply>& reply) {
  if (!reply) return;
  {
    std::lock_guard<std::mutex> lock(reply->mutex);
    reply->answered = true;
  }
  reply->answered_signal.notify_all();
}

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
      const QueuedMessage next = queue_.front();
      queue_.pop_front();
      // Nothing to dispatch other messages to: they are dropped, and sent
      // ones answered with 0.
      Answer(next.reply);
      if (next.message.message == message) return next.message;
    }
  }

  void Post(const QueuedMessage& message) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(message);
    }
    ready_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<QueuedMessage> queue_;
};

}  // namespace

std::unique_ptr<NotificationWindow> NotificationWindow::Create(std::uint32_t) {
  return std::make_unique<QueueWindow>();
}

bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                       std::intptr_t lparam) {
  std::lock_guard<std::mutex> lock(g_windows_mutex);
  auto* target = reinterpret_cast<QueueWindow*>(window);
  if (g_windows.count(target) == 0) return false;
  target->Post({{message, wparam, lparam}, nullptr});
  return true;
}

namespace {

class QueueWindowNotifier final : public WindowNotifier {
 public:
  bool IsWindow(WindowHandle window) override {
    std::lock_guard<std::mutex> lock(g_windows_mutex);
    return g_windows.count(reinterpret_cast<QueueWindow*>(window)) != 0;
  }

  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
            std::intptr_t lparam) override {
    return PostWindowMessage(window, message, wparam, lparam);
  }

  std::optional<std::uintptr_t> Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                     std::intptr_t lparam, std::uint32_t timeout_ms) override {
    auto reply = std::make_shared<Reply>();
    {
      std::lock_guard<std::mutex> lock(g_windows_mutex);
      auto* target = reinterpret_cast<QueueWindow*>(window);
      if (g_windows.count(target) == 0) return std::nullopt;
      target->Post({{message, wparam, lparam}, reply});
    }
    std::unique_lock<std::mutex> lock(reply->mutex);
    if (!reply->answered_signal.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                         [&] { return reply->answered; })) {
      return std::nullopt;
    }
    return std::uintptr_t{0};
  }
};

}  // namespace

std::unique_ptr<WindowNotifier> MakeSystemWindowNotifier() { return std::make_unique<QueueWindowNotifier>(); }

WaitCursor::WaitCursor() : previous_(nullptr) {}
WaitCursor::~WaitCursor() = default;

}  // namespace platform
