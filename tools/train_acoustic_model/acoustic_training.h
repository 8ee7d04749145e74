// The training run: code books, context-free then in-context HMMs, the
// speaker-group models, measurements on the held-out speakers, and the files
// of the dialect folder.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/train_acoustic_model/acoustic_model.h"
#include "tools/train_acoustic_model/reestimation.h"
#include "tools/train_acoustic_model/units.h"

namespace train_acoustic_model {

struct TrainingOptions {
  std::string frontEndSpec;        // empty: the front end's built-in set-up
  std::size_t gaussians = 256;     // per stream, of the first (shared) code books
  int phoneGaussians = 128;        // per phone and stream, of the phones' own code books
  int framesPerGaussian = 20;      // a phone's book has at most one Gaussian per this many frames
  int phoneIterations = 4;         // Baum-Welch passes once the phones have their books
  int viterbiIterations = 2;       // after the uniform segmentation
  int iterations = 4;              // Baum-Welch passes of the context-free models
  int contextIterations = 2;       // Baum-Welch passes once the context models exist
  int groupIterations = 2;         // Baum-Welch passes of "SpeechM" and "SpeechF"
  int minContextOccurrences = 20;  // a context with fewer shares its phone's states
  unsigned jobs = 3;
  // The database's settings, written to "Resources" and used to measure.
  float logDensityWeight = 12.0f;
  std::vector<float> streamWeights{1.0f, 0.5f};
  float bailOut = 5.5f;
  float logProbMultiple = 4.0f;
};

// An utterance of the training or held-out set.
struct Utterance {
  Features raw;         // as the front end gives them
  Features normalised;  // as the model normalises them
  UnitLabels labels;
  char gender = '-';
};

// Code books of every stream from the normalised frames, the centre codes
// fitted to the code books, the centres replaced by their coded values.
AcousticModel InitialModel(const StreamNormalisation& normalisation,
                           const std::vector<const Features*>& normalised, const TrainingOptions& options);

// The utterance's frames normalised as the model normalises them.
void NormaliseUtterance(const AcousticModel& model, Utterance& utterance);

// HMMs for "SIL" and every phone of the utterances, trained from a flat start
// (uniform segmentation, Viterbi passes, Baum-Welch passes). The log
// likelihood of every pass goes to `log`, and its values are returned.
std::vector<double> TrainContextFree(AcousticModel& model, const std::vector<const Utterance*>& utterances,
                                     const TrainingOptions& options, std::ostream& log);

// Every phone gets a code book of its own in every stream, clustered from
// the frames the model aligns with it, and its states weight that book; the
// normalisation is rescaled first so that the code books' spherical
// Gaussians have the phones' pooled deviation (the utterances are normalised
// again). Then Baum-Welch passes of weights, centres and transitions.
std::vector<double> TrainPhoneBooks(AcousticModel& model, const std::vector<Utterance*>& utterances,
                                    const TrainingOptions& options, std::ostream& log);

// An HMM of its own, from its phone's, for every context name with enough
// occurrences, trained further; every other name of `contexts` whose phone has
// a model gets an HMM record sharing the phone's states.
std::vector<double> TrainInContext(AcousticModel& model, const std::vector<const Utterance*>& utterances,
                                   const std::vector<std::string>& contexts, const TrainingOptions& options,
                                   std::ostream& log);

// Baum-Welch passes of the mixture weights, transitions and (once the
// phones have their books) centres on a subset.
std::vector<double> Adapt(AcousticModel& model, const std::vector<const Utterance*>& utterances,
                          int iterations, const TrainingOptions& options, std::ostream& log);

// The HMM sequence of an utterance: in-context names where the model has
// them, else the phones; empty when a phone has no model.
std::vector<int> HmmSequence(const AcousticModel& model, const UnitLabels& labels);
// The phones' HMMs alone, whatever context models exist.
std::vector<int> PhoneSequence(const AcousticModel& model, const UnitLabels& labels);

// One line of the training log for a pass.
void ReportPass(std::ostream& log, const char* pass, int number, const PassResult& result);

struct HeldOutFigures {
  int utterances = 0;
  long long frames = 0;
  double logLikelihoodPerFrame = 0.0;  // forced through the transcript, stream weights 1
  double frameAccuracy = 0.0;          // best state's phone = aligned phone
  double tonelessAccuracy = 0.0;       // the same with the tone of finals ignored
};

// Measured with the trainer's own scoring (stream weights of the options).
HeldOutFigures MeasureHeldOut(const AcousticModel& model, const std::vector<const Utterance*>& utterances,
                              const TrainingOptions& options);

// The frame accuracies of the model file as the engine's database scores it,
// against the alignment of `model` (the model the file was written from);
// no utterances when the file does not load.
HeldOutFigures DatabaseFrameAccuracy(const std::string& path, const AcousticModel& model,
                                     const std::vector<const Utterance*>& utterances,
                                     const TrainingOptions& options);

// The folder's "Syllable" text for `model`: every syllable of `inventory`, in
// its order, spelled with the in-context name of each of its phones where the
// model has that name, else with the phone's own name. The phones' own HMMs
// are trained on the contexts without models of their own, so a syllable
// table spelled with them alone scores most syllables with the wrong models.
std::string SyllableSpelling(const AcousticModel& model, const std::vector<std::string>& inventory);

// The whole run (see main.cpp); 0, or 1 with the reason on `errors`.
int TrainDialectFolder(const std::string& corpus, const std::string& syllable_file, const std::string& out,
                       const std::string& names_file, const TrainingOptions& options, std::ostream& log,
                       std::ostream& errors);

}  // namespace train_acoustic_model
