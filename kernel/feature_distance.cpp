#include "kernel/feature_distance.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kernel {
namespace portable {

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

}  // namespace portable

#if defined(__SSE2__)
namespace {

std::int64_t SumOfLanes(__m128i v) {
  alignas(16) std::int32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return static_cast<std::int64_t>(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}

__m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Sixteen byte differences as two vectors of eight signed 16-bit values.
void Differences(const std::uint8_t* a, const std::uint8_t* b, __m128i& low, __m128i& high) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i va = Load(a);
  const __m128i vb = Load(b);
  low = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
  high = _mm_sub_epi16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
}

}  // namespace

std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  __m128i sums = _mm_setzero_si128();
  std::size_t j = 0;
  for (; j + 16 <= n; j += 16) sums = _mm_add_epi64(sums, _mm_sad_epu8(Load(a + j), Load(b + j)));
  const std::int32_t vector_sum = _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  return vector_sum + portable::AbsoluteDifferenceSum(a + j, b + j, n - j);
}

// Each 32-bit lane takes at most four squares of 255 per 16 bytes, so 65535
// bytes stay below 2^31.
std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  __m128i sums = _mm_setzero_si128();
  std::size_t j = 0;
  for (; j + 16 <= n; j += 16) {
    __m128i low, high;
    Differences(a + j, b + j, low, high);
    sums = _mm_add_epi32(sums, _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high)));
  }
  return SumOfLanes(sums) + portable::SquaredDifferenceSum(a + j, b + j, n - j);
}

std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  __m128i sums = _mm_setzero_si128();
  std::size_t j = 0;
  for (; j + 16 <= n; j += 16) {
    __m128i low, high;
    Differences(a + j, b + j, low, high);
    low = _mm_srai_epi16(low, 1);
    high = _mm_srai_epi16(high, 1);
    sums = _mm_add_epi32(sums, _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high)));
  }
  return SumOfLanes(sums) + portable::HalvedSquaredDifferenceSum(a + j, b + j, n - j);
}

#else

std::int32_t AbsoluteDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  return portable::AbsoluteDifferenceSum(a, b, n);
}

std::int64_t SquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  return portable::SquaredDifferenceSum(a, b, n);
}

std::int64_t HalvedSquaredDifferenceSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  return portable::HalvedSquaredDifferenceSum(a, b, n);
}

#endif

}  // namespace kernel
