// Per-input-thread observation and score caches of an HMM database.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_memory_block.h"

struct C_rInputThread {
  int frame = -1;
  std::uint32_t generation = 0;                 // advances with every observation
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

  C_rMemoryBlock<std::uint32_t> mixtureStamp;
  C_rMemoryBlock<float> mixtureScore;

  // Mixture groups scored this frame (C_rMixtureGroups): the total and best
  // component of each of their mixtures, taken over as a mixture is asked for.
  C_rMemoryBlock<std::uint32_t> groupStamp;
  C_rMemoryBlock<float> groupTotals;  // one per mixture
  C_rMemoryBlock<float> groupBest;    // one per mixture

  std::uint64_t cacheHits = 0;
  std::uint64_t cacheMisses = 0;
  std::uint64_t codeBookEvaluations = 0;
};
