#include "engine/core/log_score.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vok {

int32_t LogValue(double p) {
  if (!(p > 0)) return kLogZero;
  const double v = std::trunc(std::log(p) * kLogScale + 0.5);
  // Even the smallest positive double stays far inside int32; only +inf and
  // values close to it need the clamp.
  if (!(v < static_cast<double>(std::numeric_limits<int32_t>::max())))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v);
}

uint8_t ScoreByte(double p, int shift, int32_t bias) {
  shift = std::clamp(shift, 0, kMaxScoreShift);
  const int64_t log_value = LogValue(p);
  const int64_t b = bias > 255 ? (bias >> shift) : bias;
  const int64_t v = -((log_value >> shift) + b);
  return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255));
}

int64_t ScoreCost(int score, int32_t bias, int shift) {
  shift = std::clamp(shift, 0, kMaxScoreShift);
  return (static_cast<int64_t>(score) + bias) * (int64_t{1} << shift);
}

CostHistogram::CostHistogram(float offset, float scale)
    : offset_(offset), scale_(scale > 0 ? scale : 1.0f), bins_(kBins, 0) {}

void CostHistogram::Add(double x) {
  ++total_;
  const double position = (x + offset_) * scale_;
  if (!(position >= 0)) {  // also NaN
    ++underflow_;
    return;
  }
  // Compared as a double, so no huge value reaches the int conversion.
  const int bin = position >= kBins - 1 ? kBins - 1 : static_cast<int>(position);
  ++bins_[bin];
}

float CostHistogram::ValueAt(double f) const {
  if (total_ == 0) return -1;
  const double target = f * static_cast<double>(total_);
  int64_t sum = 0;
  int last_nonempty = -1;
  for (int i = 0; i < kBins; ++i) {
    if (bins_[i] != 0) last_nonempty = i;
    sum += bins_[i];
    if (static_cast<double>(sum) >= target) {
      if (last_nonempty < 0) return -1;
      return static_cast<float>(last_nonempty / scale_ - offset_);
    }
  }
  return -1;
}

}  // namespace vok
