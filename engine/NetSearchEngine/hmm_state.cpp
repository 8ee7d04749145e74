#include "engine/NetSearchEngine/hmm_state.h"

#include <algorithm>

namespace vok {

int16_t HMMState::Add(int16_t s, int32_t delta) {
  if (s == kEmptyScore) return s;
  return static_cast<int16_t>(std::clamp<int32_t>(s + delta, kEmptyScore, INT16_MAX));
}

int HMMState::AddObservation(const int16_t obs[3]) {
  s0 = Add(s0, obs[0]);
  s1 = Add(s1, obs[1]);
  s2 = Add(s2, obs[2]);
  int top = 0;
  best = s0;
  if (s1 > best) best = s1, top = 1;
  if (s2 > best) best = s2, top = 2;
  entry = kEmptyScore;
  return top;
}

void HMMState::SetEntry(int16_t score) {
  if (best == kEmptyScore) best = score;
  entry = score;
}

void HMMState::Reset() { best = entry = exit = s0 = s1 = s2 = kEmptyScore; }

void HMMState::Transition() {
  s2 = std::max(s2, s1);
  s1 = std::max(s1, s0);
  s0 = std::max(s0, entry);
}

void HMMState::Step(const int16_t obs[3]) {
  Transition();
  Observe(obs);
}

void HMMState::PenalisedStep(const StatePenalties& pen, const int16_t obs[3]) {
  const int16_t old0 = s0, old1 = s1, old2 = s2;
  s2 = std::max({Add(old2, -pen.p[5]), Add(old1, -pen.p[4]), Add(old0, -pen.p[2])});
  s1 = std::max(Add(old1, -pen.p[3]), Add(old0, -pen.p[1]));
  s0 = std::max(Add(old0, -pen.p[0]), entry);
  AddObservation(obs);
  exit = Add(s2, -pen.p[6]);
}

void HMMState::ModelStep(const PenalisedModel& model, const int16_t obs[3]) {
  PenalisedStep(model.Penalties(), obs);
}

void HMMState::SkipTransition() {
  s2 = std::max({s2, s1, s0});
  s1 = std::max(s1, s0);
  s0 = std::max(s0, entry);
}

void HMMState::Observe(const int16_t obs[3]) {
  AddObservation(obs);
  exit = s2;
}

void HMMStateBP::Reset() {
  HMMState::Reset();
  bp[0] = bp[1] = bp[2] = 0;
  entry_bp = 0;
}

void HMMStateBP::Transition() {
  // From the old values, last state first; a move only on a strictly higher
  // score, so the stay wins ties.
  if (s1 > s2) s2 = s1, bp[2] = bp[1];
  if (s0 > s1) s1 = s0, bp[1] = bp[0];
  if (entry > s0) s0 = entry, bp[0] = entry_bp;
}

void HMMStateBP::SkipTransition() {
  if (s1 > s2) s2 = s1, bp[2] = bp[1];
  if (s0 > s2) s2 = s0, bp[2] = bp[0];
  if (s0 > s1) s1 = s0, bp[1] = bp[0];
  if (entry > s0) s0 = entry, bp[0] = entry_bp;
}

void HMMStateBP::Step(const int16_t obs[3]) {
  SkipTransition();
  Observe(obs);
}

void HMMStateBP::PenalisedStep(const StatePenalties& pen, const int16_t obs[3]) {
  const int16_t stay2 = Add(s2, -pen.p[4]), move2 = Add(s1, -pen.p[3]);
  const int16_t stay1 = Add(s1, -pen.p[2]), move1 = Add(s0, -pen.p[1]);
  const int16_t stay0 = Add(s0, -pen.p[0]);
  s2 = stay2;
  if (move2 > stay2) s2 = move2, bp[2] = bp[1];
  s1 = stay1;
  if (move1 > stay1) s1 = move1, bp[1] = bp[0];
  s0 = stay0;
  if (entry > stay0) s0 = entry, bp[0] = entry_bp;
  Observe(obs);
  exit = Add(s2, -pen.p[6]);
}

void HMMStateBP::Observe(const int16_t obs[3]) { entry_bp = bp[AddObservation(obs)]; }

void HMMStateBP::Offer(int16_t score, int32_t back) {
  if (score <= entry) return;
  SetEntry(score);
  entry_bp = back;
}

}  // namespace vok
