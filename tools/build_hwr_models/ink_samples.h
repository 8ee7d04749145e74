// Synthetic ink of the stroke data as the engine's recognizers see it:
// {y, x} points per stroke, analysed by the recognizers' own feature
// routines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/stroke_list.h"
#include "engine/core/hwr_character_features.h"
#include "engine/core/hwr_ink_features.h"
#include "tools/build_dictionaries/ink_synthesis.h"

namespace build_hwr_models {

struct EngineInk {
  std::vector<vok::InkPoint> points;
  std::vector<int> counts;
};

// The strokes of a StrokeList as {y, x} points; at most 1000 points and 99
// strokes are kept.
EngineInk ToEngineInk(const std::vector<wrendle::StrokeEntry>& list);

struct AnalysedInk {
  int class_index = -1;
  bool valid = false;
  vok::HwrCharacterFeatures features{};
  // Observation steps (dy, dx) and, per written stroke, the index of the
  // step at which it starts (strokes joined in cursive writing count as one).
  std::vector<std::int32_t> steps;
  std::vector<int> stroke_starts;
};

// Joins, analyses and traces the ink as the Chinese recognizers do, or as
// the Latin recognizer does (its image from the strokes without the pen-up
// moves).
AnalysedInk AnalyseInk(const EngineInk& ink, int class_index, bool latin = false);

// The style of the cursive samples: the dictionary style with most strokes
// joined.
build_dictionaries::InkStyle CursiveStyle();

}  // namespace build_hwr_models
