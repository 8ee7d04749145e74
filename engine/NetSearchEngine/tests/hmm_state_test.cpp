#include "engine/NetSearchEngine/hmm_state.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vok {
namespace {

constexpr int16_t E = kEmptyScore;

struct Scores {
  int16_t entry, s0, s1, s2;
};

void Load(HMMStateBP& h, Scores v) {
  h.Reset();
  h.entry = v.entry;
  h.s0 = v.s0;
  h.s1 = v.s1;
  h.s2 = v.s2;
  h.entry_bp = 100;
  h.bp[0] = 10;
  h.bp[1] = 11;
  h.bp[2] = 12;
}

TEST(HMMStateTest, ResetEmptiesEveryScoreAndBackPointer) {
  HMMStateBP h;
  h.best = h.entry = h.exit = h.s0 = h.s1 = h.s2 = 5;
  h.bp[0] = h.bp[1] = h.bp[2] = h.entry_bp = 9;
  h.Reset();
  for (int16_t s : {h.best, h.entry, h.exit, h.s0, h.s1, h.s2}) EXPECT_EQ(s, E);
  for (int32_t b : {h.bp[0], h.bp[1], h.bp[2], h.entry_bp}) EXPECT_EQ(b, 0);
}

TEST(HMMStateTest, SetEntryGivesAnEmptyBestTheScoreOnly) {
  HMMState h;
  h.SetEntry(-40);
  EXPECT_EQ(h.best, -40);
  EXPECT_EQ(h.entry, -40);
  h.SetEntry(-10);
  EXPECT_EQ(h.best, -40);
  EXPECT_EQ(h.entry, -10);
}

struct TransitionCase {
  const char* name;
  bool skip;
  Scores before;
  Scores after;               // entry is unchanged by a transition
  std::array<int32_t, 3> bp;  // back-pointers of s0..s2 afterwards
};

// Back-pointers start as entry 100, s0 10, s1 11, s2 12.
const TransitionCase kTransitions[] = {
    {"moves forward", false, {-5, -10, -20, -30}, {-5, -5, -10, -20}, {100, 10, 11}},
    {"stays", false, {-50, -10, -20, -30}, {-50, -10, -10, -20}, {10, 10, 11}},
    {"ties stay", false, {-10, -10, -10, -10}, {-10, -10, -10, -10}, {10, 11, 12}},
    {"from empty", false, {0, E, E, E}, {0, 0, E, E}, {100, 11, 12}},
    {"skip prefers s0", true, {E, -1, -50, -40}, {E, -1, -1, -1}, {10, 10, 10}},
    {"skip ties to s1", true, {E, -7, -7, -40}, {E, -7, -7, -7}, {10, 11, 11}},
    {"skip stays on tie", true, {E, -7, -9, -7}, {E, -7, -7, -7}, {10, 10, 12}},
};

TEST(HMMStateTest, TransitionsComputeFromTheOldScores) {
  for (const auto& c : kTransitions) {
    SCOPED_TRACE(c.name);
    HMMStateBP h;
    Load(h, c.before);
    c.skip ? h.SkipTransition() : h.Transition();
    EXPECT_EQ(h.s0, c.after.s0);
    EXPECT_EQ(h.s1, c.after.s1);
    EXPECT_EQ(h.s2, c.after.s2);
    EXPECT_EQ(h.entry, c.before.entry);
    EXPECT_EQ(h.bp[0], c.bp[0]);
    EXPECT_EQ(h.bp[1], c.bp[1]);
    EXPECT_EQ(h.bp[2], c.bp[2]);

    // Without back-pointers the same scores come out.
    HMMState plain;
    plain.entry = c.before.entry;
    plain.s0 = c.before.s0;
    plain.s1 = c.before.s1;
    plain.s2 = c.before.s2;
    c.skip ? plain.SkipTransition() : plain.Transition();
    EXPECT_EQ(plain.s0, c.after.s0);
    EXPECT_EQ(plain.s1, c.after.s1);
    EXPECT_EQ(plain.s2, c.after.s2);
  }
}

TEST(HMMStateTest, ObservationAddsScoresAndPassesTheBestBackPointer) {
  HMMStateBP h;
  Load(h, {-5, -10, -20, -30});
  h.exit = 77;
  const int16_t obs[3] = {-30, 15, -1};
  h.Observe(obs);
  EXPECT_EQ(h.s0, -40);
  EXPECT_EQ(h.s1, -5);
  EXPECT_EQ(h.s2, -31);
  EXPECT_EQ(h.best, -5);
  EXPECT_EQ(h.entry_bp, 11);
  EXPECT_EQ(h.entry, E);
  EXPECT_EQ(h.exit, 77);  // left to the caller

  HMMState plain;
  plain.entry = -5;
  plain.s0 = -10;
  plain.s1 = -20;
  plain.s2 = -30;
  plain.Observe(obs);
  EXPECT_EQ(plain.best, -5);
  EXPECT_EQ(plain.exit, -31);
  EXPECT_EQ(plain.entry, E);
}

TEST(HMMStateTest, StepsCombineTransitionAndObservation) {
  const int16_t obs[3] = {-3, -4, -5};
  HMMState plain;
  plain.entry = 0;
  plain.s0 = -10;
  plain.s1 = -1;
  plain.s2 = -100;
  plain.Step(obs);  // without skip
  EXPECT_EQ(plain.s0, -3);
  EXPECT_EQ(plain.s1, -5);
  EXPECT_EQ(plain.s2, -6);
  EXPECT_EQ(plain.exit, -6);

  HMMStateBP h;
  Load(h, {0, -1, -100, -100});
  h.Step(obs);  // with skip: s2 takes s0 directly
  EXPECT_EQ(h.s2, -6);
  EXPECT_EQ(h.bp[2], 10);
  EXPECT_EQ(h.s1, -5);
  EXPECT_EQ(h.s0, -3);
  EXPECT_EQ(h.bp[0], 100);
}

TEST(HMMStateTest, PenalisedStepsSubtractTheirPenaltiesAndLeaveWithP6) {
  StatePenalties pen;
  for (int i = 0; i < 7; ++i) pen.p[i] = static_cast<uint8_t>(10 * (i + 1));  // 10..70
  const int16_t obs[3] = {-1, -2, -3};

  // Base, with skip: s2 = max(s2 - p5, s1 - p4, s0 - p2).
  HMMState plain;
  plain.entry = -100;
  plain.s0 = 0;
  plain.s1 = -50;
  plain.s2 = -60;
  plain.PenalisedStep(pen, obs);
  EXPECT_EQ(plain.s0, -11);     // max(0 - 10, -100) - 1
  EXPECT_EQ(plain.s1, -22);     // max(-50 - 40, 0 - 20) - 2
  EXPECT_EQ(plain.s2, -33);     // max(-60 - 60, -50 - 50, 0 - 30) - 3
  EXPECT_EQ(plain.exit, -103);  // s2 - 70

  // With back-pointers, without skip: s2 = max(s2 - p4, s1 - p3).
  HMMStateBP h;
  Load(h, {-100, 0, -50, -60});
  h.PenalisedStep(pen, obs);
  EXPECT_EQ(h.s0, -11);
  EXPECT_EQ(h.bp[0], 10);
  EXPECT_EQ(h.s1, -22);  // max(-50 - 30, 0 - 20)
  EXPECT_EQ(h.bp[1], 10);
  EXPECT_EQ(h.s2, -93);  // max(-60 - 50, -50 - 40)
  EXPECT_EQ(h.bp[2], 11);
  EXPECT_EQ(h.exit, -163);
  EXPECT_EQ(h.best, -11);
  EXPECT_EQ(h.entry_bp, 10);

  struct Model : PenalisedModel {
    StatePenalties pen;
    const StatePenalties& Penalties() const override { return pen; }
  } model;
  model.pen = pen;
  HMMStateBP m;
  Load(m, {-100, 0, -50, -60});
  m.ModelStep(model, obs);
  EXPECT_EQ(m.s2, h.s2);
  EXPECT_EQ(m.exit, h.exit);
}

TEST(HMMStateTest, LongUnnormalisedRunsSaturateInsteadOfWrapping) {
  HMMStateBP h;
  h.Reset();
  h.Offer(0, 1);
  const int16_t floor[3] = {-500, -500, -500};
  int16_t last = 0;
  for (int i = 0; i < 1000; ++i) {
    h.Transition();
    h.Observe(floor);
    h.exit = h.s2;
    ASSERT_LE(h.best, last) << "step " << i;
    last = h.best;
  }
  EXPECT_EQ(h.best, E);
  EXPECT_EQ(h.s2, E);

  StatePenalties heavy;
  for (auto& p : heavy.p) p = 255;
  for (int i = 0; i < 200; ++i) h.PenalisedStep(heavy, floor);
  EXPECT_EQ(h.exit, E);

  const int16_t gain[3] = {1000, 1000, 1000};
  HMMState top;
  top.s0 = top.s1 = top.s2 = 32000;
  top.Observe(gain);
  EXPECT_EQ(top.best, INT16_MAX);
  // An empty state stays empty whatever it is given.
  HMMState empty;
  empty.Observe(gain);
  EXPECT_EQ(empty.best, E);
}

TEST(HMMStateTest, OfferRaisesTheEntryOnlyWhenHigher) {
  HMMStateBP h;
  h.Offer(-50, 7);
  EXPECT_EQ(h.entry, -50);
  EXPECT_EQ(h.best, -50);
  EXPECT_EQ(h.entry_bp, 7);
  h.Offer(-50, 8);
  EXPECT_EQ(h.entry_bp, 7);
  h.Offer(-20, 9);
  EXPECT_EQ(h.entry, -20);
  EXPECT_EQ(h.entry_bp, 9);
  EXPECT_EQ(h.best, -50);
}

}  // namespace
}  // namespace vok
