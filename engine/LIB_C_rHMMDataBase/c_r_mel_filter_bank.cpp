#include "engine/LIB_C_rHMMDataBase/c_r_mel_filter_bank.h"

#include <cmath>
#include <cstdio>

#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

int C_rMelFilterBank::create(const C_rMelFilterOptions& options) {
  filters_.clear();
  if (options.numFilters < 1 || options.fftSize < 4 || !(options.samplingRate > 0.0f) ||
      !(options.lower >= 0.0f)) {
    std::printf("Error in creating MelFilterBank: NumMelFilters = %d, FftSize = %d, MelFiltersLower = %.5e\n",
                options.numFilters, options.fftSize, options.lower);
    return SR_Exit("Error in C_rMelFilterBank::create");
  }
  const int numBins = options.fftSize / 2;
  const float binWidth = options.samplingRate / static_cast<float>(options.fftSize);
  const float limit = options.samplingRate * 0.5f - 1.0f;
  float left = options.lower;
  float centre = options.lower + options.linSpacing;
  for (int m = 0; m < options.numFilters; ++m) {
    const bool linear = m < options.numLinear - 1 || options.numLog == 0;
    const float right = linear ? centre + options.linSpacing : centre * options.logSpacing;
    if (left > limit || right > limit) {
      std::printf("Error in creating MelFilterBank, error in parameter CepLogSpacing=%.5e\n",
                  options.logSpacing);
      std::printf(" m=%d,  leftFreq = %.5e, rightFreq = %.5e > nyquist Freq %.5e\n", m, left, right, limit);
      filters_.clear();
      return SR_Exit("Error in C_rMelFilterBank::create");
    }
    if (centre > limit) centre = limit;
    C_rMelFilter filter;
    filter.left = left;
    filter.centre = centre;
    filter.right = right;
    if (makeWeights(filter, binWidth, numBins) != 0) {
      filters_.clear();
      return -1;
    }
    filters_.push_back(std::move(filter));
    left = centre;
    centre = right;
  }
  return 0;
}

int C_rMelFilterBank::makeWeights(C_rMelFilter& filter, float binWidth, int numBins) const {
  const float left = filter.left;
  const float centre = filter.centre;
  const float right = filter.right;
  filter.firstBin = static_cast<int>(std::ceil(left / binWidth));
  filter.centreBin = static_cast<int>(centre / binWidth);
  filter.lastBin = static_cast<int>(right / binWidth);
  const bool shaped = left < centre && centre < right;
  if (!shaped || filter.lastBin < filter.firstBin || filter.lastBin >= numBins) {
    std::printf("Error in creating MelFilterBank, filter edges %.5e %.5e %.5e give no bins\n", left, centre,
                right);
    return SR_Exit("Error in C_rMelFilterBank::create");
  }
  filter.weights.assign(static_cast<std::size_t>(filter.lastBin - filter.firstBin + 1), 0.0f);
  const float height = 2.0f / (right - left);
  const float rising = height / (centre - left);
  const float falling = height / (centre - right);
  std::size_t slot = 0;
  for (float f = std::floor(left / binWidth) * binWidth; f <= right; f += binWidth) {
    if (f < left) continue;
    if (slot == filter.weights.size()) {
      std::printf("Error in creating MelFilterBank, filter %.5e..%.5e needs more than %d weights\n", left,
                  right, static_cast<int>(filter.weights.size()));
      return SR_Exit("Error in C_rMelFilterBank::create");
    }
    filter.weights[slot++] = f <= centre ? (f - left) * rising : (f - right) * falling;
  }
  return 0;
}

void C_rMelFilterBank::energies(std::span<const float> power, std::span<float> out) const {
  for (std::size_t m = 0; m < filters_.size(); ++m) {
    const C_rMelFilter& filter = filters_[m];
    float sum = 0.0f;
    for (std::size_t i = 0; i < filter.weights.size(); ++i)
      sum += power[filter.firstBin + i] * filter.weights[i];
    out[m] = 10.0f * std::log10(sum > kEnergyFloor ? sum : kEnergyFloor);
  }
}
