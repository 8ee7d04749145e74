#include <gtest/gtest.h>

#include <sstream>

#include "tools/train_acoustic_model/reestimation.h"
#include "tools/train_acoustic_model/tests/known_model.h"

namespace {

using namespace train_acoustic_model;
using known_model::kUnits;

TEST(Reestimation, RecoversAKnownModelAndNeverLowersTheLikelihood) {
  known_model::Source source(11);
  std::vector<Utterance> training = source.Sequences(120);
  std::vector<double> curve;
  const AcousticModel model = known_model::Train(training, known_model::SmallOptions(), &curve);
  ASSERT_EQ(curve.size(), 5u);
  for (std::size_t i = 1; i < curve.size(); ++i) EXPECT_GE(curve[i], curve[i - 1] - 1e-9) << "pass " << i;

  int correct = 0, total = 0;
  for (int i = 0; i < 90; ++i) {
    const int unit = i % 3;
    Utterance held_out = source.Sample({unit});
    ScoreUtterance(model, held_out, known_model::SmallOptions().topGaussians);
    correct += known_model::Classify(model, held_out) == unit;
    ++total;
  }
  EXPECT_GE(correct, total * 95 / 100) << correct << " of " << total;
}

TEST(Reestimation, AlignmentFindsTheTrueUnitBoundaries) {
  known_model::Source source(5);
  std::vector<Utterance> training = source.Sequences(120);
  const AcousticModel model = known_model::Train(training, known_model::SmallOptions());
  std::vector<int> truth;
  Utterance u = source.Sample({0, 1, 2, 1, 0}, &truth);
  ScoreUtterance(model, u, known_model::SmallOptions().topGaussians);
  TrainingUtterance sequence{&u.frames, HmmSequence(model, u.labels)};
  double score = 0.0;
  const std::vector<int> path = ViterbiAlignment(model, sequence, &score);
  ASSERT_EQ(path.size(), truth.size());
  EXPECT_TRUE(std::isfinite(score));
  const int units[] = {0, 1, 2, 1, 0};
  int agree = 0;
  for (std::size_t t = 0; t < path.size(); ++t) agree += units[path[t]] == truth[t] / 3;
  EXPECT_GE(agree * 100, static_cast<int>(path.size()) * 95);

  // Fewer frames than states: no path.
  Utterance short_one = source.Sample({1});
  short_one.frames.frames = 2;
  TrainingUtterance too_short{&short_one.frames, {model.HmmIndex("m")}};
  EXPECT_TRUE(ViterbiAlignment(model, too_short, &score).empty());
}

TEST(Reestimation, ResultsDoNotDependOnTheNumberOfJobs) {
  known_model::Source first(9), second(9);
  std::vector<Utterance> a = first.Sequences(70), b = second.Sequences(70);
  TrainingOptions one = known_model::SmallOptions(), three = one;
  one.jobs = 1;
  three.jobs = 3;
  const AcousticModel x = known_model::Train(a, one), y = known_model::Train(b, three);
  ASSERT_EQ(x.states.size(), y.states.size());
  for (std::size_t s = 0; s < x.states.size(); ++s) EXPECT_EQ(x.states[s].logWeights, y.states[s].logWeights);
  for (std::size_t r = 0; r < x.transitions.size(); ++r)
    EXPECT_EQ(x.transitions[r].stay, y.transitions[r].stay);
}

}  // namespace
