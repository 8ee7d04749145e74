// The value below which a fraction of the measurements lie (the nearest
// rank), for latency figures.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

inline double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

}  // namespace bench
