// The pause between pen-up and recognition, shared by every ink box of the
// program: at most one box's ink waits for its pause at a time. A press in
// another box recognizes the waiting ink at once. Boxes are told apart by
// their window, never by control id (two boxes may share one), and the
// timer is stopped on the window it was set on.
#pragma once

#include <cstdint>

namespace wrendle::app {

using InkBoxKey = std::uintptr_t;  // the box's window
inline constexpr InkBoxKey kNoInkBox = 0;

// What the boxes' windows do for the arbiter.
class InkPauseHost {
 public:
  virtual ~InkPauseHost() = default;
  // Starts or stops timer 1 on the box's window; StartPauseTimer false when
  // the timer could not be set.
  virtual bool StartPauseTimer(InkBoxKey box, std::uint32_t ms) = 0;
  virtual void StopPauseTimer(InkBoxKey box) = 0;
  // Sends the box's command to its own parent: its ink is recognized.
  virtual void RecognizeInk(InkBoxKey box) = 0;
};

class InkPauseArbiter {
 public:
  explicit InkPauseArbiter(InkPauseHost& host) : host_(host) {}

  // A press in `box` (pause period `pause_ms`, 0 for none).
  void Press(InkBoxKey box, std::uint32_t pause_ms);
  // The pen left `box`: the pause starts, or without one the ink goes now.
  void PenUp(InkBoxKey box, std::uint32_t pause_ms);
  // Timer 1 of `box` fired.
  void Timer(InkBoxKey box);
  // `box` is being destroyed: nothing of it stays pending.
  void Forget(InkBoxKey box);

  InkBoxKey pending() const { return pending_; }
  InkBoxKey timer_box() const { return timer_box_; }

 private:
  void StopTimer();

  InkPauseHost& host_;
  InkBoxKey pending_ = kNoInkBox;
  InkBoxKey timer_box_ = kNoInkBox;
};

}  // namespace wrendle::app
