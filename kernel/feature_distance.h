// Distances between byte feature vectors, the inner loops of matching. The
// SSE2 forms (the product's baseline) and the portable ones give the same
// sums; the portable ones serve other processors and the tests.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kernel {

// Sum of |a[j] - b[j]| over n bytes.
std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
// Sum of (a[j] - b[j]) squared over n bytes (n at most 65535).
std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
// Sum of ((a[j] - b[j]) >> 1) squared, the shift an arithmetic one on the
// signed difference (n at most 65535).
std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);

namespace portable {
std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
}  // namespace portable

// Asks the processor to bring n bytes at p into the cache.
inline void PrefetchBytes(const std::uint8_t* p, std::size_t n) {
#if defined(__SSE2__)
  if (n == 0) return;
  for (std::size_t offset = 0; offset < n; offset += 64)
    _mm_prefetch(reinterpret_cast<const char*>(p + offset), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(p + n - 1), _MM_HINT_T0);
#else
  (void)p;
  (void)n;
#endif
}

}  // namespace kernel
