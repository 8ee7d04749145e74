// Per-input-thread observation and score caches of an HMM database.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_memory_block.h"

struct C_rInputThread {
  int frame = -1;
  // Advances with every observation. The stamps below hold the generation in
  // which an entry was computed; they start at 0, the generation at 1, so
  // that no entry counts as computed, or as asked for in the frame before,
  // until it is.
  std::uint32_t generation = 1;
  std::vector<std::vector<float>> observation;  // normalised stream vectors
  std::vector<float> norms;                     // squared norm of each
  std::vector<float> projection;                // stream 0 before the LDA matrix
  std::vector<float> densityScale;
  float beam = 0.0f;

  C_rMemoryBlock<float> stateCache;  // 0.0: not computed this frame
  float bestStateScore = -1e32f;
  float stateThreshold = -1e32f;
  std::vector<float> bestGaussian, gaussianThreshold, bestComponent, fallback;

  // Kept Gaussians of every code book (C_rInputThread_AllGaussianCB).
  C_rMemoryBlock<std::uint32_t> codeBookStamp;
  C_rMemoryBlock<int> keptCount;
  C_rMemoryBlock<float> keptScores;
  C_rMemoryBlock<int> keptIndices;
  std::vector<float> scratch;

  // Generation in which each mixture was last asked for; its score then.
  C_rMemoryBlock<std::uint32_t> mixtureStamp;
  C_rMemoryBlock<float> mixtureScore;

  // Mixtures summed this frame beside the one asked for (C_rMixtureGroups):
  // the total and best component of each, taken over when it is asked for.
  C_rMemoryBlock<std::uint32_t> summedStamp;
  C_rMemoryBlock<float> summedTotals;  // one per mixture
  C_rMemoryBlock<float> summedBest;    // one per mixture
  // The mixtures of one pass that is not a whole static group.
  std::vector<int> passMixtures;

  std::uint64_t cacheHits = 0;
  std::uint64_t cacheMisses = 0;
  std::uint64_t codeBookEvaluations = 0;
};
