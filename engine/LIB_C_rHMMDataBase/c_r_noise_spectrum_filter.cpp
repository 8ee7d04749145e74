#include "engine/LIB_C_rHMMDataBase/c_r_noise_spectrum_filter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

int C_rNoiseSpectrumFilter::init(const C_rNoiseSpectrumOptions& options) {
  const bool band = options.minSpectralPercentage >= 0.0f &&
                    options.minSpectralPercentage <= options.maxSpectralPercentage &&
                    options.maxSpectralPercentage < 100.0f;
  if (!band || !(options.speechPercentageTotal >= 0.0f)) {
    std::printf(
        "Error in C_rNoiseSpectrumFilter: fMinSpectralPercentage = %.5e, fMaxSpectralPercentage = %.5e, "
        "fSpeechPercentageTotal = %.5e\n",
        options.minSpectralPercentage, options.maxSpectralPercentage, options.speechPercentageTotal);
    return SR_Exit("Error in C_rNoiseSpectrumFilter::init");
  }
  options_ = options;
  return 0;
}

void C_rNoiseSpectrumFilter::apply(std::span<float> power, std::span<float> noise,
                                   std::span<float> sorted) const {
  const int k = static_cast<int>(power.size());
  std::copy(power.begin(), power.end(), sorted.begin());
  std::sort(sorted.begin() + 1, sorted.begin() + k);

  const int low = static_cast<int>(k * options_.minSpectralPercentage / 100.0f);
  const int high = std::min(static_cast<int>(k * options_.maxSpectralPercentage / 100.0f), k - 1);
  float noiseSum = 0.0f;
  for (int i = low; i <= high; ++i) noiseSum += sorted[i];
  const float noiseLevel = noiseSum / static_cast<float>(high - low + 1);

  float total = 0.0f;
  for (int i = 0; i < k; ++i) total += sorted[i];
  const float speechShare = options_.speechPercentageTotal / 100.0f * total;
  float speechSum = 0.0f;
  int added = 0;
  // Stops at the list's start: with a share of 100 % or a silent frame the
  // sum never passes the share.
  for (int i = k - 1; i >= 0 && !(speechSum > speechShare); --i) {
    speechSum += sorted[i];
    ++added;
  }
  const float speechLevel = speechSum / static_cast<float>(added);
  const bool adapt = noiseLevel > 0.0f && speechLevel / noiseLevel < options_.noiseMaxSNR;

  for (int i = 0; i < k; ++i) {
    const float magnitude = std::sqrt(power[i]);
    if (adapt) {
      const float c = magnitude >= noise[i] ? options_.adaptConstSlow : options_.adaptConstFast;
      noise[i] = (1.0f - c) * magnitude + c * noise[i];
    }
    const float cleaned = magnitude - noise[i];
    power[i] = cleaned * cleaned;
  }
}
