#include "app/core/ink_pause.h"

namespace wrendle::app {

void InkPauseArbiter::StopTimer() {
  if (timer_box_ == kNoInkBox) return;
  host_.StopPauseTimer(timer_box_);
  timer_box_ = kNoInkBox;
}

void InkPauseArbiter::Press(InkBoxKey box, std::uint32_t pause_ms) {
  if (pending_ == kNoInkBox || pause_ms == 0) return;
  StopTimer();
  const InkBoxKey earlier = pending_;
  pending_ = box;
  if (earlier != box) host_.RecognizeInk(earlier);
}

void InkPauseArbiter::PenUp(InkBoxKey box, std::uint32_t pause_ms) {
  if (pause_ms == 0) {
    host_.RecognizeInk(box);
    return;
  }
  pending_ = box;
  if (timer_box_ == kNoInkBox && host_.StartPauseTimer(box, pause_ms)) timer_box_ = box;
  // Without a timer the ink would wait for the next press: send it now.
  if (timer_box_ == kNoInkBox) Timer(box);
}

void InkPauseArbiter::Timer(InkBoxKey box) {
  if (timer_box_ == box) StopTimer();
  const InkBoxKey ready = pending_;
  pending_ = kNoInkBox;
  if (ready != kNoInkBox) host_.RecognizeInk(ready);
}

void InkPauseArbiter::Forget(InkBoxKey box) {
  if (timer_box_ == box) StopTimer();
  if (pending_ == box) pending_ = kNoInkBox;
}

}  // namespace wrendle::app
