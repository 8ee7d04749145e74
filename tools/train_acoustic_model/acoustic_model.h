// The acoustic model while it is trained: per-stream normalisation and code
// books, states with one mixture per stream over one of the stream's code
// books, 3-state left-to-right HMMs, and the Gaussian scores of a frame.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
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
  std::vector<int> books;                      // per stream: its code book in that stream
  std::vector<std::vector<float>> logWeights;  // per stream, per Gaussian of that book
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
  // Per stream, its code books; centres as the file decodes them.
  std::vector<std::vector<CodeBook>> books;
  ByteQuantiser centreCodes;  // codes the centres of every stream
  float logDensityWeight = 12.0f;
  std::vector<StateMixtures> states;
  std::vector<Transitions> transitions;
  std::vector<HmmEntry> hmms;  // names are given by the three operations below

  int streams() const { return static_cast<int>(books.size()); }
  // True once states draw from code books of their phones (beyond the first,
  // shared one of each stream).
  bool HasPhoneBooks() const { return !books.empty() && books.front().size() > 1; }
  const CodeBook& Book(int stream, int state) const {
    return books[static_cast<std::size_t>(stream)]
                [static_cast<std::size_t>(states[static_cast<std::size_t>(state)].books[stream])];
  }
  // Index of the HMM, -1 when unknown.
  int HmmIndex(const std::string& name) const;
  // A new HMM with fresh states over the first code book of every stream,
  // uniform weights; its index.
  int AddHmm(const std::string& name);
  // A new HMM with copies of `source`'s states and transitions; its index.
  int CloneHmm(const std::string& name, int source);
  // A new HMM record sharing `source`'s states and transitions; its index.
  int TieHmm(const std::string& name, int source);
  // Fits the centre codes to the centres of every book and replaces each
  // centre by its coded value, as the database will decode it.
  void QuantiseCentres();

 private:
  int Add(HmmEntry hmm);
  std::unordered_map<std::string, int> index_;  // HMM of each name
};

// The Gaussian scores of one utterance's normalised frames, computed for a
// code book on its first use and kept with the scorer. One thread at a time.
class FrameScorer {
 public:
  FrameScorer(const AcousticModel& model, const Features& normalised)
      : model_(model), features_(normalised) {}

  int frames() const { return features_.frames; }
  // log sum over the state's Gaussians of weight x density, for one stream.
  double Mixture(int t, int state, int stream);
  // Sum over streams of weight x mixture log likelihood.
  double State(int t, int state, std::span<const float> stream_weights);
  // The posterior of each of the state's Gaussians in the stream (they sum to
  // 1) into `out`; returns the mixture log likelihood.
  double Posteriors(int t, int state, int stream, std::vector<double>* out);

 private:
  // A book's Gaussian scores at every frame, and per frame the Gaussians
  // that can add to some state's mixture (the others lie so far below the
  // frame's best Gaussian that no weight brings them near).
  struct BookScores {
    std::vector<float> scores;         // frames x Gaussians
    std::vector<std::uint32_t> first;  // frames + 1 offsets into `candidates`
    std::vector<std::uint16_t> candidates;
  };
  const BookScores& Book(int stream, int book);

  const AcousticModel& model_;
  const Features& features_;
  std::map<std::pair<int, int>, BookScores> books_;  // (stream, book)
};

// log(exp(a) + exp(b)) without overflow; -infinity is the empty sum.
double LogAdd(double a, double b);

}  // namespace train_acoustic_model
