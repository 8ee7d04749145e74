// The acoustic model while it is trained: per-stream normalisation and code
// books, states with one mixture per stream over the stream's code book,
// 3-state left-to-right HMMs, and the Gaussian scores of a frame.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/train_acoustic_model/byte_quantiser.h"
#include "tools/train_acoustic_model/code_book.h"
#include "tools/train_acoustic_model/features.h"

namespace train_acoustic_model {

// Lowest mixture weight: every Gaussian keeps a finite log weight.
inline constexpr double kWeightFloor = 1e-5;
// Lowest probability of staying in a state or moving on.
inline constexpr double kTransitionFloor = 1e-3;

struct StateMixtures {
  std::vector<std::vector<float>> logWeights;  // per stream, per Gaussian
};

// Probability of staying in each of the 3 states; 1 - stay moves on (from
// the last state: leaves the HMM).
struct Transitions {
  std::array<double, 3> stay{0.5, 0.5, 0.5};
};

struct HmmEntry {
  std::string name;
  std::array<int, 3> states{};
  int transitions = 0;
};

struct AcousticModel {
  StreamNormalisation normalisation;
  std::vector<CodeBook> books;  // one per stream, centres as the file decodes them
  ByteQuantiser centreCodes;    // codes the centres of every stream
  float logDensityWeight = 12.0f;
  std::vector<StateMixtures> states;
  std::vector<Transitions> transitions;
  std::vector<HmmEntry> hmms;  // names are given by the three operations below

  // Index of the HMM, -1 when unknown.
  int HmmIndex(const std::string& name) const;
  // A new HMM with fresh states of uniform weights; its index.
  int AddHmm(const std::string& name);
  // A new HMM with copies of `source`'s states and transitions; its index.
  int CloneHmm(const std::string& name, int source);
  // A new HMM record sharing `source`'s states and transitions; its index.
  int TieHmm(const std::string& name, int source);

 private:
  int Add(HmmEntry hmm);
  std::unordered_map<std::string, int> index_;  // HMM of each name
};

// The best `top` Gaussians of every stream of every frame with their scores:
// the code books are fixed during re-estimation, so this is done once.
struct ScoredFrames {
  int frames = 0;
  int streams = 0;
  int top = 0;
  std::vector<std::uint16_t> index;  // frames x streams x top
  std::vector<float> score;

  std::size_t At(int t, int s) const {
    return (static_cast<std::size_t>(t) * streams + static_cast<std::size_t>(s)) *
           static_cast<std::size_t>(top);
  }
};

ScoredFrames ScoreFrames(const AcousticModel& model, const Features& normalised, int top);

// log sum over the kept Gaussians of weight x density, for one stream.
double MixtureLogLikelihood(const AcousticModel& model, const ScoredFrames& frames, int t, int state,
                            int stream);

// Sum over streams of weight x mixture log likelihood.
double StateLogLikelihood(const AcousticModel& model, const ScoredFrames& frames, int t, int state,
                          std::span<const float> stream_weights);

// log(exp(a) + exp(b)) without overflow; -infinity is the empty sum.
double LogAdd(double a, double b);

}  // namespace train_acoustic_model
