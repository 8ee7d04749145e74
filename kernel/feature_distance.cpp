#include "kernel/feature_distance.h"

namespace kernel::portable {

std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  std::int32_t sum = 0;
  for (std::size_t j = 0; j < n; ++j) sum += a[j] > b[j] ? a[j] - b[j] : b[j] - a[j];
  return sum;
}

std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  std::int64_t sum = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const std::int64_t d = static_cast<std::int64_t>(a[j]) - b[j];
    sum += d * d;
  }
  return sum;
}

std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  std::int64_t sum = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const std::int64_t half = (static_cast<std::int32_t>(a[j]) - b[j]) >> 1;
    sum += half * half;
  }
  return sum;
}

}  // namespace kernel::portable
