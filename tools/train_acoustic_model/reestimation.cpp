#include "tools/train_acoustic_model/reestimation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <thread>

namespace train_acoustic_model {

namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
// Utterances handled together before their statistics are added in order.
constexpr std::size_t kBatch = 32;

// The utterance's HMMs laid out as one chain of states.
struct Chain {
  std::vector<int> state;          // model state of each position
  std::vector<int> transition;     // transition record of each position
  std::vector<int> slot;           // 0..2 within the HMM
  std::vector<double> stay, move;  // log probabilities
  int size() const { return static_cast<int>(state.size()); }
};

Chain MakeChain(const AcousticModel& model, const std::vector<int>& hmms) {
  Chain chain;
  for (int h : hmms) {
    const HmmEntry& hmm = model.hmms[h];
    const Transitions& tr = model.transitions[hmm.transitions];
    for (int i = 0; i < 3; ++i) {
      chain.state.push_back(hmm.states[i]);
      chain.transition.push_back(hmm.transitions);
      chain.slot.push_back(i);
      chain.stay.push_back(std::log(tr.stay[i]));
      chain.move.push_back(std::log(1.0 - tr.stay[i]));
    }
  }
  return chain;
}

// Statistics of one utterance over the states it uses.
struct CentreSums {
  std::vector<double> occupancy;  // per Gaussian
  std::vector<double> sum;        // per Gaussian, dim values
};
struct UtteranceStatistics {
  bool used = false;
  double logLikelihood = 0.0;
  int frames = 0;
  std::map<int, std::vector<std::vector<double>>> mixtures;  // state -> per stream, per Gaussian
  std::map<std::pair<int, int>, CentreSums> centres;         // (stream, book) -> sums
  std::map<int, std::array<double, 6>> transitions;          // record -> stay[3], move[3] (value-initialised)
};

// Adds the state's share of frame t: occupancy x the posterior of each of its
// Gaussians within the stream's mixture, to the weights and, with
// `centres`, to the sums of the Gaussians' centres.
void AddFrame(const AcousticModel& model, FrameScorer& scorer, const Features& features,
              UtteranceStatistics& stats, int t, int state, double occupancy, bool centres) {
  std::vector<std::vector<double>>& counts = stats.mixtures[state];
  const StateMixtures& mixtures = model.states[static_cast<std::size_t>(state)];
  if (counts.empty()) {
    for (const std::vector<float>& weights : mixtures.logWeights) counts.emplace_back(weights.size(), 0.0);
  }
  std::vector<double> posteriors;
  for (int s = 0; s < model.streams(); ++s) {
    scorer.Posteriors(t, state, s, &posteriors);
    std::vector<double>& stream_counts = counts[static_cast<std::size_t>(s)];
    for (std::size_t g = 0; g < posteriors.size(); ++g) stream_counts[g] += occupancy * posteriors[g];
    if (!centres) continue;
    const CodeBook& book = model.Book(s, state);
    CentreSums& sums = stats.centres[{s, mixtures.books[static_cast<std::size_t>(s)]}];
    if (sums.occupancy.empty()) {
      sums.occupancy.assign(book.size(), 0.0);
      sums.sum.assign(book.size() * static_cast<std::size_t>(book.dim), 0.0);
    }
    const float* x = features.streams[static_cast<std::size_t>(s)].Frame(t);
    for (std::size_t g = 0; g < posteriors.size(); ++g) {
      const double share = occupancy * posteriors[g];
      if (share <= 0.0) continue;
      sums.occupancy[g] += share;
      for (int d = 0; d < book.dim; ++d) sums.sum[g * static_cast<std::size_t>(book.dim) + d] += share * x[d];
    }
  }
}

// b[j][t]: the log likelihood of chain position j at frame t.
std::vector<double> Emissions(const AcousticModel& model, const Chain& chain, FrameScorer& scorer) {
  const std::vector<float> ones(static_cast<std::size_t>(model.streams()), 1.0f);
  const int frames = scorer.frames();
  std::vector<double> b(static_cast<std::size_t>(chain.size()) * frames);
  // Positions of the same state share their scores.
  std::map<int, int> first_position;
  for (int j = 0; j < chain.size(); ++j) {
    const auto [seen, inserted] = first_position.emplace(chain.state[j], j);
    for (int t = 0; t < frames; ++t) {
      b[static_cast<std::size_t>(j) * frames + t] =
          inserted ? scorer.State(t, chain.state[j], ones)
                   : b[static_cast<std::size_t>(seen->second) * frames + t];
    }
  }
  return b;
}

double& At(std::vector<double>& m, int j, int t, int frames) {
  return m[static_cast<std::size_t>(j) * frames + t];
}
double At(const std::vector<double>& m, int j, int t, int frames) {
  return m[static_cast<std::size_t>(j) * frames + t];
}

// Viterbi over the chain: positions per frame and the path's score.
std::vector<int> BestPath(const Chain& chain, const std::vector<double>& b, int frames, double* score) {
  const int n = chain.size();
  std::vector<double> delta(static_cast<std::size_t>(n) * frames, kNone);
  std::vector<std::uint8_t> moved(delta.size(), 0);
  At(delta, 0, 0, frames) = At(b, 0, 0, frames);
  for (int t = 1; t < frames; ++t) {
    const int first = std::max(0, n - (frames - t));
    const int last = std::min(n - 1, t);
    for (int j = first; j <= last; ++j) {
      const double stay = At(delta, j, t - 1, frames) + chain.stay[j];
      const double move = j > 0 ? At(delta, j - 1, t - 1, frames) + chain.move[j - 1] : kNone;
      const bool from_previous = move > stay;
      At(delta, j, t, frames) = (from_previous ? move : stay) + At(b, j, t, frames);
      moved[static_cast<std::size_t>(j) * frames + t] = from_previous ? 1 : 0;
    }
  }
  *score = At(delta, n - 1, frames - 1, frames) + chain.move[n - 1];
  std::vector<int> path(frames);
  int j = n - 1;
  for (int t = frames - 1; t >= 0; --t) {
    path[t] = j;
    if (t > 0 && moved[static_cast<std::size_t>(j) * frames + t]) --j;
  }
  return path;
}

UtteranceStatistics Collect(const AcousticModel& model, const TrainingUtterance& u, bool uniform,
                            bool viterbi, bool centres) {
  UtteranceStatistics stats;
  const Features& features = *u.features;
  FrameScorer scorer(model, features);
  const Chain chain = MakeChain(model, u.hmms);
  const int n = chain.size();
  const int T = features.frames;
  if (n == 0 || T < n) return stats;
  stats.used = true;
  stats.frames = T;
  auto count_transition = [&](int j, bool stay, double amount) {
    stats.transitions[chain.transition[j]][(stay ? 0 : 3) + chain.slot[j]] += amount;
  };
  if (uniform || viterbi) {
    std::vector<int> path(T);
    if (uniform) {
      for (int t = 0; t < T; ++t) path[t] = static_cast<int>(static_cast<long long>(t) * n / T);
    } else {
      const std::vector<double> b = Emissions(model, chain, scorer);
      path = BestPath(chain, b, T, &stats.logLikelihood);
    }
    for (int t = 0; t < T; ++t) {
      AddFrame(model, scorer, features, stats, t, chain.state[path[t]], 1.0, centres);
      count_transition(path[t], t + 1 < T && path[t + 1] == path[t], 1.0);
    }
    return stats;
  }
  const std::vector<double> b = Emissions(model, chain, scorer);
  std::vector<double> alpha(static_cast<std::size_t>(n) * T, kNone), beta(alpha.size(), kNone);
  At(alpha, 0, 0, T) = At(b, 0, 0, T);
  for (int t = 1; t < T; ++t) {
    const int first = std::max(0, n - (T - t));
    const int last = std::min(n - 1, t);
    for (int j = first; j <= last; ++j) {
      double sum = At(alpha, j, t - 1, T) + chain.stay[j];
      if (j > 0) sum = LogAdd(sum, At(alpha, j - 1, t - 1, T) + chain.move[j - 1]);
      At(alpha, j, t, T) = sum + At(b, j, t, T);
    }
  }
  At(beta, n - 1, T - 1, T) = chain.move[n - 1];
  for (int t = T - 2; t >= 0; --t) {
    const int first = std::max(0, n - (T - t));
    const int last = std::min(n - 1, t);
    for (int j = first; j <= last; ++j) {
      double sum = chain.stay[j] + At(b, j, t + 1, T) + At(beta, j, t + 1, T);
      if (j + 1 < n) sum = LogAdd(sum, chain.move[j] + At(b, j + 1, t + 1, T) + At(beta, j + 1, t + 1, T));
      At(beta, j, t, T) = sum;
    }
  }
  const double total = At(alpha, n - 1, T - 1, T) + chain.move[n - 1];
  stats.logLikelihood = total;
  if (!std::isfinite(total)) {
    stats.used = false;
    return stats;
  }
  for (int t = 0; t < T; ++t) {
    const int first = std::max(0, n - (T - t));
    const int last = std::min(n - 1, t);
    for (int j = first; j <= last; ++j) {
      const double gamma = std::exp(At(alpha, j, t, T) + At(beta, j, t, T) - total);
      if (gamma < 1e-8) continue;
      AddFrame(model, scorer, features, stats, t, chain.state[j], gamma, centres);
      if (t + 1 < T) {
        const double stay =
            std::exp(At(alpha, j, t, T) + chain.stay[j] + At(b, j, t + 1, T) + At(beta, j, t + 1, T) - total);
        count_transition(j, true, stay);
        count_transition(j, false, std::max(0.0, gamma - stay));
      } else {
        count_transition(j, false, gamma);
      }
    }
  }
  return stats;
}

}  // namespace

