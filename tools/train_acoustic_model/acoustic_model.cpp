#include "tools/train_acoustic_model/acoustic_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace train_acoustic_model {

int AcousticModel::HmmIndex(const std::string& name) const {
  const auto found = index_.find(name);
  return found == index_.end() ? -1 : found->second;
}

int AcousticModel::Add(HmmEntry hmm) {
  const int index = static_cast<int>(hmms.size());
  index_.emplace(hmm.name, index);
  hmms.push_back(std::move(hmm));
  return index;
}

int AcousticModel::AddHmm(const std::string& name) {
  HmmEntry hmm{name, {}, static_cast<int>(transitions.size())};
  transitions.push_back({});
  for (int i = 0; i < 3; ++i) {
    StateMixtures state;
    for (const CodeBook& book : books)
      state.logWeights.emplace_back(book.size(),
                                    static_cast<float>(-std::log(static_cast<double>(book.size()))));
    hmm.states[i] = static_cast<int>(states.size());
    states.push_back(std::move(state));
  }
  return Add(std::move(hmm));
}

int AcousticModel::CloneHmm(const std::string& name, int source) {
  const HmmEntry from = hmms[source];
  HmmEntry hmm{name, {}, static_cast<int>(transitions.size())};
  transitions.push_back(transitions[from.transitions]);
  for (int i = 0; i < 3; ++i) {
    hmm.states[i] = static_cast<int>(states.size());
    states.push_back(states[from.states[i]]);
  }
  return Add(std::move(hmm));
}

int AcousticModel::TieHmm(const std::string& name, int source) {
  HmmEntry hmm = hmms[source];
  hmm.name = name;
  return Add(std::move(hmm));
}

ScoredFrames ScoreFrames(const AcousticModel& model, const Features& normalised, int top) {
  ScoredFrames out;
  out.frames = normalised.frames;
  out.streams = static_cast<int>(model.books.size());
  int smallest = std::numeric_limits<int>::max();
  for (const CodeBook& book : model.books) smallest = std::min(smallest, static_cast<int>(book.size()));
  out.top = std::min(top, smallest);
  out.index.resize(static_cast<std::size_t>(out.frames) * out.streams * out.top);
  out.score.resize(out.index.size());
  std::vector<float> scores;
  std::vector<std::uint16_t> order;
  for (int s = 0; s < out.streams; ++s) {
    const CodeBook& book = model.books[s];
    const float scale = model.logDensityWeight / static_cast<float>(book.dim);
    scores.resize(book.size());
    order.resize(book.size());
    for (int t = 0; t < out.frames; ++t) {
      const float* x = normalised.streams[s].Frame(t);
      for (std::size_t g = 0; g < book.size(); ++g)
        scores[g] = GaussianScore(book.Centre(g), x, book.dim, scale);
      std::iota(order.begin(), order.end(), std::uint16_t{0});
      std::partial_sort(order.begin(), order.begin() + out.top, order.end(),
                        [&](std::uint16_t a, std::uint16_t b) {
                          return scores[a] > scores[b] || (scores[a] == scores[b] && a < b);
                        });
      const std::size_t at = out.At(t, s);
      for (int k = 0; k < out.top; ++k) {
        out.index[at + k] = order[k];
        out.score[at + k] = scores[order[k]];
      }
    }
  }
  return out;
}

double LogAdd(double a, double b) {
  if (a < b) std::swap(a, b);
  if (b == -std::numeric_limits<double>::infinity()) return a;
  return a + std::log1p(std::exp(b - a));
}

double MixtureLogLikelihood(const AcousticModel& model, const ScoredFrames& frames, int t, int state,
                            int stream) {
  const std::vector<float>& log_weights = model.states[state].logWeights[stream];
  const std::size_t at = frames.At(t, stream);
  double best = -std::numeric_limits<double>::infinity();
  for (int k = 0; k < frames.top; ++k)
    best = std::max(best, static_cast<double>(log_weights[frames.index[at + k]]) + frames.score[at + k]);
  double sum = 0.0;
  for (int k = 0; k < frames.top; ++k)
    sum += std::exp(static_cast<double>(log_weights[frames.index[at + k]]) + frames.score[at + k] - best);
  return best + std::log(sum);
}

double StateLogLikelihood(const AcousticModel& model, const ScoredFrames& frames, int t, int state,
                          std::span<const float> stream_weights) {
  double total = 0.0;
  for (int s = 0; s < frames.streams; ++s)
    total += stream_weights[s] * MixtureLogLikelihood(model, frames, t, state, s);
  return total;
}

}  // namespace train_acoustic_model
