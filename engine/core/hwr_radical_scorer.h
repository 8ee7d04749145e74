// Alignment of a sequence of quantised pen steps with a chain of radical
// models: every step is consumed by one state in chain order, each state
// consuming at least one; the least total of observation, stay and leave
// costs wins. The columns of a chain's first radical are kept, so that the
// next chain that starts with the same radical skips them.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/hwr_ink_features.h"
#include "engine/core/hwr_model.h"

namespace vok {

inline constexpr int64_t kNoRadicalScore = INT64_MAX;

class RadicalScorer {
 public:
  // Starts on new step codes (at most kMaxObservationSteps) or a new radical
  // set; forgets the kept columns.
  void Reset(const uint8_t* codes, int steps);

  // The least alignment total of the chain of `count` radicals (indexes into
  // `models`, which the caller has checked), or kNoRadicalScore when there
  // are fewer steps than states. With `share` off the kept columns are
  // neither used nor replaced.
  int64_t Score(const std::vector<RadicalModel>& models, const int16_t* radicals, int count,
                bool share = true);

 private:
  const uint8_t* codes_ = nullptr;
  int steps_ = 0;
  int kept_radical_ = -1;
  int64_t kept_column_[kMaxObservationSteps]{};
  int64_t previous_[kMaxObservationSteps]{};
  int64_t current_[kMaxObservationSteps]{};
};

}  // namespace vok
