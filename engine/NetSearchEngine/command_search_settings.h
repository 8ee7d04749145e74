// The options of the command search: its 13 int16 search settings (the
// layout of a settings record), the thresholds each frame derives from them,
// the acoustic scale, the skip transition switch and the grammar weight.
#pragma once

#include <cstdint>

namespace vok {

class Resources;

class CommandSearchSettings {
 public:
  // Positions in a settings record.
  enum Index {
    kPhoneBeam = 0,
    kPhoneTransBeam = 1,
    kPhoneExitBeam = 2,
    kSyllableTransBeam = 3,  // also set by VA_Search.WordTransBeam
    kFastMatchBeam = 4,
    kUnused5 = 5,
    kUnused6 = 6,
    kGarbageInsertionPenalty = 7,
    kWordInsertionPenalty = 8,
    kPhoneInsertionPenalty = 9,
    kUnused10 = 10,
    kUnused11 = 11,
    kUnused12 = 12,
  };
  static constexpr int kCount = 13;
  static constexpr int kMaxBeamLevel = 10;
  static constexpr float kDefaultGrammarWeight = 0.5f;

  // Values for what no store, beam level or settings record gives: the
  // engine's shipped "Search" and "VA_Search" keys. The unnamed positions are
  // read by no part of this search and stay 0, which also ends the threshold
  // computation there.
  CommandSearchSettings();

  // The "Search" and "VA_Search" keys; 0, or -1 when LogProbMultiple or
  // HMMSkipState is missing (recorded with ErrorSet at "Search"; the other
  // keys are still read).
  int Read(const Resources& resources);
  // A settings record of 13 values replaces the settings.
  void CopyRecord(const int16_t* record);

  // Beam level 0 to 10 (clamped): PhoneBeam, PhoneTransBeam and
  // SyllableTransBeam become 300 + 10 x level.
  void SetBeamLevel(int level);
  // (PhoneBeam - 300) / 10 within 0 to 10.
  int BeamLevel() const;

  // threshold[i] = best - setting[i] for i = 0, 1, ... up to the first
  // setting that is 0; the thresholds from there on keep their values.
  void ComputeThresholds(int32_t best);
  // Every threshold the given value (the state before any frame).
  void ResetThresholds(int16_t value);

  int16_t value(Index i) const { return values_[i]; }
  void set_value(Index i, int32_t value);
  int16_t threshold(Index i) const { return thresholds_[i]; }
  const int16_t* values() const { return values_; }

  float log_prob_multiple() const { return log_prob_multiple_; }
  int hmm_skip_state() const { return hmm_skip_state_; }
  float grammar_weight() const { return grammar_weight_; }
  void set_log_prob_multiple(float value) { log_prob_multiple_ = value; }
  void set_hmm_skip_state(int value) { hmm_skip_state_ = value; }
  void set_grammar_weight(float value) { grammar_weight_ = value; }

 private:
  int16_t values_[kCount] = {};
  int16_t thresholds_[kCount] = {};
  float log_prob_multiple_ = 0.0f;
  int hmm_skip_state_ = 0;
  float grammar_weight_ = kDefaultGrammarWeight;
};

}  // namespace vok
