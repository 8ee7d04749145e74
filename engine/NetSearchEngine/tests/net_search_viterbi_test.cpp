// The search against a plain frame-synchronous Viterbi over the same
// network, written here from the search's arithmetic with 64-bit scores, no
// beams, no normalisation and a closure run to its fixed point: with beams
// too wide to prune, the best score into the end node is the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/NetSearchEngine/tests/net_search_test_support.h"

namespace vok_test {
namespace {

using vok::CommandSearchSettings;

constexpr int64_t kNone = INT64_MIN / 4;

int64_t Plus(int64_t score, int64_t delta) { return score == kNone ? kNone : score + delta; }

struct ReferenceOptions {
  float log_prob_multiple = 1.0f;
  bool skip = false;
  int phone_penalty = 0;
  int word_penalty = 0;
  int garbage_penalty = 0;
};

class ReferenceViterbi {
 public:
  ReferenceViterbi(const vok::NetSearchEngine& network, C_rAbstractHMMDataBase& database,
                   ReferenceOptions options)
      : network_(network), database_(database), options_(options) {}

  // The best score into the end node after `frames` frames.
  int64_t Run(int frames) {
    const int nodes = network_.NodeCount();
    const int transitions = network_.TransitionCount();
    std::vector<int64_t> reached(static_cast<std::size_t>(nodes), kNone);
    reached[0] = 0;
    Close(&reached);
    std::vector<std::array<int64_t, 3>> states(static_cast<std::size_t>(transitions), {kNone, kNone, kNone});
    for (int t = 0; t < frames; ++t) {
      C_rStreamVectors any{1, nullptr, nullptr};
      database_.assign_ThreadInput(0, t, any);
      std::vector<int64_t> next(static_cast<std::size_t>(nodes), kNone);
      for (int i = 0; i < transitions; ++i) {
        const vok::NetTransition* tr = network_.Transition(i);
        if (tr->label == vok::kDeletedRecord || tr->label == vok::kNetEmptyModel) continue;
        auto& s = states[static_cast<std::size_t>(i)];
        const int64_t entry = reached[static_cast<std::size_t>(tr->source->id)];
        const int64_t s2 = options_.skip ? std::max({s[2], s[1], s[0]}) : std::max(s[2], s[1]);
        const int64_t s1 = std::max(s[1], s[0]);
        const int64_t s0 = std::max(s[0], entry);
        s = {Plus(s0, Observation(tr->label, 0)), Plus(s1, Observation(tr->label, 1)),
             Plus(s2, Observation(tr->label, 2))};
        if (!tr->target || s[2] == kNone) continue;
        int64_t score = s[2] + options_.phone_penalty;
        if (tr->item != vok::kNetNoItem) score += tr->weight + options_.word_penalty;
        if (tr->item == vok::kLabelFiller) score += options_.garbage_penalty;
        int64_t& target = next[static_cast<std::size_t>(tr->target->id)];
        target = std::max(target, score);
      }
      Close(&next);
      reached = std::move(next);
    }
    return reached[1];
  }

 private:
  int64_t Observation(int model, int state) {
    const double scaled =
        static_cast<double>(database_.get_StateScore(model, state, 0)) * options_.log_prob_multiple;
    return static_cast<int64_t>(std::trunc(std::max(scaled, -500.0)));
  }

  void Close(std::vector<int64_t>* scores) const {
    for (bool changed = true; changed;) {
      changed = false;
      for (int i = 0; i < network_.TransitionCount(); ++i) {
        const vok::NetTransition* tr = network_.Transition(i);
        if (tr->label != vok::kNetEmptyModel || !tr->target) continue;
        const int64_t from = (*scores)[static_cast<std::size_t>(tr->source->id)];
        int64_t& to = (*scores)[static_cast<std::size_t>(tr->target->id)];
        if (from != kNone && from + tr->weight > to) {
          to = from + tr->weight;
          changed = true;
        }
      }
    }
  }

  const vok::NetSearchEngine& network_;
  C_rAbstractHMMDataBase& database_;
  ReferenceOptions options_;
};

class ViterbiTest : public NetSearchTest {};

TEST_F(ViterbiTest, WideBeamsGiveTheExactBestScore) {
  struct Case {
    uint32_t seed;
    bool skip;
    float log_prob_multiple;
  } cases[] = {{1, false, 1.0f}, {2, false, 1.0f}, {3, true, 1.0f}, {4, false, 13.0f}, {5, true, 7.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    resources_.PutFloat("Search", "LogProbMultiple", c.log_prob_multiple);
    resources_.PutInt("Search", "HMMSkipState", c.skip ? 1 : 0);
    // Out-of-grammar and optional arcs, filler loops, a grammar weight,
    // silence loops on the grammar's nodes.
    const vok::GrammarUnit* network = Network("<*> [ open ] close | open$0.3 close$0.8 | close open");
    ASSERT_NE(network, nullptr);
    vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
    ASSERT_EQ(engine.status(), 0);
    ASSERT_EQ(engine.AddFillerLoops(), 0);

    constexpr int kFrames = 30;
    std::mt19937 random(c.seed);
    std::uniform_real_distribution<float> score(-60.0f, 0.0f);
    for (int t = 0; t < kFrames; ++t) {
      for (int m = 0; m < static_cast<int>(TestModels().size()); ++m) {
        for (int s = 0; s < 3; ++s) Db().SetScore(t, m, s, score(random));
      }
    }
    int16_t record[CommandSearchSettings::kCount] = {30000, 30000, 30000, 30000, 30000, 0, 0,
                                                     -37,   -11,   -13,   0,     0,     0};
    ASSERT_EQ(Decode(&engine, kFrames, record), 0);
    ASSERT_EQ(engine.frames(), kFrames);

    ReferenceOptions options;
    options.log_prob_multiple = c.log_prob_multiple;
    options.skip = c.skip;
    options.garbage_penalty = -37;
    options.word_penalty = -11;
    options.phone_penalty = -13;
    const int64_t expected = ReferenceViterbi(engine, Db(), options).Run(kFrames);
    ASSERT_GT(expected, kNone);
    EXPECT_EQ(int64_t{engine.end_node()->score} - engine.offset_sum(), expected);
  }
}

}  // namespace
}  // namespace vok_test
