// Mixtures that draw on one Gaussian code book, scored side by side. Every
// lane of a pass sums one mixture's components over the book's kept
// Gaussians, in the same order and with the same float operations as that
// mixture scored on its own, so the totals are the same to the bit whichever
// mixtures share a pass.
//
// Up to kLanes mixtures of a book form a static group whose log weights lie
// transposed, Gaussian by Gaussian with one weight per lane. A pass over
// mixtures that are not one whole group reads each lane's weights from its
// own mixture.
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
  C_rMemoryBlock<int> memberCount;             // filled lanes of every group
  C_rMemoryBlock<std::int64_t> weightOffsets;  // first transposed weight of every group
  C_rMemoryBlock<float> weights;               // per group: book size x kLanes log weights
  // The groups of a book are consecutive: bookGroups[b] to bookGroups[b + 1].
  C_rMemoryBlock<int> bookGroups;
};

// Groups the mixtures of every code book in mixture order.
void C_rBuildMixtureGroups(C_rMemory& memory, const C_rGaussianCodeBookCB& codeBooks,
                           const C_rGMixCB& mixtures, C_rMixtureGroups& groups);

// The log weights of one pass at the k-th kept Gaussian, whose index in the
// book is rowOf[k]: a whole static group's lie transposed at
// rows + rowOf[k] x kLanes; otherwise lane j reads lanes[j][rowOf[k]] from
// its mixture's own weights (every pointer up to the next multiple of four
// lanes valid).
struct C_rLaneWeights {
  const float* rows;
  const float* const* lanes;
  const int* rowOf;
};

// The weights of a whole static group.
inline C_rLaneWeights C_rGroupWeights(const C_rMixtureGroups& groups, int group, const int* keptIndices) {
  return {&groups.weights[groups.weightOffsets[group]], nullptr, keptIndices};
}

// The log-add total and the best single component (log weight plus Gaussian
// score) of the first `lanes` lanes (1 to kLanes) over `kept` Gaussians (at
// least 1), the first one starting the sum. `totals` and `best` take kLanes
// values each; lanes from `lanes` on hold unspecified values.
void C_rScoreMixtureLanes(const C_rLaneWeights& weights, const float* keptScores, int kept, int lanes,
                          float* totals, float* best);

// The same, one lane after the other with scalar float operations: the form
// for processors without SSE2, and the tests' check of the vector form.
void C_rScoreMixtureLanesPortable(const C_rLaneWeights& weights, const float* keptScores, int kept, int lanes,
                                  float* totals, float* best);
