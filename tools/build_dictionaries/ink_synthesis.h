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
  // Sine wobble across the strokes, in parts of the size, and its period.
  double wobble = 0;
  double wobble_period_low = 0.2;
  double wobble_period_high = 0.5;
  // Point spacing in pixels, drawn per stroke.
  double spacing_low = 3;
  double spacing_high = 3;
  // Part by which the spacing swells and shrinks along a stroke as the pen
  // speeds up and slows down (below 1).
  double speed_change = 0;
  // Chance that a stroke is joined to the next one by a pen-down path, as in
  // running script.
  double connect = 0;
};

// How the benchmark writes: neat, hasty, and very hasty writing whose strokes
// are mostly joined.
InkStyle NeatStyle();
InkStyle HastyStyle();
InkStyle VeryHastyStyle();

// The styles of the dictionary samples: `variant` runs from neat, separate
// strokes to hasty, mostly joined ones.
InkStyle DictionaryStyle(std::size_t variant);
// Whether that style is one of the neat ones (separate strokes, little
// distortion).
bool IsNeatDictionaryVariant(std::size_t variant);

// Seeds of the dictionary builder are below this value; the benchmark's
// are above it.
inline constexpr std::uint64_t kBenchmarkSeedBase = 1ull << 40;

// The seed of the dictionary builder's `variant`-th sample of the
// `character`-th character of the stroke data.
inline constexpr std::size_t kMaxDictionaryVariants = 64;
constexpr std::uint64_t DictionarySeed(std::size_t character, std::size_t variant) {
  return static_cast<std::uint64_t>(character) * kMaxDictionaryVariants + variant;
}

// The probes with which the builder checks its records: hasty styles, under
// seeds of their own for each pass, still below the benchmark's.
inline constexpr std::size_t kMaxRefiningPasses = 64;
inline constexpr std::size_t kMaxProbes = kMaxDictionaryVariants;
std::size_t ProbeVariant(std::size_t probe);
constexpr std::uint64_t ProbeSeed(std::size_t pass, std::size_t character, std::size_t probe) {
  return kBenchmarkSeedBase / 2 + (static_cast<std::uint64_t>(pass) << 32) +
         static_cast<std::uint64_t>(character) * kMaxDictionaryVariants + probe;
}
static_assert(ProbeSeed(kMaxRefiningPasses, 0, 0) < kBenchmarkSeedBase);

std::vector<wrendle::StrokeEntry> SynthesizeInk(const std::vector<Median>& medians, const InkStyle& style,
                                                std::uint64_t seed);

}  // namespace build_dictionaries
