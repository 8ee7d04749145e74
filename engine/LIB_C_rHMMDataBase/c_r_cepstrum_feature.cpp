#include "engine/LIB_C_rHMMDataBase/c_r_cepstrum_feature.h"

#include <cmath>

int C_rCepstrumFeature::init(const C_rCepstrumOptions& options) {
  options_ = options;
  if (bank_.create(options.mel) != 0) return -1;
  if (options.noiseSpectrumFilter && noise_.init(options.noise) != 0) return -1;
  fft_.emplace(options.mel.fftSize);
  const int filters = bank_.numFilters();
  const float inverse = 1.0f / static_cast<float>(filters);
  cosines_.resize(static_cast<std::size_t>(options.dimension) * filters);
  for (int i = 0; i < options.dimension; ++i)
    for (int m = 0; m < filters; ++m)
      cosines_[i * filters + m] = static_cast<float>(std::cos((m + 0.5) * inverse * i * 3.1415926535));
  return 0;
}

C_rCepstrumWork C_rCepstrumFeature::makeWork() const {
  const std::size_t n = static_cast<std::size_t>(options_.mel.fftSize);
  C_rCepstrumWork work;
  work.re.resize(n);
  work.im.resize(n);
  work.power.resize(n / 2);
  work.sorted.resize(n / 2);
  work.noise.assign(n / 2, 0.0f);
  work.energies.resize(static_cast<std::size_t>(bank_.numFilters()));
  return work;
}

void C_rCepstrumFeature::compute(std::span<const float> frame, C_rCepstrumWork& work,
                                 std::span<float> cepstrum) const {
  fft_->Transform(frame, work.re, work.im);
  for (std::size_t k = 0; k < work.power.size(); ++k)
    work.power[k] = work.re[k] * work.re[k] + work.im[k] * work.im[k];
  if (options_.noiseSpectrumFilter) noise_.apply(work.power, work.noise, work.sorted);
  bank_.energies(work.power, work.energies);
  const int filters = bank_.numFilters();
  for (int i = 0; i < options_.dimension; ++i) {
    float sum = 0.0f;
    for (int m = 0; m < filters; ++m) sum += work.energies[m] * cosines_[i * filters + m];
    cepstrum[i] = sum;
  }
}
