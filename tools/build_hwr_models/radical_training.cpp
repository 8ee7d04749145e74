#include "tools/build_hwr_models/radical_training.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>

#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_hwr_models/kmeans.h"

namespace build_hwr_models {
namespace {

constexpr int kUnitPoints = 5;
constexpr std::size_t kUnitDimension = 2 * (kUnitPoints - 1) + 2;
// Observation bytes are multiplied by 4 when scored: both scales give the
// same weight to -ln p.
constexpr double kObservationScale = 16;
constexpr double kTransitionScale = 64;

int64_t Transition(float cost) { return static_cast<int64_t>(std::trunc(cost)); }

std::array<build_dictionaries::MedianPoint, kUnitPoints> ResampleMedian(
    const build_dictionaries::Median& median) {
  std::array<build_dictionaries::MedianPoint, kUnitPoints> out{};
  std::vector<double> along(median.size(), 0);
  for (std::size_t i = 1; i < median.size(); ++i) {
    along[i] = along[i - 1] + std::hypot(median[i].x - median[i - 1].x, median[i].y - median[i - 1].y);
  }
  const double total = along.empty() ? 0 : along.back();
  std::size_t segment = 1;
  for (int k = 0; k < kUnitPoints; ++k) {
    const double at = total * k / (kUnitPoints - 1);
    while (segment + 1 < median.size() && along[segment] < at) ++segment;
    if (median.size() < 2) {
      out[k] = median.empty() ? build_dictionaries::MedianPoint{0, 0} : median[0];
      continue;
    }
    const double length = along[segment] - along[segment - 1];
    const double f = length > 0 ? std::clamp((at - along[segment - 1]) / length, 0.0, 1.0) : 0;
    out[k] = {median[segment - 1].x + f * (median[segment].x - median[segment - 1].x),
              median[segment - 1].y + f * (median[segment].y - median[segment - 1].y)};
  }
  return out;
}

struct StateStatistics {
  std::array<double, vok::kHwrCodes> codes{};
  double occupancy = 0;
  double exits = 0;
};
using UnitStatistics = std::array<StateStatistics, vok::kHwrMaxRadicalStates>;

// Chain state of every step when each unit takes its strokes' steps and
// spreads them evenly over its states; empty when a unit has too few steps.
std::vector<int> SegmentByStrokes(const std::vector<int32_t>& states, const std::vector<int16_t>& chain,
                                  const StepSample& sample) {
  const int steps = static_cast<int>(sample.codes.size());
  const int units = static_cast<int>(chain.size());
  std::vector<int> bounds(units + 1, steps);
  if (static_cast<int>(sample.stroke_starts.size()) >= units) {
    for (int r = 0; r < units; ++r) bounds[r] = r == 0 ? 0 : sample.stroke_starts[r];
  } else {
    int total = 0;
    for (int16_t u : chain) total += states[u];
    int before = 0;
    for (int r = 0; r < units; ++r) {
      bounds[r] = steps * before / total;
      before += states[chain[r]];
    }
  }
  std::vector<int> result(steps, 0);
  int chain_state = 0;
  for (int r = 0; r < units; ++r) {
    const int length = bounds[r + 1] - bounds[r];
    const int unit_states = states[chain[r]];
    if (length < unit_states) return {};
    for (int t = bounds[r]; t < bounds[r + 1]; ++t) {
      result[t] = chain_state + static_cast<int>(static_cast<int64_t>(t - bounds[r]) * unit_states / length);
    }
    chain_state += unit_states;
  }
  return result;
}

void Accumulate(const std::vector<int32_t>& states, const std::vector<int16_t>& chain,
                const StepSample& sample, const std::vector<int>& chain_states,
                std::vector<UnitStatistics>& statistics) {
  std::vector<std::pair<int, int>> unit_of;  // chain state -> (unit, state)
  for (int16_t u : chain) {
    for (int s = 0; s < states[u]; ++s) unit_of.push_back({u, s});
  }
  for (std::size_t t = 0; t < chain_states.size(); ++t) {
    const auto [unit, state] = unit_of[chain_states[t]];
    StateStatistics& st = statistics[unit][state];
    st.codes[sample.codes[t]] += 1;
    st.occupancy += 1;
    if (t + 1 == chain_states.size() || chain_states[t + 1] != chain_states[t]) st.exits += 1;
  }
}

std::vector<vok::RadicalModel> Estimate(const std::vector<int32_t>& states,
                                        const std::vector<UnitStatistics>& statistics) {
  std::vector<vok::RadicalModel> models(states.size());
  for (std::size_t u = 0; u < states.size(); ++u) {
    vok::RadicalModel& m = models[u];
    m.states = states[u];
    for (int s = 0; s < vok::kHwrMaxRadicalStates; ++s) {
      const StateStatistics& st = statistics[u][s];
      for (int c = 0; c < vok::kHwrCodes; ++c) {
        const double p = (st.codes[c] + 0.5) / (st.occupancy + 0.5 * vok::kHwrCodes);
        m.costs[s][c] =
            static_cast<uint8_t>(std::clamp(std::lround(-kObservationScale * std::log(p)), 0L, 255L));
      }
      const double leave = st.occupancy > 0 ? std::clamp(st.exits / st.occupancy, 0.02, 0.98) : 0.5;
      m.leave[s] = static_cast<float>(-kTransitionScale * std::log(leave));
      m.stay[s] = static_cast<float>(-kTransitionScale * std::log(1 - leave));
    }
  }
  return models;
}

}  // namespace

std::vector<std::vector<int16_t>> ClusterStrokeUnits(
    const std::vector<const build_dictionaries::StrokeCharacter*>& characters, int units, unsigned jobs) {
  std::vector<double> vectors;
  for (const auto* character : characters) {
    const auto& medians = character->medians;
    for (std::size_t s = 0; s < medians.size() && s < vok::kHwrMaxRadicals; ++s) {
      const auto points = ResampleMedian(medians[s]);
      for (int k = 1; k < kUnitPoints; ++k) {
        vectors.push_back((points[k].x - points[0].x) / 1024);
        vectors.push_back((points[k].y - points[0].y) / 1024);
      }
      const bool last = s + 1 == medians.size() || medians[s + 1].empty();
      vectors.push_back(last ? 0 : 0.5 * (medians[s + 1][0].x - points.back().x) / 1024);
      vectors.push_back(last ? 0 : 0.5 * (medians[s + 1][0].y - points.back().y) / 1024);
    }
  }
  std::vector<std::size_t> assignment;
  KMeansReal(vectors, kUnitDimension, static_cast<std::size_t>(units), 12, jobs, &assignment);
  std::vector<std::vector<int16_t>> chains;
  std::size_t next = 0;
  for (const auto* character : characters) {
    std::vector<int16_t> chain;
    for (std::size_t s = 0; s < character->medians.size() && s < vok::kHwrMaxRadicals; ++s) {
      chain.push_back(static_cast<int16_t>(assignment[next++]));
    }
    if (chain.empty()) chain.push_back(0);
    chains.push_back(std::move(chain));
  }
  return chains;
}

std::vector<int32_t> UnitStates(int units, const std::vector<std::vector<int16_t>>& chains,
                                const std::vector<StepSample>& samples) {
  std::vector<double> steps(units, 0);
  std::vector<double> seen(units, 0);
  for (const StepSample& sample : samples) {
    const auto& chain = chains[sample.class_index];
    if (sample.stroke_starts.size() < chain.size()) continue;
    for (std::size_t r = 0; r < chain.size(); ++r) {
      const int end =
          r + 1 < chain.size() ? sample.stroke_starts[r + 1] : static_cast<int>(sample.codes.size());
      steps[chain[r]] += end - sample.stroke_starts[r];
      seen[chain[r]] += 1;
    }
  }
  std::vector<int32_t> states(units, 1);
  for (int u = 0; u < units; ++u) {
    if (seen[u] > 0)
      states[u] = static_cast<int32_t>(std::clamp(std::lround(steps[u] / seen[u] / 2), 1L, 15L));
  }
  return states;
}

void LimitChains(std::vector<std::vector<int16_t>>& chains, const std::vector<int32_t>& states) {
  for (auto& chain : chains) {
    int total = 0;
    for (int16_t u : chain) total += states[u];
    while (chain.size() > 1 && total > 255) {
      total -= states[chain.back()];
      chain.pop_back();
    }
  }
}

int64_t AlignChain(const std::vector<vok::RadicalModel>& models, const std::vector<int16_t>& chain,
                   const std::vector<uint8_t>& codes, std::vector<int>* chain_states) {
  struct ChainState {
    const vok::RadicalModel* model;
    int state;
  };
  std::vector<ChainState> expanded;
  for (int16_t u : chain) {
    for (int s = 0; s < models[u].states; ++s) expanded.push_back({&models[u], s});
  }
  const int steps = static_cast<int>(codes.size());
  const int length = static_cast<int>(expanded.size());
  if (steps < length || length == 0) return std::numeric_limits<int64_t>::max();
  constexpr int64_t kUnreachable = std::numeric_limits<int64_t>::max() / 4;
  std::vector<int64_t> cost(static_cast<std::size_t>(steps) * length, kUnreachable);
  std::vector<uint8_t> left(static_cast<std::size_t>(steps) * length, 0);
  const auto at = [length](int t, int j) { return static_cast<std::size_t>(t) * length + j; };
  for (int t = 0; t < steps; ++t) {
    for (int j = std::max(0, t - (steps - length)); j <= std::min(t, length - 1); ++j) {
      const ChainState& cs = expanded[j];
      int64_t best = kUnreachable;
      if (t == 0) {
        best = 0;
      } else {
        if (j <= t - 1 && cost[at(t - 1, j)] < kUnreachable)
          best = cost[at(t - 1, j)] + Transition(cs.model->stay[cs.state]);
        if (j > 0 && cost[at(t - 1, j - 1)] < kUnreachable) {
          const ChainState& from = expanded[j - 1];
          const int64_t via = cost[at(t - 1, j - 1)] + Transition(from.model->leave[from.state]);
          if (via < best) {
            best = via;
            left[at(t, j)] = 1;
          }
        }
      }
      if (best < kUnreachable) cost[at(t, j)] = best + 4 * int64_t{cs.model->costs[cs.state][codes[t]]};
    }
  }
  const int64_t end = cost[at(steps - 1, length - 1)];
  if (end >= kUnreachable) return std::numeric_limits<int64_t>::max();
  if (chain_states) {
    chain_states->assign(steps, 0);
    int j = length - 1;
    for (int t = steps - 1; t >= 0; --t) {
      (*chain_states)[t] = j;
      if (left[at(t, j)]) --j;
    }
  }
  const ChainState& last = expanded.back();
  return end + Transition(last.model->leave[last.state]);
}

std::vector<vok::RadicalModel> TrainRadicalModels(const std::vector<int32_t>& states,
                                                  const std::vector<std::vector<int16_t>>& chains,
                                                  const std::vector<StepSample>& samples,
                                                  const std::vector<vok::RadicalModel>* start, int iterations,
                                                  unsigned jobs) {
  std::vector<vok::RadicalModel> models;
  if (start) {
    models = *start;
  } else {
    std::vector<UnitStatistics> statistics(states.size());
    for (const StepSample& sample : samples) {
      const auto& chain = chains[sample.class_index];
      const std::vector<int> segmentation = SegmentByStrokes(states, chain, sample);
      if (!segmentation.empty()) Accumulate(states, chain, sample, segmentation, statistics);
    }
    models = Estimate(states, statistics);
  }
  for (int iteration = 0; iteration < iterations; ++iteration) {
    std::vector<UnitStatistics> statistics(states.size());
    std::mutex merge;
    const std::size_t chunks = std::max(1u, jobs) * 4;
    build_dictionaries::ParallelFor(chunks, jobs, [&](std::size_t chunk) {
      std::vector<UnitStatistics> own(states.size());
      std::vector<int> chain_states;
      for (std::size_t i = chunk; i < samples.size(); i += chunks) {
        const auto& chain = chains[samples[i].class_index];
        if (AlignChain(models, chain, samples[i].codes, &chain_states) == std::numeric_limits<int64_t>::max())
          continue;
        Accumulate(states, chain, samples[i], chain_states, own);
      }
      const std::lock_guard<std::mutex> lock(merge);
      for (std::size_t u = 0; u < own.size(); ++u) {
        for (int s = 0; s < vok::kHwrMaxRadicalStates; ++s) {
          for (int c = 0; c < vok::kHwrCodes; ++c) statistics[u][s].codes[c] += own[u][s].codes[c];
          statistics[u][s].occupancy += own[u][s].occupancy;
          statistics[u][s].exits += own[u][s].exits;
        }
      }
    });
    models = Estimate(states, statistics);
  }
  return models;
}

}  // namespace build_hwr_models
