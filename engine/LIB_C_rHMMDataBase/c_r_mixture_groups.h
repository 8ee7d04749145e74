// Mixtures that draw on one Gaussian code book, scored side by side. Up to
// kLanes mixtures of a book form a group whose log weights lie transposed,
// Gaussian by Gaussian with one weight per lane, so that one pass over the
// book's kept Gaussians sums the components of all of them. Every lane adds
// its components in the same order and with the same float operations as a
// mixture scored on its own, so the totals are the same to the bit.
#pragma once

#include <cstdint>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_code_books.h"
#include "engine/LIB_C_rHMMDataBase/c_r_memory_block.h"

struct C_rMixtureGroups {
  static constexpr int kLanes = 16;
  int count = 0;
  C_rMemoryBlock<int> ofMixture;               // the group of every mixture
  C_rMemoryBlock<int> laneOfMixture;           // its lane in that group
  C_rMemoryBlock<int> members;                 // count x kLanes mixtures, -1 for an empty lane
  C_rMemoryBlock<std::int64_t> weightOffsets;  // first transposed weight of every group
  C_rMemoryBlock<float> weights;               // per group: book size x kLanes log weights
};

// Groups the mixtures of every code book in mixture order.
void C_rBuildMixtureGroups(C_rMemory& memory, const C_rGaussianCodeBookCB& codeBooks,
                           const C_rGMixCB& mixtures, C_rMixtureGroups& groups);

// The log-add total and the best single component (log weight plus Gaussian
// score) of every lane of `group` over the kept Gaussians of its book, the
// first kept one starting the sum. `kept` is at least 1; `totals` and `best`
// take kLanes values each.
void C_rScoreMixtureGroup(const C_rMixtureGroups& groups, int group, const float* keptScores,
                          const int* keptIndices, int kept, float* totals, float* best);

// The same, one lane after the other with scalar float operations: the form
// for processors without SSE2, and the tests' check of the vector form.
void C_rScoreMixtureGroupPortable(const C_rMixtureGroups& groups, int group, const float* keptScores,
                                  const int* keptIndices, int kept, float* totals, float* best);
