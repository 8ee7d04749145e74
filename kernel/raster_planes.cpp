#include "kernel/raster_planes.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kernel {
namespace {

static_assert(kRasterSize > 64 && kRasterSize <= 128);

// Bits at or after p, and at or before p, of the 64-bit word of positions
// 0..63 (p may lie outside it).
std::uint64_t BitsFrom(int p) { return p <= 0 ? ~std::uint64_t{0} : p >= 64 ? 0 : ~std::uint64_t{0} << p; }
std::uint64_t BitsTo(int p) {
  return p < 0 ? 0 : p >= 63 ? ~std::uint64_t{0} : ~std::uint64_t{0} >> (63 - p);
}

// Without a population-count instruction in the baseline.
int CountBits(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

LineBits BitsOf(const std::uint8_t* line) {
  LineBits bits;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const auto ink = [&](int p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + p));
    return static_cast<std::uint64_t>(~_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) & 0xFFFF);
  };
  bits.low = ink(0) | ink(16) << 16 | ink(32) << 32 | ink(48) << 48;
  bits.high = (ink(64) | ink(80) << 16) & ((std::uint64_t{1} << (kRasterSize - 64)) - 1);
#else
  for (int p = 0; p < kRasterSize; ++p) {
    if (line[p] != 0) (p < 64 ? bits.low : bits.high) |= std::uint64_t{1} << (p % 64);
  }
#endif
  return bits;
}

// The columns of the rows plane, sixteen lines and positions at a time
// through a square scratch of whole vectors.
void Transpose(const Plane& rows, Plane& columns) {
  constexpr int kSquare = (kRasterSize + 15) / 16 * 16;
  alignas(16) std::uint8_t square[kSquare * kSquare];
#if defined(__SSE2__)
  for (int r0 = 0; r0 < kSquare; r0 += 16) {
    for (int c0 = 0; c0 < kSquare; c0 += 16) {
      __m128i v[16];
      for (int i = 0; i < 16; ++i) {
        const int r = r0 + i;
        v[i] = r < kRasterSize ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                     &rows[static_cast<std::size_t>((r + 1) * kPlaneStride + 1 + c0)]))
                               : _mm_setzero_si128();
      }
      __m128i b[16];
      for (int i = 0; i < 8; ++i) {
        b[2 * i] = _mm_unpacklo_epi8(v[2 * i], v[2 * i + 1]);
        b[2 * i + 1] = _mm_unpackhi_epi8(v[2 * i], v[2 * i + 1]);
      }
      for (int j = 0; j < 4; ++j) {
        v[4 * j] = _mm_unpacklo_epi16(b[4 * j], b[4 * j + 2]);
        v[4 * j + 1] = _mm_unpackhi_epi16(b[4 * j], b[4 * j + 2]);
        v[4 * j + 2] = _mm_unpacklo_epi16(b[4 * j + 1], b[4 * j + 3]);
        v[4 * j + 3] = _mm_unpackhi_epi16(b[4 * j + 1], b[4 * j + 3]);
      }
      for (int k = 0; k < 2; ++k) {
        for (int q = 0; q < 4; ++q) {
          b[8 * k + 2 * q] = _mm_unpacklo_epi32(v[8 * k + q], v[8 * k + 4 + q]);
          b[8 * k + 2 * q + 1] = _mm_unpackhi_epi32(v[8 * k + q], v[8 * k + 4 + q]);
        }
      }
      for (int n = 0; n < 8; ++n) {
        _mm_store_si128(reinterpret_cast<__m128i*>(&square[(c0 + 2 * n) * kSquare + r0]),
                        _mm_unpacklo_epi64(b[n], b[n + 8]));
        _mm_store_si128(reinterpret_cast<__m128i*>(&square[(c0 + 2 * n + 1) * kSquare + r0]),
                        _mm_unpackhi_epi64(b[n], b[n + 8]));
      }
    }
  }
#else
  for (int c = 0; c < kRasterSize; ++c) {
    for (int r = 0; r < kRasterSize; ++r)
      square[c * kSquare + r] = rows[static_cast<std::size_t>((r + 1) * kPlaneStride + 1 + c)];
  }
#endif
  for (int c = 0; c < kRasterSize; ++c) {
    std::memcpy(&columns[static_cast<std::size_t>((c + 1) * kPlaneStride + 1)], &square[c * kSquare],
                kRasterSize);
  }
}

// The background around the lines of a plane, and the spare bytes after it.
void ClearBorder(Plane& plane) {
  std::memset(plane.data(), 0, kPlaneStride + 1);
  for (int line = 0; line + 1 < kRasterSize; ++line)
    std::memset(&plane[static_cast<std::size_t>((line + 1) * kPlaneStride + 1 + kRasterSize)], 0, 2);
  const std::size_t last = static_cast<std::size_t>(kRasterSize * kPlaneStride + 1 + kRasterSize);
  std::memset(&plane[last], 0, plane.size() - last);
}

}  // namespace

int LineBits::CountIn(int from, int to) const {
  return CountBits(low & BitsFrom(from) & BitsTo(to)) +
         CountBits(high & BitsFrom(from - 64) & BitsTo(to - 64));
}

int LineBits::FirstAtOrAfter(int p) const {
  if (p < 0) p = 0;
  if (p < 64) {
    const std::uint64_t rest = low & (~std::uint64_t{0} << p);
    if (rest != 0) return std::countr_zero(rest);
    p = 64;
  }
  if (p >= kRasterSize) return kRasterSize;
  const std::uint64_t rest = high & (~std::uint64_t{0} << (p - 64));
  return rest != 0 ? 64 + std::countr_zero(rest) : kRasterSize;
}

int LineBits::LastAtOrBefore(int p) const {
  if (p >= kRasterSize) p = kRasterSize - 1;
  if (p >= 64) {
    const std::uint64_t rest = high & (~std::uint64_t{0} >> (63 - (p - 64)));
    if (rest != 0) return 127 - std::countl_zero(rest);
    p = 63;
  }
  if (p < 0) return -1;
  const std::uint64_t rest = low & (~std::uint64_t{0} >> (63 - p));
  return rest != 0 ? 63 - std::countl_zero(rest) : -1;
}

void FillPlanes(const Raster& raster, Planes& planes) {
  ClearBorder(planes.rows);
  ClearBorder(planes.columns);
  for (int r = 0; r < kRasterSize; ++r) {
    std::memcpy(&planes.rows[static_cast<std::size_t>((r + 1) * kPlaneStride + 1)],
                &raster.pixels[static_cast<std::size_t>(r * kRasterSize)], kRasterSize);
  }
  Transpose(planes.rows, planes.columns);
  for (int line = 0; line < kRasterSize; ++line) {
    planes.row_bits[static_cast<std::size_t>(line)] =
        BitsOf(&planes.rows[static_cast<std::size_t>((line + 1) * kPlaneStride + 1)]);
    planes.column_bits[static_cast<std::size_t>(line)] =
        BitsOf(&planes.columns[static_cast<std::size_t>((line + 1) * kPlaneStride + 1)]);
  }
}

}  // namespace kernel
