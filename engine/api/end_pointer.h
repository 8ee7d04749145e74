// Energy end-pointing of the audio session, one 165-sample frame at a time.
// States: 0 waiting for quiet, 1 quiet, 2 speech just started, 3 in speech,
// 4 speech ended. Frames are numbered from the last reset; the start frame,
// the end mark and the write cursor are such numbers. The frames of an
// utterance are [start, end mark): the owner stores them from the write
// cursor up to the end mark as the mark moves on.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace vok::api {

inline constexpr std::size_t kFrameSamples = 165;

class CEndPointer {
 public:
  enum State : int { kWaitingForQuiet = 0, kQuiet = 1, kSpeechStarted = 2, kInSpeech = 3, kSpeechEnded = 4 };

  static constexpr int kQuietFramesToArm = 3;
  static constexpr int kLoudFramesToStart = 6;
  static constexpr int kQuietFramesBeforeStart = 8;
  static constexpr int kLookBackFrames = 28;
  static constexpr int kQuietFramesToEnd = 26;
  static constexpr int kEndBackFrames = 18;
  static constexpr int kLongSpeechFrames = 534;
  static constexpr int kLongSpeechQuietFrames = 8;
  static constexpr int kMaximumFrames = 1002;
  static constexpr int kNoiseEstimateFrames = 668;
  static constexpr std::size_t kLowEnergies = 200;
  static inline const double kEnergyFloor = std::pow(10.0, 5.2);

  CEndPointer() { Reset(kWaitingForQuiet); }

  // Back to frame 0 in `state`, threshold at the floor.
  void Reset(State state);
  // Runs one frame (kFrameSamples samples) and returns the new state.
  State ProcessFrame(std::span<const std::int16_t> frame);

  // Ends an utterance in state 2 or 3 at the current frame (input ended).
  void EndNow();

  // From the first frames of a file: 6 x their mean energy, not below the
  // floor.
  void SetThresholdFromFrames(std::span<const std::int16_t> samples, std::size_t frames);

  State state() const { return state_; }
  void set_state(State state) { state_ = state; }
  std::int32_t frame_count() const { return frame_count_; }  // frames run since the reset
  std::int32_t start_frame() const { return start_frame_; }
  std::int32_t end_mark() const { return end_mark_; }  // -1 when none
  std::int32_t write_cursor() const { return write_cursor_; }
  void set_write_cursor(std::int32_t frame) { write_cursor_ = frame; }
  double threshold() const { return threshold_; }
  // The square root of the largest energy of the last six frames.
  std::int32_t InputLevel() const;

  static double FrameEnergy(std::span<const std::int16_t> frame);

 private:
  void FindStart(std::int32_t current);
  void TestForEnd(std::int32_t current);
  void EstimateNoise(double energy);

  State state_ = kWaitingForQuiet;
  int loud_run_ = 0;
  int quiet_run_ = 0;
  std::int32_t frame_count_ = 0;
  std::array<double, kLookBackFrames> energies_{};
  std::int32_t start_frame_ = 0;
  std::int32_t end_mark_ = -1;
  std::int32_t write_cursor_ = 0;
  double threshold_ = kEnergyFloor;
  std::vector<double> low_energies_;
};

}  // namespace vok::api
