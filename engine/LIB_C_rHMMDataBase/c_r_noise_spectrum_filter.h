// Spectral noise removal: a per-bin noise magnitude that adapts while the
// frame's speech-to-noise ratio is low, subtracted from each magnitude.
#pragma once

#include <span>

struct C_rNoiseSpectrumOptions {
  float adaptConstFast = 0.75f;
  float adaptConstSlow = 0.9375f;
  float minSpectralPercentage = 7.82f;
  float maxSpectralPercentage = 27.4f;
  float speechPercentageTotal = 40.0f;
  float noiseMaxSNR = 80.0f;
};

class C_rNoiseSpectrumFilter {
 public:
  // 0, or -1 when the percentages do not describe a band of the spectrum.
  int init(const C_rNoiseSpectrumOptions& options);

  // power: the K bins of one frame, replaced by the cleaned power. noise: the
  // input's K noise magnitudes. sorted: K values of scratch.
  void apply(std::span<float> power, std::span<float> noise, std::span<float> sorted) const;

 private:
  C_rNoiseSpectrumOptions options_;
};
