// Utterances sampled from a known small model: 3 units of 3 states, 2
// streams, each state a Gaussian blob per stream, each state held for a
// geometric number of frames. For the trainer's recovery and read-back tests.
#pragma once

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/train_acoustic_model/acoustic_training.h"
#include "tools/train_acoustic_model/reestimation.h"

namespace known_model {

using namespace train_acoustic_model;

inline const std::vector<std::string> kUnits = {"SIL", "m", "a1"};
inline const std::vector<int> kDims = {4, 2};

class Source {
 public:
  explicit Source(unsigned seed) : random_(seed) {
    std::normal_distribution<float> spread(0.0f, 3.0f);
    means_.resize(kUnits.size() * 3);
    for (auto& state : means_)
      for (int dim : kDims) {
        std::vector<float> mean(dim);
        for (float& m : mean) m = spread(random_);
        state.push_back(mean);
      }
  }

  // An utterance of the given units; `states` gets the true unit and state
  // of every frame (unit x 3 + state).
  Utterance Sample(const std::vector<int>& units, std::vector<int>* states = nullptr) {
    std::normal_distribution<float> noise(0.0f, 0.6f);
    std::bernoulli_distribution stay(0.6);
    Utterance u;
    for (int dim : kDims) u.raw.streams.push_back({dim, {}});
    for (int unit : units) {
      u.labels.phones.push_back(kUnits[unit]);
      for (int s = 0; s < 3; ++s) {
        do {
          for (std::size_t k = 0; k < kDims.size(); ++k)
            for (float m : means_[unit * 3 + s][k]) u.raw.streams[k].values.push_back(m + noise(random_));
          if (states) states->push_back(unit * 3 + s);
          ++u.raw.frames;
        } while (stay(random_));
      }
    }
    u.labels.contexts = u.labels.phones;
    return u;
  }

  // Utterances of 2 to 5 random units.
  std::vector<Utterance> Sequences(int count) {
    std::uniform_int_distribution<int> length(2, 5), unit(0, static_cast<int>(kUnits.size()) - 1);
    std::vector<Utterance> out;
    for (int i = 0; i < count; ++i) {
      std::vector<int> units(length(random_));
      for (int& x : units) x = unit(random_);
      out.push_back(Sample(units));
    }
    return out;
  }

 private:
  std::mt19937 random_;
  std::vector<std::vector<std::vector<float>>> means_;  // state, stream, dim
};

inline TrainingOptions SmallOptions() {
  TrainingOptions options;
  options.gaussians = 16;
  options.jobs = 2;
  options.iterations = 5;
  return options;
}

// A model trained from the utterances (their frames are scored in place).
inline AcousticModel Train(std::vector<Utterance>& utterances, const TrainingOptions& options,
                           std::vector<double>* curve = nullptr) {
  std::vector<const Features*> raw;
  for (const Utterance& u : utterances) raw.push_back(&u.raw);
  const StreamNormalisation normalisation = MeasureNormalisation(raw);
  std::vector<Features> normalised;
  std::vector<const Features*> pointers;
  normalised.reserve(utterances.size());
  for (const Utterance& u : utterances) {
    normalised.push_back(u.raw);
    Normalise(normalisation, normalised.back());
    pointers.push_back(&normalised.back());
  }
  AcousticModel model = InitialModel(normalisation, pointers, options);
  std::vector<const Utterance*> all;
  for (Utterance& u : utterances) {
    NormaliseUtterance(model, u);
    all.push_back(&u);
  }
  std::ostringstream log;
  const std::vector<double> passes = TrainContextFree(model, all, options, log);
  if (curve) *curve = passes;
  return model;
}

// The unit whose HMM explains the utterance best (Viterbi).
inline int Classify(const AcousticModel& model, const Utterance& u) {
  int best = -1;
  double best_score = -1e300;
  for (std::size_t unit = 0; unit < kUnits.size(); ++unit) {
    TrainingUtterance candidate{&u.normalised, {model.HmmIndex(kUnits[unit])}};
    double score = 0.0;
    ViterbiAlignment(model, candidate, &score);
    if (score > best_score) {
      best_score = score;
      best = static_cast<int>(unit);
    }
  }
  return best;
}

}  // namespace known_model
