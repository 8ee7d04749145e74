// Whole-syllable models of spoken commands: one three-state model per
// syllable and "SIL", one Gaussian per state and stream in the space the
// model file normalises to. The database scores such a Gaussian as minus the
// scaled squared distance (unit variance), so training one is finding the
// mean of its frames: a flat start, then Viterbi re-alignment.
#pragma once

#include <string>
#include <vector>

#include "tools/train_acoustic_model/features.h"

namespace train_command_models {

inline constexpr const char* kSilence = "SIL";
inline constexpr int kStatesPerModel = 3;

struct CommandModelOptions {
  int passes = 6;  // Viterbi re-alignments after the flat start
  float logDensityWeight = 12.0f;
  std::vector<float> streamWeights{1.0f, 0.5f};
};

// Normalised frames and the models spoken in them, in order.
struct ModelUtterance {
  train_acoustic_model::Features frames;
  std::vector<int> models;
};

class CommandModels {
 public:
  CommandModels(std::vector<std::string> names, std::vector<int> dims, CommandModelOptions options);

  // -1 when unknown.
  int ModelIndex(const std::string& name) const;
  // The database's score of state (model x 3 + 0..2) for frame t: the sum
  // over streams of weight x -(log density weight / dim) x |x - mean|^2.
  double StateScore(int state, const train_acoustic_model::Features& frames, int t) const;
  // The best left-to-right path through the utterance's states, every state
  // at least one frame, no transition scores (as the command search): the
  // state of every frame, empty when the utterance is too short.
  std::vector<int> Align(const ModelUtterance& utterance, double* score) const;

  // Flat start: every utterance cut into equal parts, one per state.
  void EstimateUniform(const std::vector<ModelUtterance>& utterances);
  // Aligns with the current means, then re-estimates them; the score per
  // frame of the alignments before the update.
  double Reestimate(const std::vector<ModelUtterance>& utterances);

  const std::vector<std::string>& names() const { return names_; }
  const std::vector<int>& dims() const { return dims_; }
  const CommandModelOptions& options() const { return options_; }
  // Mean of state j, stream s.
  const std::vector<float>& Mean(int state, int stream) const {
    return means_[static_cast<std::size_t>(state) * dims_.size() + static_cast<std::size_t>(stream)];
  }
  int states() const { return static_cast<int>(names_.size()) * kStatesPerModel; }

 private:
  void Estimate(const std::vector<ModelUtterance>& utterances,
                const std::vector<std::vector<int>>& alignments);

  std::vector<std::string> names_;
  std::vector<int> dims_;
  CommandModelOptions options_;
  std::vector<std::vector<float>> means_;  // state x stream
};

}  // namespace train_command_models
