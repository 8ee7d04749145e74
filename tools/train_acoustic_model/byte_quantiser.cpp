#include "tools/train_acoustic_model/byte_quantiser.h"

#include <algorithm>
#include <cmath>

namespace train_acoustic_model {

ByteQuantiser ByteQuantiser::Fit(std::span<const float> values, int passes) {
  std::vector<double> sorted;
  sorted.reserve(values.size());
  for (float v : values)
    if (std::isfinite(v)) sorted.push_back(v);
  std::sort(sorted.begin(), sorted.end());
  ByteQuantiser q;
  const std::size_t n = sorted.size();
  if (n == 0) return q;
  std::vector<double> prefix(n + 1, 0.0);
  for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + sorted[i];
  std::vector<double> levels(kLevels);
  // Half way between the quantiles and an even spread over the range, so
  // that the sparse tails get levels of their own.
  const double low = sorted.front(), high = sorted.back();
  for (int i = 0; i < kLevels; ++i) {
    const double quantile = sorted[std::min(n - 1, static_cast<std::size_t>((i + 0.5) * n / kLevels))];
    levels[i] = 0.5 * (quantile + low + (high - low) * i / (kLevels - 1));
  }
  for (int pass = 0; pass < passes; ++pass) {
    std::size_t begin = 0;
    for (int i = 0; i < kLevels; ++i) {
      // Level i codes the values below the midpoint to level i + 1.
      std::size_t end = n;
      if (i + 1 < kLevels) {
        const double midpoint = 0.5 * (levels[i] + levels[i + 1]);
        end = static_cast<std::size_t>(
            std::upper_bound(sorted.begin() + static_cast<std::ptrdiff_t>(begin), sorted.end(), midpoint) -
            sorted.begin());
      }
      if (end > begin) levels[i] = (prefix[end] - prefix[begin]) / static_cast<double>(end - begin);
      begin = end;
    }
    std::sort(levels.begin(), levels.end());
  }
  for (int i = 0; i < kLevels; ++i) q.levels_[i] = static_cast<float>(levels[i]);
  return q;
}

std::uint8_t ByteQuantiser::Encode(float value) const {
  const auto above = std::lower_bound(levels_.begin(), levels_.end(), value);
  if (above == levels_.begin()) return 0;
  if (above == levels_.end()) return kLevels - 1;
  const auto below = above - 1;
  const auto index = (value - *below <= *above - value ? below : above) - levels_.begin();
  return static_cast<std::uint8_t>(index);
}

}  // namespace train_acoustic_model
