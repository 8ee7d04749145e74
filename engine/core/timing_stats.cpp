#include "engine/core/timing_stats.h"

#include "engine/core/messages.h"

namespace vok {

namespace {

// A time per frame; 0 for no frames.
double PerFrame(double ms, int32_t frames) { return frames > 0 ? ms / frames : 0.0; }

}  // namespace

void TimingStats::Reset() {
  utterances_ = 0;
  last_frames_ = 0;
  total_frames_ = 0;
  last_elapsed_ms_ = 0;
  total_elapsed_ms_ = 0;
  last_processor_ms_ = 0;
  total_processor_ms_ = 0;
}

void TimingStats::Start() {
  last_frames_ = 0;
  last_elapsed_ms_ = 0;
  last_processor_ms_ = 0;
  stopwatch_.Start();
}

void TimingStats::Stop() {
  stopwatch_.Stop();
  last_elapsed_ms_ = stopwatch_.wall_seconds() * 1000.0f;
  last_processor_ms_ = stopwatch_.processor_seconds() * 1000.0f;
  ++utterances_;
  total_frames_ += last_frames_;
  total_elapsed_ms_ += last_elapsed_ms_;
  total_processor_ms_ += last_processor_ms_;
}

void TimingStats::AddUtterance(int frames) {
  ++utterances_;
  total_elapsed_ms_ += last_elapsed_ms_;
  total_processor_ms_ += last_processor_ms_;
  last_frames_ = frames;
  total_frames_ += frames;
}

void TimingStats::PrintUtterance() const {
  if (last_frames_ <= 0) return;
  const long frames = last_frames_;
  LogPrint("Elapsed time = %g ms (%g ms per frame for %ld frames)\n", last_elapsed_ms_,
           PerFrame(last_elapsed_ms_, last_frames_), frames);
  LogPrint("Elapsed CPU time = %g ms (%g ms per frame for %ld frames)\n", last_processor_ms_,
           PerFrame(last_processor_ms_, last_frames_), frames);
}

void TimingStats::PrintTotals() const {
  if (utterances_ <= 0) return;
  const double utterances = utterances_;
  const double average_elapsed = total_elapsed_ms_ / utterances;
  const double average_processor = total_processor_ms_ / utterances;
  LogPrint("Number of utterance = %d\n", utterances_);
  LogPrint("Total frames = %d\n", total_frames_);
  LogPrint("Total elapsed time = %g ms (%g ms per frame)\n", total_elapsed_ms_,
           PerFrame(total_elapsed_ms_, total_frames_));
  LogPrint("Total CPU time = %g ms (%g ms per frame)\n", total_processor_ms_,
           PerFrame(total_processor_ms_, total_frames_));
  LogPrint("Average time per utt = %g ms (%g ms per frame)\n", average_elapsed,
           PerFrame(total_elapsed_ms_, total_frames_));
  LogPrint("Average CPU time per utt = %g ms (%g ms per frame)\n", average_processor,
           PerFrame(total_processor_ms_, total_frames_));
}

}  // namespace vok
