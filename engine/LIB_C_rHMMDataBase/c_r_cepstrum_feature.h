// Cepstra of one frame: power spectrum, optional noise removal, mel filter
// energies and their cosine transform.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_mel_filter_bank.h"
#include "engine/LIB_C_rHMMDataBase/c_r_noise_spectrum_filter.h"
#include "engine/LIB_C_rHMMDataBase/real_fft.h"

struct C_rCepstrumOptions {
  int dimension = 13;
  C_rMelFilterOptions mel;
  bool noiseSpectrumFilter = false;
  C_rNoiseSpectrumOptions noise;
};

// Work areas of one input, allocated once.
struct C_rCepstrumWork {
  std::vector<float> re, im, power, sorted, energies;
  std::vector<float> noise;  // per-bin noise magnitude, kept across frames
};

class C_rCepstrumFeature {
 public:
  int init(const C_rCepstrumOptions& options);

  int dimension() const { return options_.dimension; }
  const C_rMelFilterBank& filterBank() const { return bank_; }
  C_rCepstrumWork makeWork() const;

  // frame: fftSize pre-processed values (zero beyond the frame).
  void compute(std::span<const float> frame, C_rCepstrumWork& work, std::span<float> cepstrum) const;

 private:
  C_rCepstrumOptions options_;
  C_rMelFilterBank bank_;
  C_rNoiseSpectrumFilter noise_;
  std::optional<RealFft> fft_;
  std::vector<float> cosines_;  // dimension x filters
};
