// Pitch-change feature: the covariance between the normalised
// autocorrelations of the previous and the current frame over small lag
// shifts.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/real_fft.h"

// Work areas and the two-frame history of one input.
struct C_rPitchWork {
  std::vector<float> re, im, v;
  std::vector<float> previous, current;  // L lags each
  bool rowsSet = false;
};

class C_rPitchFeature {
 public:
  // 0, or -1 when the lag range is too short for the shifts.
  int init(float samplingRate, int fftSize, int dimension);

  int dimension() const { return dimension_; }
  int minLag() const { return minLag_; }
  int numLags() const { return numLags_; }
  C_rPitchWork makeWork() const;

  // frame: fftSize raw samples (zero beyond the frame). Returns the shift
  // number of the largest covariance.
  int compute(std::span<const float> frame, C_rPitchWork& work, std::span<float> pitch) const;

 private:
  int fftSize_ = 0;
  int dimension_ = 0;
  int minLag_ = 0;
  int numLags_ = 0;
  std::optional<RealFft> fft_;
  std::vector<float> weights_;  // 2 + 2 cos(2 pi k / N)
};
