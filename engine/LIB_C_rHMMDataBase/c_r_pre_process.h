// Pre-emphasis and window of one frame, with the running DC-level estimate.
#pragma once

#include <span>
#include <string>
#include <vector>

struct C_rPreProcessOptions {
  int frameLength = 165;
  int frameShift = 110;
  float dcOffsetConstant = 0.9999f;
  float preemphasis = 0.97f;
  std::string window = "Hamming";
};

// Per-input state carried from frame to frame.
struct C_rPreProcessState {
  float carry = 0.0f;  // the sample before the current frame
  float dcLevel = 0.0f;
};

class C_rPreProcess {
 public:
  // 0, or -1 for an unknown window name.
  int initPreProcess(const C_rPreProcessOptions& options);

  // y[i] = w[i] (s[i] - preemphasis s[i - 1]) for the frame's samples; the
  // carry becomes the last sample before the next frame.
  void process(std::span<const float> s, std::span<float> y, C_rPreProcessState& state) const;

  const std::vector<float>& window() const { return window_; }

 private:
  C_rPreProcessOptions options_;
  std::vector<float> window_;
};
