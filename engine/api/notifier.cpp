#include "engine/api/notifier.h"

#include <optional>

namespace vok::api {

std::uint32_t TwinMessage(std::uint32_t message) {
  switch (message - kWmUser) {
    case 100:
    case 101:
    case 102:
    case 103:
    case 110:
    case 111:
    case 112:
    case 113:
    case 114:
    case 116:
    case 120:
      return message - kWmUser + kWmApp;
    default:
      return 0;
  }
}

CNotifier::CNotifier(platform::WindowNotifier& windows, Sleeper sleep)
    : windows_(windows), sleep_(std::move(sleep)) {}

bool CNotifier::MayRetry(platform::WindowHandle window) {
  return !stopping_.load() && windows_.IsWindow(window);
}

VokStatus CNotifier::Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam, bool retry) {
  const platform::WindowHandle window = window_.load();
  if (window == 0) return kVokNoWindow;
  const std::uint32_t twin = TwinMessage(message);
  bool message_posted = windows_.Post(window, message, wparam, lparam);
  bool twin_posted = twin == 0 || windows_.Post(window, twin, wparam, lparam);
  // Only the one that failed goes again, so the client never gets a message
  // twice; a full queue or a shut-down ends the retries.
  for (int attempt = 0; retry && (!message_posted || !twin_posted) && attempt < kMaxPostRetries; ++attempt) {
    sleep_(1);
    if (!MayRetry(window)) break;
    if (!message_posted) message_posted = windows_.Post(window, message, wparam, lparam);
    if (!twin_posted) twin_posted = windows_.Post(window, twin, wparam, lparam);
  }
  const bool twin_delivered = twin != 0 && twin_posted;
  return message_posted || twin_delivered ? kVokOk : kVokInternalFailure;
}

VokStatus CNotifier::Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam, bool retry,
                          std::uint32_t timeout_ms) {
  const platform::WindowHandle window = window_.load();
  if (window == 0) return kVokNoWindow;
  const std::uint32_t twin = TwinMessage(message);
  bool any_sent = false;
  for (int round = 0;; ++round) {
    const std::optional<std::uintptr_t> answer = windows_.Send(window, message, wparam, lparam, timeout_ms);
    std::optional<std::uintptr_t> twin_answer;
    if (twin != 0) twin_answer = windows_.Send(window, twin, wparam, lparam, timeout_ms);
    any_sent = any_sent || answer || twin_answer;
    const bool settled = (answer && *answer != kAnswerAgain) || (twin_answer && *twin_answer != kAnswerAgain);
    if (!retry || settled || round + 1 >= kMaxResends || !MayRetry(window)) break;
    if (!answer && !twin_answer) break;
    sleep_(50);
  }
  return any_sent ? kVokOk : kVokInternalFailure;
}

}  // namespace vok::api
