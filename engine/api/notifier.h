// Tells the client window about every event: each message WM_USER+n, and for
// the n that have one its twin WM_APP+n, posted or sent with a time-out.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/api/vok_status.h"
#include "platform/window_notifier.h"

namespace vok::api {

inline constexpr std::uint32_t kWmUser = 0x400;
inline constexpr std::uint32_t kWmApp = 0x8000;
inline constexpr std::uint32_t kNotifyUtteranceStart = kWmUser + 100;
inline constexpr std::uint32_t kNotifyPenInput = kWmUser + 101;
inline constexpr std::uint32_t kNotifyKeyInputConverting = kWmUser + 102;
inline constexpr std::uint32_t kNotifyKeyInputPlain = kWmUser + 103;
inline constexpr std::uint32_t kNotifyInputLevel = kWmUser + 110;
inline constexpr std::uint32_t kNotifyResult = kWmUser + 111;  // WM_PENRESULT
inline constexpr std::uint32_t kNotifyCommand = kWmUser + 112;
inline constexpr std::uint32_t kNotifyContext = kWmUser + 113;
inline constexpr std::uint32_t kNotifyMultiCommand = kWmUser + 116;
inline constexpr std::uint32_t kNotifyKeyRefused = kWmUser + 120;
inline constexpr std::uint32_t kNotifyAhead = kWmUser + 121;
inline constexpr std::uint32_t kNotifyListeningEnded = kWmUser + 130;

// A send answered with this asks for the message again.
inline constexpr std::uintptr_t kAnswerAgain = 0xFFFFFFFFu;

// WM_APP+n for the messages that have a twin, else 0.
std::uint32_t TwinMessage(std::uint32_t message);

class CNotifier {
 public:
  // Posts that failed are tried again up to this many times, 1 ms apart;
  // sends answered kAnswerAgain up to this many times, 50 ms apart.
  static constexpr int kMaxPostRetries = 200;
  static constexpr int kMaxResends = 20;

  using Sleeper = std::function<void(std::uint32_t milliseconds)>;

  CNotifier(platform::WindowNotifier& windows, Sleeper sleep);

  void SetWindow(platform::WindowHandle window) { window_.store(window); }
  platform::WindowHandle window() const { return window_.load(); }
  // Ends retries at once (engine shut-down).
  void SetStopping(bool stopping) { stopping_.store(stopping); }

  // kVokOk when the message or its twin was posted; kVokNoWindow without a
  // notification window; kVokInternalFailure when neither got through (the
  // caller still owns what the message would have handed over).
  VokStatus Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam, bool retry);
  // kVokOk when a send got through; kVokNoWindow; kVokInternalFailure when
  // every send failed or timed out.
  VokStatus Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam, bool retry,
                 std::uint32_t timeout_ms);

  platform::WindowNotifier& windows() { return windows_; }

 private:
  bool MayRetry(platform::WindowHandle window);

  platform::WindowNotifier& windows_;
  Sleeper sleep_;
  std::atomic<platform::WindowHandle> window_{0};
  std::atomic<bool> stopping_{false};
};

}  // namespace vok::api
