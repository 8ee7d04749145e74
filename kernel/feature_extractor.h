// The feature values of a raster: 80 values that the cluster centroids and
// the fine vector share (crossings, peripheral variation, layers), then 144
// direction values of the fine vector only.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "kernel/raster.h"

namespace kernel {

inline constexpr std::size_t kCoarseFeatureCount = 80;
inline constexpr std::size_t kFineFeatureCount = 224;

// Column and row positions that split the raster box into `bands` bands of
// about equal ink along each axis.
struct Cuts {
  std::array<int, 9> columns{};
  std::array<int, 9> rows{};
};
Cuts EqualMassCuts(const Raster& raster, int bands);

// Undivided values; the coarse values are the first kCoarseFeatureCount.
using RawFeatures = std::array<std::int32_t, kFineFeatureCount>;
RawFeatures ComputeRawFeatures(const Raster& raster);

// Each value divided by its divisor (a zero divisor counts as 1) and
// clamped to a byte. `divisors` and `out` have the same length, at most the
// number of raw values.
void DivideFeatures(std::span<const std::int32_t> raw, std::span<const std::uint16_t> divisors,
                    std::span<std::uint8_t> out);

}  // namespace kernel
