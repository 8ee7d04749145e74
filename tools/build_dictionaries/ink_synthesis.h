// Pen-like ink from stroke centre lines: screen pixels at a realistic size,
// densified, under a seeded random style of writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/stroke_list.h"
#include "tools/build_dictionaries/stroke_data.h"

namespace build_dictionaries {

struct InkStyle {
  double size_low = 90;  // character height in pixels
  double size_high = 150;
  double point_jitter = 0.012;  // of the size, per centre-line point
  double shear = 0.06;
  double aspect = 0.08;
  double rotation = 0.04;  // radians
  // Sine wobble across the strokes, in parts of the size.
  double wobble = 0;
  // Point spacing in pixels, drawn per stroke.
  double spacing_low = 3;
  double spacing_high = 3;
  // Chance that a stroke is joined to the next one as in cursive writing.
  double connect = 0;
};

// The style of the dictionary samples, and the harder one of the benchmark.
InkStyle DictionaryStyle();
InkStyle HandwritingStyle();

// Seeds of the dictionary builder are below this value; the benchmark's
// are above it.
inline constexpr std::uint64_t kBenchmarkSeedBase = 1ull << 40;

// The seed of the dictionary builder's `variant`-th sample of the
// `character`-th character of the stroke data.
constexpr std::uint64_t DictionarySeed(std::size_t character, std::size_t variant) {
  return static_cast<std::uint64_t>(character) * 64 + variant;
}

std::vector<wrendle::StrokeEntry> SynthesizeInk(const std::vector<Median>& medians, const InkStyle& style,
                                                std::uint64_t seed);

}  // namespace build_dictionaries
