// The scores of one three-state left-to-right HMM during a search: HMMState,
// and HMMStateBP with a back-pointer per state. The tree search, the command
// network search and the handwriting lattice keep one record per active model.
#pragma once

#include <cstdint>

#include "engine/core/hypothesis.h"

namespace vok {

// Scores are int16 log values, higher is better. The empty score kEmptyScore
// (stored as the unsigned 37768) is below every real score and absorbs
// additions: an empty state stays empty whatever it is given, and every other
// sum stops at the int16 limits, so long runs without renormalisation never
// wrap.

// Transition penalties of a model, p0 to p6 (subtracted): the stays and moves
// of the penalised steps, and p6 on leaving the last state.
struct StatePenalties {
  uint8_t p[7] = {};
};

// A model that brings its own penalties (the penalised step of slot 6).
class PenalisedModel {
 public:
  virtual ~PenalisedModel() = default;
  virtual const StatePenalties& Penalties() const = 0;
};

class HMMState {
 public:
  HMMState() = default;
  // Slot 0.
  virtual ~HMMState() = default;

  // Slot 1: when best is the empty score it takes the score; entry = score.
  virtual void SetEntry(int16_t score);
  // Slot 2: all six scores the empty score.
  virtual void Reset();
  // Slot 3: s2 = max(s2, s1), s1 = max(s1, s0), s0 = max(s0, entry), from the
  // old values; on equal scores the stay wins.
  virtual void Transition();
  // Slot 4: slot 3, then slot 8.
  virtual void Step(const int16_t obs[3]);
  // Slot 5: the penalised transition with skip, s2 = max(s2 - p5, s1 - p4,
  // s0 - p2), s1 = max(s1 - p3, s0 - p1), s0 = max(s0 - p0, entry); then the
  // observation and exit = s2 - p6.
  virtual void PenalisedStep(const StatePenalties& pen, const int16_t obs[3]);
  // Slot 6: slot 5 with the model's penalties.
  virtual void ModelStep(const PenalisedModel& model, const int16_t obs[3]);
  // Slot 7: s2 = max(s2, s1, s0), s1 = max(s1, s0), s0 = max(s0, entry).
  virtual void SkipTransition();
  // Slot 8: adds o0..o2 to s0..s2; best = the highest state; entry becomes
  // the empty score and exit = s2.
  virtual void Observe(const int16_t obs[3]);

  int16_t best = kEmptyScore;
  int16_t entry = kEmptyScore;
  int16_t exit = kEmptyScore;
  int16_t s0 = kEmptyScore;
  int16_t s1 = kEmptyScore;
  int16_t s2 = kEmptyScore;

 protected:
  // s + delta saturated at the int16 limits; the empty score stays empty.
  static int16_t Add(int16_t s, int32_t delta);
  // Adds the observation and returns the index (0..2) of the best state.
  int AddObservation(const int16_t obs[3]);
};

// With back-pointers (32-bit, 0 at reset): bp[0..2] of s0..s2, entry_bp of the
// entry, which after an observation also holds the back-pointer of the best
// state. Every move of a transition copies the back-pointer of its source.
class HMMStateBP : public HMMState {
 public:
  ~HMMStateBP() override = default;

  // Slot 2: also clears the four back-pointers.
  void Reset() override;
  // Slot 3.
  void Transition() override;
  // Slot 4: the transition with skip and the observation in one; exit is left
  // to the caller, as after slot 8.
  void Step(const int16_t obs[3]) override;
  // Slot 5: the penalised transition without skip, s2 = max(s2 - p4,
  // s1 - p3), s1 = max(s1 - p2, s0 - p1), s0 = max(s0 - p0, entry); then the
  // observation and exit = s2 - p6.
  void PenalisedStep(const StatePenalties& pen, const int16_t obs[3]) override;
  // Slot 7.
  void SkipTransition() override;
  // Slot 8: as the base, but exit is left to the caller (exit = s2 there).
  void Observe(const int16_t obs[3]) override;

  // Raises the entry to `score` with its back-pointer when the offer is
  // higher (slot 1 on the way).
  void Offer(int16_t score, int32_t back);

  int32_t bp[3] = {0, 0, 0};
  int32_t entry_bp = 0;
};

}  // namespace vok