PassResult Reestimation::UniformSegmentation(const std::vector<TrainingUtterance>& utterances) {
  return Pass(utterances, Mode::kUniform);
}
PassResult Reestimation::Viterbi(const std::vector<TrainingUtterance>& utterances) {
  return Pass(utterances, Mode::kViterbi);
}
PassResult Reestimation::BaumWelch(const std::vector<TrainingUtterance>& utterances) {
  return Pass(utterances, Mode::kBaumWelch);
}

PassResult Reestimation::Pass(const std::vector<TrainingUtterance>& utterances, Mode mode) {
  std::vector<std::vector<std::vector<double>>> mixtures(model_.states.size());
  std::map<std::pair<int, int>, CentreSums> centres;
  std::vector<std::array<double, 6>> transitions(model_.transitions.size());
  for (auto& t : transitions) t.fill(0.0);
  PassResult result;
  double log_likelihood = 0.0;
  const unsigned jobs = std::max(1u, jobs_);
  for (std::size_t start = 0; start < utterances.size(); start += kBatch) {
    const std::size_t count = std::min(kBatch, utterances.size() - start);
    std::vector<UtteranceStatistics> batch(count);
    auto work = [&](unsigned job) {
      for (std::size_t i = job; i < count; i += jobs)
        batch[i] = Collect(model_, utterances[start + i], mode == Mode::kUniform, mode == Mode::kViterbi,
                           update_centres_);
    };
    std::vector<std::thread> threads;
    for (unsigned j = 1; j < jobs; ++j) threads.emplace_back(work, j);
    work(0);
    for (std::thread& t : threads) t.join();
    for (UtteranceStatistics& stats : batch) {
      if (!stats.used) continue;
      ++result.utterances;
      result.frames += stats.frames;
      log_likelihood += stats.logLikelihood;
      for (auto& [state, counts] : stats.mixtures) {
        std::vector<std::vector<double>>& sum = mixtures[static_cast<std::size_t>(state)];
        if (sum.empty()) {
          sum = counts;
          continue;
        }
        for (std::size_t s = 0; s < counts.size(); ++s)
          for (std::size_t g = 0; g < counts[s].size(); ++g) sum[s][g] += counts[s][g];
      }
      for (auto& [book, sums] : stats.centres) {
        CentreSums& total = centres[book];
        if (total.occupancy.empty()) {
          total = std::move(sums);
          continue;
        }
        for (std::size_t g = 0; g < sums.occupancy.size(); ++g) total.occupancy[g] += sums.occupancy[g];
        for (std::size_t i = 0; i < sums.sum.size(); ++i) total.sum[i] += sums.sum[i];
      }
      for (const auto& [record, counts] : stats.transitions)
        for (int i = 0; i < 6; ++i) transitions[record][i] += counts[i];
    }
  }
  result.logLikelihood = result.frames > 0 ? log_likelihood / static_cast<double>(result.frames) : 0.0;

  for (std::size_t state = 0; state < mixtures.size(); ++state) {
    for (std::size_t s = 0; s < mixtures[state].size(); ++s) {
      const std::vector<double>& counts = mixtures[state][s];
      double occupancy = 0.0;
      for (double c : counts) occupancy += c;
      if (occupancy <= 0.0) continue;
      std::vector<double> weights(counts.size());
      double total = 0.0;
      for (std::size_t g = 0; g < counts.size(); ++g)
        total += weights[g] = std::max(counts[g] / occupancy, kWeightFloor);
      for (std::size_t g = 0; g < counts.size(); ++g)
        model_.states[state].logWeights[s][g] = static_cast<float>(std::log(weights[g] / total));
    }
  }
  if (update_centres_) {
    for (const auto& [key, sums] : centres) {
      CodeBook& book =
          model_.books[static_cast<std::size_t>(key.first)][static_cast<std::size_t>(key.second)];
      const auto dim = static_cast<std::size_t>(book.dim);
      for (std::size_t g = 0; g < sums.occupancy.size(); ++g) {
        if (sums.occupancy[g] < kMinCentreOccupancy) continue;
        for (std::size_t d = 0; d < dim; ++d)
          book.centres[g * dim + d] = static_cast<float>(sums.sum[g * dim + d] / sums.occupancy[g]);
      }
    }
    model_.QuantiseCentres();
  }
  for (std::size_t record = 0; record < transitions.size(); ++record) {
    for (int i = 0; i < 3; ++i) {
      const double stay = transitions[record][i], move = transitions[record][3 + i];
      if (stay + move <= 0.0) continue;
      model_.transitions[record].stay[i] =
          std::clamp(stay / (stay + move), kTransitionFloor, 1.0 - kTransitionFloor);
    }
  }
  return result;
}

double ForwardLogLikelihood(const AcousticModel& model, const TrainingUtterance& utterance) {
  const UtteranceStatistics stats = Collect(model, utterance, false, false, false);
  return stats.used ? stats.logLikelihood : kNone;
}

std::vector<int> ViterbiAlignment(const AcousticModel& model, const TrainingUtterance& utterance,
                                  double* score, std::vector<int>* states) {
  const Chain chain = MakeChain(model, utterance.hmms);
  FrameScorer scorer(model, *utterance.features);
  *score = kNone;
  if (chain.size() == 0 || scorer.frames() < chain.size()) return {};
  const std::vector<double> b = Emissions(model, chain, scorer);
  std::vector<int> path = BestPath(chain, b, scorer.frames(), score);
  if (states) {
    states->resize(path.size());
    for (std::size_t t = 0; t < path.size(); ++t)
      (*states)[t] = chain.state[static_cast<std::size_t>(path[t])];
  }
  for (int& j : path) j /= 3;
  return path;
}

}  // namespace train_acoustic_model
