#include "tools/train_command_models/command_models.h"

#include <algorithm>
#include <limits>

namespace train_command_models {

namespace {

constexpr double kNoPath = -std::numeric_limits<double>::infinity();

}  // namespace

CommandModels::CommandModels(std::vector<std::string> names, std::vector<int> dims,
                             CommandModelOptions options)
    : names_(std::move(names)), dims_(std::move(dims)), options_(std::move(options)) {
  means_.resize(static_cast<std::size_t>(states()) * dims_.size());
  for (std::size_t i = 0; i < means_.size(); ++i)
    means_[i].assign(static_cast<std::size_t>(dims_[i % dims_.size()]), 0.0f);
}

int CommandModels::ModelIndex(const std::string& name) const {
  const auto found = std::find(names_.begin(), names_.end(), name);
  return found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
}

double CommandModels::StateScore(int state, const train_acoustic_model::Features& frames, int t) const {
  double total = 0.0;
  for (std::size_t s = 0; s < dims_.size(); ++s) {
    const float* x = frames.streams[s].Frame(t);
    const std::vector<float>& mean = Mean(state, static_cast<int>(s));
    double distance = 0.0;
    for (int d = 0; d < dims_[s]; ++d) {
      const double diff = double{x[d]} - mean[static_cast<std::size_t>(d)];
      distance += diff * diff;
    }
    const double weight = s < options_.streamWeights.size() ? options_.streamWeights[s] : 1.0;
    total -= weight * options_.logDensityWeight / dims_[s] * distance;
  }
  return total;
}

std::vector<int> CommandModels::Align(const ModelUtterance& utterance, double* score) const {
  const int frames = utterance.frames.frames;
  const int positions = static_cast<int>(utterance.models.size()) * kStatesPerModel;
  if (score) *score = kNoPath;
  if (positions == 0 || frames < positions) return {};
  auto state_at = [&](int p) {
    return utterance.models[static_cast<std::size_t>(p / kStatesPerModel)] * kStatesPerModel +
           p % kStatesPerModel;
  };
  // best[t][p]: the best path that is in position p at frame t; from[t][p]
  // whether it moved there from p - 1.
  std::vector<double> best(static_cast<std::size_t>(frames) * positions, kNoPath);
  std::vector<char> moved(best.size(), 0);
  auto at = [&](int t, int p) {
    return static_cast<std::size_t>(t) * positions + static_cast<std::size_t>(p);
  };
  best[at(0, 0)] = StateScore(state_at(0), utterance.frames, 0);
  for (int t = 1; t < frames; ++t) {
    // Position p needs p frames before it and positions - 1 - p after it.
    const int first = std::max(0, positions - (frames - t));
    const int last = std::min(positions - 1, t);
    for (int p = first; p <= last; ++p) {
      const double stay = best[at(t - 1, p)];
      const double move = p > 0 ? best[at(t - 1, p - 1)] : kNoPath;
      const double from = std::max(stay, move);
      if (from == kNoPath) continue;
      best[at(t, p)] = from + StateScore(state_at(p), utterance.frames, t);
      moved[at(t, p)] = move > stay;
    }
  }
  if (best[at(frames - 1, positions - 1)] == kNoPath) return {};
  if (score) *score = best[at(frames - 1, positions - 1)];
  std::vector<int> alignment(static_cast<std::size_t>(frames));
  for (int t = frames - 1, p = positions - 1; t >= 0; --t) {
    alignment[static_cast<std::size_t>(t)] = state_at(p);
    if (moved[at(t, p)]) --p;
  }
  return alignment;
}

void CommandModels::Estimate(const std::vector<ModelUtterance>& utterances,
                             const std::vector<std::vector<int>>& alignments) {
  std::vector<std::vector<double>> sums(means_.size());
  for (std::size_t i = 0; i < sums.size(); ++i) sums[i].assign(means_[i].size(), 0.0);
  std::vector<long long> counts(static_cast<std::size_t>(states()), 0);
  for (std::size_t u = 0; u < utterances.size(); ++u) {
    const std::vector<int>& alignment = alignments[u];
    for (std::size_t t = 0; t < alignment.size(); ++t) {
      const auto state = static_cast<std::size_t>(alignment[t]);
      ++counts[state];
      for (std::size_t s = 0; s < dims_.size(); ++s) {
        const float* x = utterances[u].frames.streams[s].Frame(static_cast<int>(t));
        std::vector<double>& sum = sums[state * dims_.size() + s];
        for (std::size_t d = 0; d < sum.size(); ++d) sum[d] += x[d];
      }
    }
  }
  // A state that no frame reached keeps its mean.
  for (std::size_t state = 0; state < counts.size(); ++state) {
    if (counts[state] == 0) continue;
    for (std::size_t s = 0; s < dims_.size(); ++s) {
      std::vector<float>& mean = means_[state * dims_.size() + s];
      const std::vector<double>& sum = sums[state * dims_.size() + s];
      for (std::size_t d = 0; d < mean.size(); ++d) mean[d] = static_cast<float>(sum[d] / counts[state]);
    }
  }
}

void CommandModels::EstimateUniform(const std::vector<ModelUtterance>& utterances) {
  std::vector<std::vector<int>> alignments;
  for (const ModelUtterance& u : utterances) {
    const int positions = static_cast<int>(u.models.size()) * kStatesPerModel;
    std::vector<int> alignment;
    if (positions > 0 && u.frames.frames >= positions) {
      for (int t = 0; t < u.frames.frames; ++t) {
        const int p = static_cast<int>(static_cast<long long>(t) * positions / u.frames.frames);
        alignment.push_back(u.models[static_cast<std::size_t>(p / kStatesPerModel)] * kStatesPerModel +
                            p % kStatesPerModel);
      }
    }
    alignments.push_back(std::move(alignment));
  }
  Estimate(utterances, alignments);
}

double CommandModels::Reestimate(const std::vector<ModelUtterance>& utterances) {
  std::vector<std::vector<int>> alignments;
  double total = 0.0;
  long long frames = 0;
  for (const ModelUtterance& u : utterances) {
    double score = 0.0;
    alignments.push_back(Align(u, &score));
    if (alignments.back().empty()) continue;
    total += score;
    frames += u.frames.frames;
  }
  Estimate(utterances, alignments);
  return frames > 0 ? total / static_cast<double>(frames) : 0.0;
}

}  // namespace train_command_models
