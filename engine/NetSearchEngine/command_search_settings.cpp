#include "engine/NetSearchEngine/command_search_settings.h"

#include <algorithm>

#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/hypothesis.h"
#include "engine/core/log_score.h"
#include "engine/core/resources.h"

namespace vok {

namespace {

constexpr const char* kSearch = "Search";
constexpr const char* kVaSearch = "VA_Search";
constexpr int kBeamLevelBase = 300;
constexpr int kBeamLevelStep = 10;

}  // namespace

CommandSearchSettings::CommandSearchSettings() {
  values_[kPhoneBeam] = 400;
  values_[kPhoneTransBeam] = 400;
  values_[kPhoneExitBeam] = 100;
  values_[kSyllableTransBeam] = 400;
  values_[kFastMatchBeam] = 1000;
  values_[kGarbageInsertionPenalty] = -200;
  values_[kWordInsertionPenalty] = 0;
  values_[kPhoneInsertionPenalty] = -35;
  ResetThresholds(kEmptyScore);
}

int CommandSearchSettings::Read(const Resources& resources) {
  int result = 0;
  if (ReadRequiredFloat(resources, kSearch, "LogProbMultiple", &log_prob_multiple_) != 0) result = -1;
  if (ReadRequiredInt(resources, kSearch, "HMMSkipState", &hmm_skip_state_) != 0) result = -1;
  struct Key {
    const char* section;
    const char* key;
    Index index;
  };
  static constexpr Key kKeys[] = {
      {kSearch, "FastMatchBeam", kFastMatchBeam},
      {kSearch, "WordInsertionPenalty", kWordInsertionPenalty},
      {kSearch, "PhoneInsertionPenalty", kPhoneInsertionPenalty},
      {kSearch, "PhoneBeam", kPhoneBeam},
      {kSearch, "PhoneTransBeam", kPhoneTransBeam},
      {kSearch, "PhoneExitBeam", kPhoneExitBeam},
      {kSearch, "SyllableTransBeam", kSyllableTransBeam},
      {kVaSearch, "PhoneBeam", kPhoneBeam},
      {kVaSearch, "PhoneTransBeam", kPhoneTransBeam},
      {kVaSearch, "PhoneExitBeam", kPhoneExitBeam},
      {kVaSearch, "WordTransBeam", kSyllableTransBeam},
      {kVaSearch, "GarbageInsertionPenalty", kGarbageInsertionPenalty},
  };
  for (const Key& key : kKeys) {
    int value = 0;
    if (resources.GetInt(key.section, key.key, &value) == 0) set_value(key.index, value);
  }
  resources.GetFloat(kVaSearch, "GrammarWeight", &grammar_weight_);
  return result;
}

void CommandSearchSettings::CopyRecord(const int16_t* record) {
  if (record) std::copy(record, record + kCount, values_);
}

void CommandSearchSettings::SetBeamLevel(int level) {
  const int beam = kBeamLevelBase + kBeamLevelStep * std::clamp(level, 0, kMaxBeamLevel);
  for (Index i : {kPhoneBeam, kPhoneTransBeam, kSyllableTransBeam}) set_value(i, beam);
}

int CommandSearchSettings::BeamLevel() const {
  return std::clamp((values_[kPhoneBeam] - kBeamLevelBase) / kBeamLevelStep, 0, kMaxBeamLevel);
}

void CommandSearchSettings::ComputeThresholds(int32_t best) {
  for (int i = 0; i < kCount && values_[i] != 0; ++i) thresholds_[i] = Saturate16(int64_t{best} - values_[i]);
}

void CommandSearchSettings::ResetThresholds(int16_t value) {
  std::fill(thresholds_, thresholds_ + kCount, value);
}

void CommandSearchSettings::set_value(Index i, int32_t value) { values_[i] = Saturate16(value); }

}  // namespace vok
