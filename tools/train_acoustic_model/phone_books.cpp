// The phones' own code books: from the alignment of the model trained on the
// shared code books, each phone's frames are clustered into its code book of
// every stream, after the normalisation was rescaled to the phones' pooled
// deviation.
#include <algorithm>
#include <cmath>
#include <ostream>

#include "tools/train_acoustic_model/acoustic_training.h"
#include "tools/train_acoustic_model/reestimation.h"

namespace train_acoustic_model {

namespace {

struct AlignedFrame {
  const Utterance* utterance;
  int t;
  int state;
};

// Every frame of the utterances with the state the context-free model aligns
// it with, grouped by the HMM of that state.
std::vector<std::vector<AlignedFrame>> AlignByHmm(const AcousticModel& model,
                                                  const std::vector<Utterance*>& utterances) {
  std::vector<int> hmm_of_state(model.states.size(), -1);
  for (std::size_t h = 0; h < model.hmms.size(); ++h)
    for (int s : model.hmms[h].states)
      if (hmm_of_state[static_cast<std::size_t>(s)] < 0)
        hmm_of_state[static_cast<std::size_t>(s)] = static_cast<int>(h);
  std::vector<std::vector<AlignedFrame>> frames(model.hmms.size());
  for (const Utterance* u : utterances) {
    const TrainingUtterance sequence{&u->normalised, PhoneSequence(model, u->labels)};
    if (sequence.hmms.empty()) continue;
    double score = 0.0;
    std::vector<int> states;
    if (ViterbiAlignment(model, sequence, &score, &states).empty()) continue;
    for (int t = 0; t < u->normalised.frames; ++t) {
      const int state = states[static_cast<std::size_t>(t)];
      frames[static_cast<std::size_t>(hmm_of_state[static_cast<std::size_t>(state)])].push_back(
          {u, t, state});
    }
  }
  return frames;
}

// Per stream and dimension, the deviation of the frames from their HMM's
// mean, pooled over the HMMs (in the current normalised units).
std::vector<std::vector<double>> PooledDeviation(const AcousticModel& model,
                                                 const std::vector<std::vector<AlignedFrame>>& by_hmm) {
  std::vector<std::vector<double>> squares;
  double count = 0;
  for (const std::vector<float>& means : model.normalisation.means) squares.emplace_back(means.size(), 0.0);
  for (const std::vector<AlignedFrame>& frames : by_hmm) {
    if (frames.empty()) continue;
    for (int s = 0; s < model.streams(); ++s) {
      const int dim = static_cast<int>(squares[static_cast<std::size_t>(s)].size());
      std::vector<double> sum(static_cast<std::size_t>(dim), 0.0), square(static_cast<std::size_t>(dim), 0.0);
      for (const AlignedFrame& f : frames) {
        const float* x = f.utterance->normalised.streams[static_cast<std::size_t>(s)].Frame(f.t);
        for (int d = 0; d < dim; ++d) {
          sum[static_cast<std::size_t>(d)] += x[d];
          square[static_cast<std::size_t>(d)] += static_cast<double>(x[d]) * x[d];
        }
      }
      const double n = static_cast<double>(frames.size());
      for (int d = 0; d < dim; ++d) {
        const double mean = sum[static_cast<std::size_t>(d)] / n;
        squares[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)] +=
            square[static_cast<std::size_t>(d)] - n * mean * mean;
      }
    }
    count += static_cast<double>(frames.size());
  }
  for (std::vector<double>& stream : squares)
    for (double& v : stream) v = count > 0 ? std::sqrt(std::max(v / count, 1e-6)) : 1.0;
  return squares;
}

}  // namespace

std::vector<double> TrainPhoneBooks(AcousticModel& model, const std::vector<Utterance*>& utterances,
                                    const TrainingOptions& options, std::ostream& log) {
  std::vector<std::vector<AlignedFrame>> by_hmm = AlignByHmm(model, utterances);

  // Scores of -0.5 x the squared distance in units of the pooled deviation:
  // the database scores log density weight / dimension x the squared distance.
  const std::vector<std::vector<double>> deviation = PooledDeviation(model, by_hmm);
  for (int s = 0; s < model.streams(); ++s) {
    std::vector<float>& scales = model.normalisation.scales[static_cast<std::size_t>(s)];
    const double factor = std::sqrt(2.0 * model.logDensityWeight / static_cast<double>(scales.size()));
    for (std::size_t d = 0; d < scales.size(); ++d)
      scales[d] = static_cast<float>(scales[d] * deviation[static_cast<std::size_t>(s)][d] * factor);
  }
  for (Utterance* u : utterances) NormaliseUtterance(model, *u);

  int phones = 0;
  KMeansOptions kmeans;
  kmeans.jobs = options.jobs;
  for (std::size_t h = 0; h < by_hmm.size(); ++h) {
    const std::vector<AlignedFrame>& frames = by_hmm[h];
    if (frames.empty()) continue;
    ++phones;
    kmeans.size = static_cast<std::size_t>(
        std::clamp(static_cast<int>(frames.size()) / options.framesPerGaussian, 1, options.phoneGaussians));
    for (int s = 0; s < model.streams(); ++s) {
      const auto dim =
          static_cast<std::size_t>(model.normalisation.means[static_cast<std::size_t>(s)].size());
      std::vector<float> data;
      data.reserve(frames.size() * dim);
      for (const AlignedFrame& f : frames) {
        const float* x = f.utterance->normalised.streams[static_cast<std::size_t>(s)].Frame(f.t);
        data.insert(data.end(), x, x + dim);
      }
      std::vector<CodeBook>& books = model.books[static_cast<std::size_t>(s)];
      const int book = static_cast<int>(books.size());
      books.push_back(TrainCodeBook(data, static_cast<int>(dim), kmeans));
      // The states' weights from the nearest centres of their own frames.
      for (int state : model.hmms[h].states) {
        std::vector<double> counts(books.back().size(), 0.0);
        for (const AlignedFrame& f : frames) {
          if (f.state != state) continue;
          counts[NearestCentre(
              books.back(), f.utterance->normalised.streams[static_cast<std::size_t>(s)].Frame(f.t))] += 1.0;
        }
        double total = 0.0;
        for (double& c : counts) total += c = std::max(c, 0.0) + kWeightFloor;
        StateMixtures& mixtures = model.states[static_cast<std::size_t>(state)];
        mixtures.books[static_cast<std::size_t>(s)] = book;
        std::vector<float>& weights = mixtures.logWeights[static_cast<std::size_t>(s)];
        weights.resize(counts.size());
        for (std::size_t g = 0; g < counts.size(); ++g)
          weights[g] = static_cast<float>(std::log(counts[g] / total));
      }
    }
  }
  model.QuantiseCentres();
  log << "code books of their own for " << phones << " phones, at most " << options.phoneGaussians
      << " Gaussians each\n";

  std::vector<TrainingUtterance> sequences;
  for (const Utterance* u : utterances) {
    std::vector<int> hmms = PhoneSequence(model, u->labels);
    if (!hmms.empty()) sequences.push_back({&u->normalised, std::move(hmms)});
  }
  Reestimation reestimation(model, options.jobs, true);
  std::vector<double> curve;
  for (int i = 1; i <= options.phoneIterations; ++i) {
    const PassResult r = reestimation.BaumWelch(sequences);
    ReportPass(log, "Baum-Welch (phones)", i, r);
    curve.push_back(r.logLikelihood);
  }
  return curve;
}

}  // namespace train_acoustic_model
