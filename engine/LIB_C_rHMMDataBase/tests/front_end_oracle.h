// Double-precision reference of the front end's features, written from the
// definitions with a naive DFT, explicit triangles and a direct cosine
// transform (built-in layout, no noise removal).
#pragma once

#include <cstdint>
#include <vector>

namespace front_end_oracle {

struct Config {
  double samplingRate = 11025;
  int frameLength = 165;
  int frameShift = 110;
  int fftSize = 256;
  double preemphasis = 0.97;
  bool hamming = true;
  int numFilters = 40;
  int numLinear = 13;
  int numLog = 27;
  float lower = 133.333f;
  float linSpacing = 66.666664f;
  float logSpacing = 1.0625f;
  int cepstrumDim = 13;
  int pitchDim = 11;
  double energyFloor = 1.0e-4;
};

struct Filter {
  int firstBin = 0;
  int lastBin = 0;
  std::vector<double> weights;
};

std::vector<Filter> Filters(const Config& config);

// One 50-value vector per frame: cepstra, deltas, delta-deltas, pitch.
std::vector<std::vector<double>> Features(const Config& config, const std::vector<std::int16_t>& samples);

}  // namespace front_end_oracle
