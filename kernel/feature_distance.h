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

namespace portable {
std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);
}  // namespace portable

#if defined(__SSE2__)
namespace sse2 {

inline __m128i Load16(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline __m128i Load8(const std::uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

// a[j] - b[j] of sixteen bytes as two vectors of eight signed 16-bit values.
inline void Differences(__m128i a, __m128i b, __m128i& low, __m128i& high) {
  const __m128i zero = _mm_setzero_si128();
  low = _mm_sub_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
  high = _mm_sub_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
}

inline std::int64_t SumOfLanes(__m128i v) {
  alignas(16) std::int32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return static_cast<std::int64_t>(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}

// Squares (halved differences when `Halve`) of a and b summed into 32-bit lanes.
template <bool Halve>
inline __m128i SquaresOf(__m128i a, __m128i b) {
  __m128i low, high;
  Differences(a, b, low, high);
  if (Halve) {
    low = _mm_srai_epi16(low, 1);
    high = _mm_srai_epi16(high, 1);
  }
  return _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high));
}

// Each 32-bit lane takes at most four squares of 255 per 16 bytes, so 65535
// bytes stay below 2^31.
template <bool Halve>
inline std::int64_t Squares(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  __m128i sums = _mm_setzero_si128();
  std::size_t j = 0;
  for (; j + 16 <= n; j += 16) sums = _mm_add_epi32(sums, SquaresOf<Halve>(Load16(a + j), Load16(b + j)));
  if (j + 8 <= n) {
    sums = _mm_add_epi32(sums, SquaresOf<Halve>(Load8(a + j), Load8(b + j)));
    j += 8;
  }
  const std::int64_t sum = SumOfLanes(sums);
  return sum + (Halve ? portable::HalvedSquaredDifferenceSum(a + j, b + j, n - j)
                      : portable::SquaredDifferenceSum(a + j, b + j, n - j));
}

}  // namespace sse2
#endif

// Sum of |a[j] - b[j]| over n bytes.
inline std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
#if defined(__SSE2__)
  __m128i sums = _mm_setzero_si128();
  std::size_t j = 0;
  for (; j + 16 <= n; j += 16)
    sums = _mm_add_epi64(sums, _mm_sad_epu8(sse2::Load16(a + j), sse2::Load16(b + j)));
  if (j + 8 <= n) {
    sums = _mm_add_epi64(sums, _mm_sad_epu8(sse2::Load8(a + j), sse2::Load8(b + j)));
    j += 8;
  }
  std::int32_t sum = _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  for (; j < n; ++j) sum += a[j] > b[j] ? a[j] - b[j] : b[j] - a[j];
  return sum;
#else
  return portable::AbsoluteDifferenceSum(a, b, n);
#endif
}

// Sum of (a[j] - b[j]) squared over n bytes (n at most 65535).
inline std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
#if defined(__SSE2__)
  return sse2::Squares<false>(a, b, n);
#else
  return portable::SquaredDifferenceSum(a, b, n);
#endif
}

// Sum of ((a[j] - b[j]) >> 1) squared, the shift an arithmetic one on the
// signed difference (n at most 65535).
inline std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
#if defined(__SSE2__)
  return sse2::Squares<true>(a, b, n);
#else
  return portable::HalvedSquaredDifferenceSum(a, b, n);
#endif
}

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
