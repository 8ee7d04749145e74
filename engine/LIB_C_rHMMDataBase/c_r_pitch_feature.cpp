#include "engine/LIB_C_rHMMDataBase/c_r_pitch_feature.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

int C_rPitchFeature::init(float samplingRate, int fftSize, int dimension) {
  fftSize_ = fftSize;
  dimension_ = dimension;
  minLag_ = static_cast<int>(0.00588f * samplingRate);
  const int maxLag = std::min(static_cast<int>(0.01176f * samplingRate), fftSize / 2);
  numLags_ = maxLag - minLag_;
  // Every shift needs at least two lag pairs for its covariance.
  const int widestShift = std::max((dimension - 1) / 2, dimension - 1 - (dimension - 1) / 2);
  if (dimension < 1 || numLags_ - widestShift < 2) {
    std::printf("Error in C_rPitchFeature: lags %d..%d too few for Pitch[%d]\n", minLag_, maxLag, dimension);
    return SR_Exit("Error in C_rPitchFeature::init");
  }
  fft_.emplace(fftSize);
  const float twoPi = 6.28318530718f;
  weights_.resize(static_cast<std::size_t>(fftSize / 2));
  for (int k = 0; k < fftSize / 2; ++k)
    weights_[k] = 2.0f + 2.0f * std::cos(twoPi * static_cast<float>(k) / static_cast<float>(fftSize));
  return 0;
}

C_rPitchWork C_rPitchFeature::makeWork() const {
  C_rPitchWork work;
  work.re.resize(static_cast<std::size_t>(fftSize_));
  work.im.resize(static_cast<std::size_t>(fftSize_));
  work.v.resize(static_cast<std::size_t>(fftSize_));
  work.previous.assign(static_cast<std::size_t>(numLags_), 0.0f);
  work.current.assign(static_cast<std::size_t>(numLags_), 0.0f);
  return work;
}

int C_rPitchFeature::compute(std::span<const float> frame, C_rPitchWork& work, std::span<float> pitch) const {
  const int n = fftSize_;
  const int half = n / 2;
  fft_->Transform(frame, work.re, work.im);
  std::vector<float>& v = work.v;
  v[0] = 0.0f;
  float sum = 0.0f;
  for (int k = 1; k < half; ++k) {
    v[k] = v[n - k] = (work.re[k] * work.re[k] + work.im[k] * work.im[k]) * weights_[k];
    sum += v[k];
  }
  v[half] = work.re[half];
  const float s = 4.0f * sum;
  if (s != 0.0f) {
    for (float& value : v) value /= static_cast<float>(n);
    fft_->Transform(v, work.re, work.im);
    work.previous.swap(work.current);
    const float scale = 2.0f * (1.0f / s);
    for (int j = 0; j < numLags_; ++j) work.current[j] = work.re[minLag_ + j] * scale;
    if (!work.rowsSet) work.previous = work.current;
    work.rowsSet = true;
  }
  int best = 0;
  for (int d = 0; d < dimension_; ++d) {
    const int shift = d - (dimension_ - 1) / 2;
    float sx = 0.0f, sy = 0.0f, sxy = 0.0f;
    int count = 0;
    for (int j = std::max(0, -shift); j < numLags_ && j + shift < numLags_; ++j) {
      const float x = work.previous[j + shift];
      const float y = work.current[j];
      sx += x;
      sy += y;
      sxy += x * y;
      ++count;
    }
    const float c = static_cast<float>(count);
    pitch[d] = (sxy - sx * sy / c) / (c - 1.0f) * 1e8f;
    if (pitch[d] > pitch[best]) best = d;
  }
  return best;
}
