#include "engine/core/hwr_radical_scorer.h"

#include <algorithm>
#include <cmath>

namespace vok {
namespace {

constexpr int64_t kUnreachable = INT64_MAX / 4;

int64_t Transition(float cost) { return static_cast<int64_t>(std::trunc(cost)); }

}  // namespace

void RadicalScorer::Reset(const uint8_t* codes, int steps) {
  codes_ = codes;
  steps_ = std::min(steps, kMaxObservationSteps);
  kept_radical_ = -1;
}

int64_t RadicalScorer::Score(const std::vector<RadicalModel>& models, const int16_t* radicals, int count,
                             bool share) {
  if (count < 1 || steps_ < 1) return kNoRadicalScore;
  int chain_states = 0;
  for (int i = 0; i < count; ++i) chain_states += models[radicals[i]].states;
  const int t_count = steps_;
  if (t_count < chain_states) return kNoRadicalScore;

  // `previous` holds the column of chain state j - 1 and `current` that of
  // state j: D[t] for the positions t that the state can take.
  int64_t* previous = previous_;
  int64_t* current = current_;
  int j = 0;
  int first_radical_index = 0;
  const RadicalModel* leaving = nullptr;  // model and state of column j - 1
  int leaving_state = 0;
  const int first = radicals[0];
  if (share && kept_radical_ == first) {
    std::copy(kept_column_, kept_column_ + t_count, previous);
    j = models[first].states;
    first_radical_index = 1;
    leaving = &models[first];
    leaving_state = leaving->states - 1;
  }
  for (int r = first_radical_index; r < count; ++r) {
    const RadicalModel& model = models[radicals[r]];
    // The first radical's columns are bounded by its own length, so that they
    // serve every chain that starts with it.
    const int bound_states = r == 0 ? model.states : chain_states;
    for (int s = 0; s < model.states; ++s, ++j) {
      const int last_t = j + t_count - bound_states;
      const int64_t stay = Transition(model.stay[s]);
      const uint8_t* costs = model.costs[s].data();
      if (j == 0) {
        int64_t total = 0;
        for (int t = 0; t <= last_t; ++t) {
          total = (t == 0 ? 0 : total + stay) + 4 * int64_t{costs[codes_[t]]};
          current[t] = total;
        }
      } else {
        const int64_t leave = Transition(leaving->leave[leaving_state]);
        for (int t = j; t <= last_t; ++t) {
          const int64_t from_leave = previous[t - 1] + leave;
          const int64_t from_stay = t > j ? current[t - 1] + stay : kUnreachable;
          current[t] = std::min(kUnreachable, std::min(from_leave, from_stay) + 4 * int64_t{costs[codes_[t]]});
        }
      }
      std::swap(previous, current);
      leaving = &model;
      leaving_state = s;
    }
    if (r == 0 && share) {
      std::copy(previous, previous + t_count, kept_column_);
      kept_radical_ = first;
    }
  }
  const int64_t end = previous[t_count - 1];
  if (end >= kUnreachable) return kNoRadicalScore;
  return end + Transition(leaving->leave[leaving_state]);
}

}  // namespace vok
