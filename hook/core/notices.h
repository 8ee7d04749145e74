// Window messages that an operation on the shared block decided to send. They
// are delivered only after the mutex is released: a window procedure of the
// same thread runs inside SendNotifyMessage, and nothing that may wait for
// another thread may run while the mutex is held.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "hook/core/shared_block.h"

namespace jebhook {

// WM_PENNOTIFY codes (wParam) sent to the active owner.
enum PenNotify : std::uint32_t {
  kPnCaptureStart = 1,    // lParam the capture counter
  kPnCaptureEnd = 2,      // lParam the capture counter
  kPnActivate = 16,       // lParam 1 gained, 0 lost
  kPnForeignFocus = 17,   // lParam the window
  kPnCancelJournal = 18,  // lParam 0
  kPnRecognize = 32,      // lParam 0 timer, 2 pen down outside the waiting window
};

enum class NoticeKind {
  kSendNotify,  // SendNotifyMessage: never waits for another thread
  kPost,
};

// 1, 2 and 32 are sent, every other code is posted.
NoticeKind KindOfPenNotify(std::uint32_t code);

struct Notice {
  NoticeKind kind;
  HandleValue window;
  std::uint32_t message;
  std::uint32_t wparam;
  std::int32_t lparam;
  bool operator==(const Notice&) const = default;
};

class Notices {
 public:
  static constexpr int kCapacity = 6;
  // Beyond the capacity a notice is dropped; no operation makes that many.
  void Add(const Notice& notice) {
    if (count_ < kCapacity) items_[count_++] = notice;
  }
  std::span<const Notice> items() const { return {items_.data(), static_cast<std::size_t>(count_)}; }
  bool empty() const { return count_ == 0; }

 private:
  std::array<Notice, kCapacity> items_{};
  int count_ = 0;
};

}  // namespace jebhook
