#include <gtest/gtest.h>

#include <set>
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
    NormaliseUtterance(model, held_out);
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
  NormaliseUtterance(model, u);
  TrainingUtterance sequence{&u.normalised, HmmSequence(model, u.labels)};
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
  NormaliseUtterance(model, short_one);
  short_one.normalised.frames = 2;
  TrainingUtterance too_short{&short_one.normalised, {model.HmmIndex("m")}};
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

namespace {

// The known model trained on the shared code books, then on books of its
// units' own.
AcousticModel WithPhoneBooks(std::vector<Utterance>& training, TrainingOptions options,
                             std::vector<double>* curve = nullptr) {
  AcousticModel model = known_model::Train(training, options);
  std::vector<Utterance*> editable;
  for (Utterance& u : training) editable.push_back(&u);
  options.phoneGaussians = 8;
  std::ostringstream log;
  const std::vector<double> passes = TrainPhoneBooks(model, editable, options, log);
  if (curve) *curve = passes;
  return model;
}

TEST(PhoneBooks, EveryUnitDrawsFromItsOwnBooksAndTheLikelihoodNeverFalls) {
  known_model::Source source(13);
  std::vector<Utterance> training = source.Sequences(120);
  std::vector<double> curve;
  const AcousticModel model = WithPhoneBooks(training, known_model::SmallOptions(), &curve);
  ASSERT_EQ(curve.size(), 4u);
  for (std::size_t i = 1; i < curve.size(); ++i) EXPECT_GE(curve[i], curve[i - 1] - 1e-9) << "pass " << i;
  ASSERT_TRUE(model.HasPhoneBooks());
  for (int s = 0; s < model.streams(); ++s) {
    std::set<int> books;
    for (const std::string& unit : kUnits) {
      const HmmEntry& hmm = model.hmms[static_cast<std::size_t>(model.HmmIndex(unit))];
      for (int state : hmm.states)
        EXPECT_EQ(model.states[state].books[s], model.states[hmm.states[0]].books[s]);
      books.insert(model.states[hmm.states[0]].books[s]);
    }
    EXPECT_EQ(books.size(), kUnits.size()) << "stream " << s;
    EXPECT_EQ(books.count(0), 0u) << "stream " << s;
  }
  int correct = 0, total = 0;
  for (int i = 0; i < 90; ++i) {
    Utterance held_out = source.Sample({i % 3});
    NormaliseUtterance(model, held_out);
    correct += known_model::Classify(model, held_out) == i % 3;
    ++total;
  }
  EXPECT_GE(correct, total * 95 / 100) << correct << " of " << total;
}

TEST(PhoneBooks, ResultsDoNotDependOnTheNumberOfJobs) {
  known_model::Source first(17), second(17);
  std::vector<Utterance> a = first.Sequences(70), b = second.Sequences(70);
  TrainingOptions one = known_model::SmallOptions(), three = one;
  one.jobs = 1;
  three.jobs = 3;
  const AcousticModel x = WithPhoneBooks(a, one), y = WithPhoneBooks(b, three);
  ASSERT_EQ(x.books.size(), y.books.size());
  for (std::size_t s = 0; s < x.books.size(); ++s) {
    ASSERT_EQ(x.books[s].size(), y.books[s].size());
    for (std::size_t k = 0; k < x.books[s].size(); ++k)
      EXPECT_EQ(x.books[s][k].centres, y.books[s][k].centres);
  }
  for (std::size_t s = 0; s < x.states.size(); ++s) EXPECT_EQ(x.states[s].logWeights, y.states[s].logWeights);
  EXPECT_EQ(x.normalisation.scales, y.normalisation.scales);
}

}  // namespace
