// Radical models of the recognizers' second pass: stroke-shape units (a
// stroke of the centre lines with its pen-up move) clustered into the
// model's number of radicals, a chain of units per character, and Viterbi
// re-estimation of the units' states from quantised pen steps.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/hwr_model.h"
#include "tools/build_dictionaries/stroke_data.h"

namespace build_hwr_models {

// Unit of every stroke of every character (first 20 strokes), by k-means
// over the strokes' shapes and pen-up moves.
std::vector<std::vector<int16_t>> ClusterStrokeUnits(
    const std::vector<const build_dictionaries::StrokeCharacter*>& characters, int units, unsigned jobs);

struct StepSample {
  int class_index;
  std::vector<uint8_t> codes;      // one per observation step
  std::vector<int> stroke_starts;  // first step of each written stroke
};

// States per unit from the mean number of steps that the samples' strokes
// give each unit (half of it, 1 to 15).
std::vector<int32_t> UnitStates(int units, const std::vector<std::vector<int16_t>>& chains,
                                const std::vector<StepSample>& samples);

// Chains cut so that their states add up to at most 255.
void LimitChains(std::vector<std::vector<int16_t>>& chains, const std::vector<int32_t>& states);

// Trains one set: starts from `start` (or from segmentation by strokes when
// null), then re-aligns `iterations` times.
std::vector<vok::RadicalModel> TrainRadicalModels(const std::vector<int32_t>& states,
                                                  const std::vector<std::vector<int16_t>>& chains,
                                                  const std::vector<StepSample>& samples,
                                                  const std::vector<vok::RadicalModel>* start, int iterations,
                                                  unsigned jobs);

// The least-cost alignment of the codes with the chain, as the recognizer
// scores it: the chain state of every step, and the total.
int64_t AlignChain(const std::vector<vok::RadicalModel>& models, const std::vector<int16_t>& chain,
                   const std::vector<uint8_t>& codes, std::vector<int>* chain_states);

}  // namespace build_hwr_models
