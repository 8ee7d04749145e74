// The main frame's intake of captured strokes: the hook library's
// notifications (message 1235) as a state machine over its owner calls.
// A capture's strokes are fetched at once and queued here under a sequence
// number that the frame posts to itself; only numbers it posted are taken,
// so a 1235 message from any other poster carries no memory into the frame.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "app/core/frame_layout.h"
#include "app/core/hook_owner.h"
#include "app/core/settings.h"
#include "common/stroke_list.h"

namespace wrendle::app {

// What the intake needs from the frame around it.
class StrokeIntakeHost {
 public:
  virtual ~StrokeIntakeHost() = default;
  virtual bool PadVisible() = 0;
  virtual bool WaitButtonVisible() = 0;
  virtual platform::WindowHandle WaitButtonWindow() = 0;
  // Shows the wait button top-most at `at` without activating it; it takes
  // the mouse capture and the cursor becomes the arrow.
  virtual void ShowWaitButton(Point at) = 0;
  // Releases the mouse capture and hides the wait button.
  virtual void HideWaitButton() = 0;
  virtual Point CursorPosition() = 0;
  // The client area of a full-screen window (SM_CXFULLSCREEN, SM_CYFULLSCREEN).
  virtual Size FullScreenSize() = 0;
  // Posts message 1235 (1000, sequence) to the frame; false when it failed.
  virtual bool PostFetched(std::uint32_t sequence) = 0;
  // Lets the sender of the message being handled go on (ReplyMessage).
  virtual void Reply() = 0;
  // Event 1024 with code `code` (22: hook capture off, 23: on again).
  virtual void Request(int code) = 0;
  // Recognizes a line of the hook capture (cut into cells).
  virtual void Recognize(std::span<const StrokeEntry> strokes) = 0;
};

class StrokeIntake {
 public:
  // Notification codes (wParam).
  static constexpr std::uintptr_t kCaptureEnd = 2;
  static constexpr std::uintptr_t kCancelJournal = 18;
  static constexpr std::uintptr_t kRecognize = 32;
  static constexpr std::uintptr_t kFetched = 1000;
  static constexpr int kRequestCaptureOff = 22;
  static constexpr int kRequestCaptureOn = 23;

  StrokeIntake(HookOwner& hook, const Settings& settings, StrokeIntakeHost& host)
      : hook_(hook), settings_(settings), host_(host) {}

  void set_handle(HookHandle handle) { handle_ = handle; }
  HookHandle handle() const { return handle_; }

  // Message 1235; its result is always 0.
  void OnStrokeData(std::uintptr_t code, std::intptr_t lparam);

  // Blocks fetched and posted but not yet recognized.
  std::size_t queued() const { return blocks_.size(); }

 private:
  void OnRecognize(std::intptr_t lparam);
  void OnCaptureEnd(int counter);
  void OnFetched(std::intptr_t sequence);
  // The wait button's place beside the last pen point: the tablet's when
  // strokes come from it, else the cursor's.
  Point LastPenPoint();

  HookOwner& hook_;
  const Settings& settings_;
  StrokeIntakeHost& host_;
  HookHandle handle_ = 0;
  std::map<std::uint32_t, std::vector<StrokeEntry>> blocks_;
  std::uint32_t next_sequence_ = 1;
};

}  // namespace wrendle::app
