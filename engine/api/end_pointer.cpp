#include "engine/api/end_pointer.h"

#include <algorithm>
#include <numeric>

#include "engine/core/messages.h"

namespace vok::api {

double CEndPointer::FrameEnergy(std::span<const std::int16_t> frame) {
  double sum = 0;
  for (std::int16_t sample : frame) sum += static_cast<double>(sample) * sample;
  return sum / static_cast<double>(kFrameSamples);
}

void CEndPointer::Reset(State state) {
  state_ = state;
  loud_run_ = quiet_run_ = 0;
  frame_count_ = 0;
  energies_.fill(0.0);
  start_frame_ = 0;
  end_mark_ = -1;
  write_cursor_ = 0;
  threshold_ = kEnergyFloor;
  low_energies_.clear();
  low_energies_.reserve(kLowEnergies);
}

void CEndPointer::EndNow() {
  if (state_ != kSpeechStarted && state_ != kInSpeech) return;
  end_mark_ = frame_count_;
  state_ = kSpeechEnded;
}

void CEndPointer::SetThresholdFromFrames(std::span<const std::int16_t> samples, std::size_t frames) {
  double sum = 0;
  for (std::size_t f = 0; f < frames; ++f)
    sum += FrameEnergy(samples.subspan(f * kFrameSamples, kFrameSamples));
  threshold_ = std::max(kEnergyFloor, 6.0 * sum / static_cast<double>(frames));
}

CEndPointer::State CEndPointer::ProcessFrame(std::span<const std::int16_t> frame) {
  const std::int32_t current = frame_count_;
  const double energy = FrameEnergy(frame);
  energies_[static_cast<std::size_t>(current % kLookBackFrames)] = energy;
  if (energy < threshold_) {
    ++quiet_run_;
    loud_run_ = 0;
  } else {
    ++loud_run_;
    quiet_run_ = 0;
  }
  // A start reported on the last frame has been seen by the owner.
  if (state_ == kSpeechStarted) state_ = kInSpeech;
  if (state_ == kWaitingForQuiet) {
    if (quiet_run_ >= kQuietFramesToArm) state_ = kQuiet;
  } else if (state_ == kQuiet || state_ == kSpeechEnded) {
    state_ = kQuiet;
    if (loud_run_ >= kLoudFramesToStart) FindStart(current);
  }
  if (state_ == kSpeechStarted || state_ == kInSpeech) TestForEnd(current);
  EstimateNoise(energy);
  return state_;
}

void CEndPointer::FindStart(std::int32_t current) {
  // Only frames after the last utterance's end, and only frames that were
  // run since the reset, are looked at.
  const std::int32_t limit = std::min<std::int32_t>(kLookBackFrames, current - end_mark_ - 1);
  std::int32_t walked = 0;
  int quiet = 0;
  while (walked < limit && quiet < kQuietFramesBeforeStart) {
    const std::int32_t frame = current - walked;
    quiet = energies_[static_cast<std::size_t>(frame % kLookBackFrames)] < threshold_ ? quiet + 1 : 0;
    ++walked;
  }
  state_ = kSpeechStarted;
  start_frame_ = current - walked;
  write_cursor_ = start_frame_;
  end_mark_ = -1;
}

void CEndPointer::TestForEnd(std::int32_t current) {
  const std::int32_t length = current - start_frame_;
  if (length >= kMaximumFrames) {
    end_mark_ = current;
    state_ = kSpeechEnded;
  } else if (length >= kLongSpeechFrames && quiet_run_ >= kLongSpeechQuietFrames) {
    end_mark_ = current - quiet_run_ / 2;
    state_ = kSpeechEnded;
  } else {
    end_mark_ = std::max(start_frame_, current - kEndBackFrames);
    if (quiet_run_ >= kQuietFramesToEnd) state_ = kSpeechEnded;
  }
}

void CEndPointer::EstimateNoise(double energy) {
  // The held energies stay in ascending order: each entry keeps the smaller
  // value and the larger moves on.
  double carried = energy;
  for (double& held : low_energies_) {
    if (carried < held) std::swap(carried, held);
  }
  if (low_energies_.size() < kLowEnergies && carried < threshold_) low_energies_.push_back(carried);
  ++frame_count_;
  if (frame_count_ % kNoiseEstimateFrames == 0) {
    const double mean = low_energies_.empty()
                            ? 0.0
                            : std::accumulate(low_energies_.begin(), low_energies_.end(), 0.0) /
                                  static_cast<double>(low_energies_.size());
    threshold_ = std::max(kEnergyFloor, 6.0 * mean);
    LogPrint("Noise Level =%g\n", threshold_);
    low_energies_.clear();
  }
}

std::int32_t CEndPointer::InputLevel() const {
  double loudest = 0;
  for (std::int32_t back = 0; back < 6 && back < frame_count_; ++back) {
    const std::int32_t frame = frame_count_ - 1 - back;
    loudest = std::max(loudest, energies_[static_cast<std::size_t>(frame % kLookBackFrames)]);
  }
  return static_cast<std::int32_t>(std::sqrt(loudest));
}

}  // namespace vok::api
