// Integer log probabilities in base 1.0001 and the score bytes the language
// models store: 0 is the most probable, 255 the floor.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vok {

// A score summed in a wider type, brought back to int16 at its limits.
inline int16_t Saturate16(int64_t x) {
  return static_cast<int16_t>(std::clamp<int64_t>(x, INT16_MIN, INT16_MAX));
}

// The log of p <= 0 (and of NaN).
inline constexpr int32_t kLogZero = -134217728;
// 1 / ln(1.0001).
inline constexpr double kLogScale = 10000.499991668185;
// Shifts a score byte may carry.
inline constexpr int kMaxScoreShift = 30;

// trunc(ln(p) / ln(1.0001) + 0.5) for p > 0, kLogZero otherwise; an infinite p
// gives the largest int32.
int32_t LogValue(double p);

// Quantises p: L = LogValue(p); b = bias, or bias >> shift when bias > 255;
// the byte is -((L >> shift) + b) clamped to 0..255. Shifts outside
// 0..kMaxScoreShift are clamped into it.
uint8_t ScoreByte(double p, int shift, int32_t bias);

// The cost a stored byte stands for: (s + bias) << shift, in 64 bits.
int64_t ScoreCost(int score, int32_t bias, int shift);

// Counts of costs in 10001 bins, for choosing a quantisation bias.
class CostHistogram {
 public:
  static constexpr int kBins = 10001;

  // A bin is trunc((x + offset) x scale); a scale that is not above 0 is 1.
  CostHistogram(float offset, float scale);

  // Costs below bin 0 (and NaN) count as underflow, costs beyond the last bin
  // in the last bin; both count in the total.
  void Add(double x);
  // Walking the bins from 0 until their running sum reaches f x total: the
  // last nonempty bin seen, as bin / scale - offset. -1 when the total is 0
  // or no nonempty bin is reached.
  float ValueAt(double f) const;

  int64_t total() const { return total_; }
  int64_t underflow() const { return underflow_; }

 private:
  int64_t total_ = 0;
  float offset_;
  float scale_;
  int64_t underflow_ = 0;
  std::vector<int64_t> bins_;
};

}  // namespace vok
