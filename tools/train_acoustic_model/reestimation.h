// Re-estimation of an acoustic model from utterances with known HMM
// sequences: uniform segmentation, Viterbi alignment and Baum-Welch, of the
// mixture weights and transitions and, when asked, the Gaussian centres.
#pragma once

#include <vector>

#include "tools/train_acoustic_model/acoustic_model.h"

namespace train_acoustic_model {

struct TrainingUtterance {
  const Features* features = nullptr;  // normalised as the model normalises
  std::vector<int> hmms;               // HMM indices in spoken order
};

struct PassResult {
  double logLikelihood = 0.0;  // per frame, over the utterances that fit
  long long frames = 0;
  int utterances = 0;  // utterances used (those with at least one frame per state)
};

// Every training pass scores with stream weights of 1, a proper likelihood,
// so that Baum-Welch never lowers it. Work is spread over `jobs` threads;
// results do not depend on the number.
class Reestimation {
 public:
  // A centre seen by fewer frames than this keeps its place.
  static constexpr double kMinCentreOccupancy = 2.0;

  Reestimation(AcousticModel& model, unsigned jobs, bool update_centres = false)
      : model_(model), jobs_(jobs), update_centres_(update_centres) {}

  // Flat start: each utterance cut into equal parts, one per state; the
  // weights from the frames of each part (all Gaussians weighted equally).
  PassResult UniformSegmentation(const std::vector<TrainingUtterance>& utterances);
  // Best-path alignment with the current model, then re-estimation from it;
  // the log likelihood is that of the best paths before the update.
  PassResult Viterbi(const std::vector<TrainingUtterance>& utterances);
  // Forward-backward with the current model, then re-estimation; the log
  // likelihood is the total one before the update.
  PassResult BaumWelch(const std::vector<TrainingUtterance>& utterances);

 private:
  enum class Mode { kUniform, kViterbi, kBaumWelch };
  PassResult Pass(const std::vector<TrainingUtterance>& utterances, Mode mode);

  AcousticModel& model_;
  unsigned jobs_;
  bool update_centres_;
};

// The total log likelihood (stream weights 1) of an utterance through the
// HMM sequence; -infinity when it has fewer frames than states.
double ForwardLogLikelihood(const AcousticModel& model, const TrainingUtterance& utterance);

// The best path: the position in `utterance.hmms` of every frame (empty when
// the utterance has fewer frames than states), and its log likelihood. With
// `states`, also the model state of every frame.
std::vector<int> ViterbiAlignment(const AcousticModel& model, const TrainingUtterance& utterance,
                                  double* score, std::vector<int>* states = nullptr);

}  // namespace train_acoustic_model
