#include "tools/train_acoustic_model/acoustic_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace train_acoustic_model {

namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
// Components further below the best than this add nothing a float keeps.
constexpr double kNegligible = 30.0;

}  // namespace

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
    for (const std::vector<CodeBook>& stream : books) {
      const double size = static_cast<double>(stream.front().size());
      state.books.push_back(0);
      state.logWeights.emplace_back(stream.front().size(), static_cast<float>(-std::log(size)));
    }
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

void AcousticModel::QuantiseCentres() {
  std::vector<float> centres;
  for (const std::vector<CodeBook>& stream : books)
    for (const CodeBook& book : stream)
      centres.insert(centres.end(), book.centres.begin(), book.centres.end());
  centreCodes = ByteQuantiser::Fit(centres);
  for (std::vector<CodeBook>& stream : books)
    for (CodeBook& book : stream)
      for (float& c : book.centres) c = centreCodes.Decode(centreCodes.Encode(c));
}

const FrameScorer::BookScores& FrameScorer::Book(int stream, int book) {
  BookScores& b = books_[{stream, book}];
  if (!b.first.empty()) return b;
  const CodeBook& code_book = model_.books[static_cast<std::size_t>(stream)][static_cast<std::size_t>(book)];
  const std::size_t size = code_book.size();
  const float scale = model_.logDensityWeight / static_cast<float>(code_book.dim);
  const StreamFrames& frames = features_.streams[static_cast<std::size_t>(stream)];
  b.scores.resize(static_cast<std::size_t>(features_.frames) * size);
  b.first.reserve(static_cast<std::size_t>(features_.frames) + 1);
  b.first.push_back(0);
  // Weights are at least the floor: a Gaussian this far below the best
  // stays negligible in every mixture.
  const float reach = static_cast<float>(kNegligible - std::log(kWeightFloor) + 1.0);
  for (int f = 0; f < features_.frames; ++f) {
    float* row = b.scores.data() + static_cast<std::size_t>(f) * size;
    float best = -std::numeric_limits<float>::infinity();
    for (std::size_t g = 0; g < size; ++g) {
      row[g] = GaussianScore(code_book.Centre(g), frames.Frame(f), code_book.dim, scale);
      best = std::max(best, row[g]);
    }
    for (std::size_t g = 0; g < size; ++g)
      if (row[g] >= best - reach) b.candidates.push_back(static_cast<std::uint16_t>(g));
    b.first.push_back(static_cast<std::uint32_t>(b.candidates.size()));
  }
  return b;
}

double FrameScorer::Mixture(int t, int state, int stream) {
  const StateMixtures& mixtures = model_.states[static_cast<std::size_t>(state)];
  const std::vector<float>& log_weights = mixtures.logWeights[static_cast<std::size_t>(stream)];
  const BookScores& b = Book(stream, mixtures.books[static_cast<std::size_t>(stream)]);
  const float* scores = b.scores.data() + static_cast<std::size_t>(t) * log_weights.size();
  const std::uint32_t from = b.first[static_cast<std::size_t>(t)],
                      to = b.first[static_cast<std::size_t>(t) + 1];
  double best = kNone;
  for (std::uint32_t i = from; i < to; ++i) {
    const std::uint16_t g = b.candidates[i];
    best = std::max(best, double{log_weights[g]} + scores[g]);
  }
  double sum = 0.0;
  for (std::uint32_t i = from; i < to; ++i) {
    const std::uint16_t g = b.candidates[i];
    const double term = double{log_weights[g]} + scores[g] - best;
    if (term > -kNegligible) sum += std::exp(term);
  }
  return best + std::log(sum);
}

double FrameScorer::State(int t, int state, std::span<const float> stream_weights) {
  double total = 0.0;
  for (int s = 0; s < model_.streams(); ++s)
    total += stream_weights[static_cast<std::size_t>(s)] * Mixture(t, state, s);
  return total;
}

double FrameScorer::Posteriors(int t, int state, int stream, std::vector<double>* out) {
  const double mixture = Mixture(t, state, stream);
  const StateMixtures& mixtures = model_.states[static_cast<std::size_t>(state)];
  const std::vector<float>& log_weights = mixtures.logWeights[static_cast<std::size_t>(stream)];
  const BookScores& b = Book(stream, mixtures.books[static_cast<std::size_t>(stream)]);
  const float* scores = b.scores.data() + static_cast<std::size_t>(t) * log_weights.size();
  out->assign(log_weights.size(), 0.0);
  for (std::uint32_t i = b.first[static_cast<std::size_t>(t)]; i < b.first[static_cast<std::size_t>(t) + 1];
       ++i) {
    const std::uint16_t g = b.candidates[i];
    const double term = double{log_weights[g]} + scores[g] - mixture;
    if (term > -kNegligible) (*out)[g] = std::exp(term);
  }
  return mixture;
}

double LogAdd(double a, double b) {
  if (a < b) std::swap(a, b);
  if (b == kNone) return a;
  return a + std::log1p(std::exp(b - a));
}

}  // namespace train_acoustic_model
