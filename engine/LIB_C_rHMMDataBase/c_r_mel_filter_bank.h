// Triangular mel filters over the power spectrum: linear spacing first,
// then logarithmic spacing.
#pragma once

#include <span>
#include <vector>

struct C_rMelFilterOptions {
  float samplingRate = 11025.0f;
  int fftSize = 256;
  int numFilters = 40;
  int numLog = 27;
  int numLinear = 13;
  float upper = 5512.5f;
  float lower = 133.333f;
  float logSpacing = 1.0625f;
  float linSpacing = 66.666664f;
};

struct C_rMelFilter {
  float left = 0.0f;
  float centre = 0.0f;
  float right = 0.0f;
  int firstBin = 0;
  int centreBin = 0;
  int lastBin = 0;
  std::vector<float> weights;  // bins firstBin .. lastBin
};

class C_rMelFilterBank {
 public:
  // Smallest filter energy taken into the logarithm, so that digital silence
  // gives finite energies.
  static constexpr float kEnergyFloor = 1.0e-4f;

  // 0, or -1 (with a message) when a filter passes the Nyquist limit or the
  // configuration cannot make a filter.
  int create(const C_rMelFilterOptions& options);

  // E[m] = 10 log10(sum of P[k] weight) over each filter's bins.
  void energies(std::span<const float> power, std::span<float> out) const;

  const std::vector<C_rMelFilter>& filters() const { return filters_; }
  int numFilters() const { return static_cast<int>(filters_.size()); }

 private:
  int makeWeights(C_rMelFilter& filter, float binWidth, int numBins) const;

  std::vector<C_rMelFilter> filters_;
};
