// A window notifier double: records every post and send, and answers them
// as the test scripts.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/window_notifier.h"

namespace vok::api::testing {

struct Delivered {
  bool sent;
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
  bool operator==(const Delivered&) const = default;
};

class ScriptedWindows : public platform::WindowNotifier {
 public:
  static constexpr platform::WindowHandle kWindow = 0x1234;

  bool IsWindow(platform::WindowHandle window) override { return alive && window == kWindow; }

  bool Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
            std::intptr_t lparam) override {
    std::lock_guard<std::mutex> lock(mutex);
    const bool ok = IsWindow(window) && NextOutcome(post_outcomes, message);
    if (ok) delivered.push_back({false, message, wparam, lparam});
    return ok;
  }

  std::optional<std::uintptr_t> Send(platform::WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wparam, std::intptr_t lparam, std::uint32_t) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (!IsWindow(window)) return std::nullopt;
    std::optional<std::uintptr_t> answer = std::uintptr_t{0};
    if (!send_answers.empty()) {
      answer = send_answers.front();
      send_answers.pop_front();
    }
    if (answer) delivered.push_back({true, message, wparam, lparam});
    return answer;
  }

  std::vector<Delivered> Snapshot() {
    std::lock_guard<std::mutex> lock(mutex);
    return delivered;
  }

  bool alive = true;
  // Per post in order: whether it gets through (true once the list is used up).
  std::deque<bool> post_outcomes;
  // Messages whose posts always fail.
  std::vector<std::uint32_t> refused;
  // Per send in order: the answer, or nullopt for a failed send.
  std::deque<std::optional<std::uintptr_t>> send_answers;
  std::mutex mutex;
  std::vector<Delivered> delivered;

 private:
  bool NextOutcome(std::deque<bool>& outcomes, std::uint32_t message) {
    for (const std::uint32_t r : refused) {
      if (r == message) return false;
    }
    if (outcomes.empty()) return true;
    const bool ok = outcomes.front();
    outcomes.pop_front();
    return ok;
  }
};

}  // namespace vok::api::testing
