#include "engine/core/hwr_recognizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "engine/core/hwr_character_features.h"
#include "engine/core/hwr_code_mapping.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "engine/core/tests/test_support.h"

namespace {

using vok::HwrCandidate;
using vok::InkPoint;

constexpr vok::HwrModelTriple kSmall{1, 6, 24};

// Three strokes of a character-like shape.
struct Ink {
  std::vector<InkPoint> points;
  std::vector<int> counts;
};

Ink SampleInk() {
  Ink ink;
  const auto stroke = [&](int y0, int x0, int y1, int x1, int n) {
    for (int i = 0; i < n; ++i) {
      ink.points.push_back({static_cast<int16_t>(y0 + (y1 - y0) * i / (n - 1)),
                            static_cast<int16_t>(x0 + (x1 - x0) * i / (n - 1) + (i % 3))});
    }
    ink.counts.push_back(n);
  };
  stroke(100, 100, 100, 300, 20);
  stroke(50, 200, 350, 200, 25);
  stroke(250, 120, 330, 280, 15);
  return ink;
}

int64_t BruteForceAlignment(const std::vector<vok::RadicalModel>& models, const std::vector<int>& chain,
                            const std::vector<uint8_t>& codes) {
  struct State {
    const vok::RadicalModel* model;
    int s;
  };
  std::vector<State> states;
  for (int r : chain) {
    for (int s = 0; s < models[r].states; ++s) states.push_back({&models[r], s});
  }
  const int t_count = static_cast<int>(codes.size());
  const int l = static_cast<int>(states.size());
  int64_t best = vok::kNoRadicalScore;
  // Every way to give each state at least one step, in order.
  std::vector<int> lengths(l, 1);
  std::function<void(int, int)> assign = [&](int j, int left) {
    if (j == l - 1) {
      lengths[j] = left;
      int64_t total = 0;
      int t = 0;
      for (int k = 0; k < l; ++k) {
        for (int i = 0; i < lengths[k]; ++i, ++t) {
          total += 4 * states[k].model->costs[states[k].s][codes[t]];
          if (i + 1 < lengths[k])
            total += static_cast<int64_t>(std::trunc(states[k].model->stay[states[k].s]));
        }
        total += static_cast<int64_t>(std::trunc(states[k].model->leave[states[k].s]));
      }
      best = std::min(best, total);
      return;
    }
    for (int take = 1; take <= left - (l - 1 - j); ++take) {
      lengths[j] = take;
      assign(j + 1, left - take);
    }
  };
  if (t_count >= l) assign(0, t_count);
  return best;
}

TEST(HwrRadicalScorer, EqualsBruteForceWithAndWithoutSharedColumns) {
  auto model = vok_testing::MakeSmallCharacterModel(kSmall, 11);
  // Fractional costs check the truncation on every use.
  model.print_models[0].stay[0] = 3.9f;
  std::mt19937 random(17);
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<int> chain;
    const int radicals = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < radicals; ++i) chain.push_back(static_cast<int>(random() % 6));
    int l = 0;
    for (int r : chain) l += model.print_models[r].states;
    const int t_count = std::max(1, l - 1 + static_cast<int>(random() % 5));
    if (t_count > 11) continue;
    std::vector<uint8_t> codes(t_count);
    for (auto& c : codes) c = static_cast<uint8_t>(random() % 32);
    std::vector<int16_t> radical_ids(chain.begin(), chain.end());
    const int64_t expected = BruteForceAlignment(model.print_models, chain, codes);

    vok::RadicalScorer fresh;
    fresh.Reset(codes.data(), t_count);
    EXPECT_EQ(fresh.Score(model.print_models, radical_ids.data(), radicals, false), expected) << trial;
    // Shared: first a different chain with the same first radical.
    vok::RadicalScorer shared;
    shared.Reset(codes.data(), t_count);
    const int16_t other[] = {radical_ids[0], static_cast<int16_t>((radical_ids[0] + 1) % 6)};
    shared.Score(model.print_models, other, 2);
    EXPECT_EQ(shared.Score(model.print_models, radical_ids.data(), radicals), expected) << trial;
  }
}

// The bounds reject a class after 6, 12 and 17 of 33 terms. When a class's
// terms are even across the blocks (here: one random cost per class, the
// same in every block and for every code) no class that full scoring keeps
// may be rejected; with uneven random tables each kept score must still be
// the class's full score.
void ExpectFirstPassMatchesFullScoring(const vok::HwrCharacterModel& model, bool exact) {
  const vok::HwrModelTriple triple = model.triple;
  vok::CHWRSCRecognizer recognizer(triple);
  const auto file = vok_testing::WriteHwrCharacterModel(model);
  ASSERT_TRUE(recognizer.LoadBytes(file.bytes.data(), file.bytes.size()));
  const Ink ink = SampleInk();
  InkPoint trace[vok::kMaxInkPoints];
  const int points = vok::JoinStrokes(ink.points.data(), ink.counts.data(), 3, trace);
  ASSERT_GT(points, 0);
  constexpr int n = 30;
  vok::HwrFirstPassEntry list[n + 1];
  ASSERT_EQ(recognizer.FirstPass(trace, points, list, n, nullptr), n + 1);

  vok::HwrCharacterFeatures features;
  vok::ChineseCharacterFeatures(trace, points, &features);
  uint8_t codes[vok::kHwrBlocks];
  vok::QuantiseCharacterFeatures(features, model.ft_code_book.data(), model.image_code_book.data(), codes);
  std::vector<int32_t> all;
  for (int k = 0; k < triple.characters; ++k) {
    int32_t score = 0;
    for (int b = 0; b < vok::kHwrBlocks; ++b)
      score += model.blocks[b].rows[codes[b] * 256 + model.blocks[b].class_pdfs[k]];
    all.push_back(score);
  }
  std::vector<int32_t> listed;
  for (const auto& e : list) {
    EXPECT_EQ(e.score, all[e.class_index]);
    listed.push_back(e.score);
  }
  if (!exact) return;
  std::sort(all.begin(), all.end());
  std::sort(listed.begin(), listed.end());
  all.resize(n + 1);
  EXPECT_EQ(listed, all);
}

TEST(HwrFirstPass, RejectionKeepsTheBestOfFullScoring) {
  constexpr vok::HwrModelTriple triple{1, 6, 400};
  for (uint32_t seed : {21u, 22u, 23u}) {
    auto even = vok_testing::MakeSmallCharacterModel(triple, seed);
    std::mt19937 random(seed);
    std::vector<uint8_t> cost(256);
    for (auto& c : cost) c = static_cast<uint8_t>(random() % 256);
    for (auto& block : even.blocks) {
      for (int k = 0; k < triple.characters; ++k) block.class_pdfs[k] = static_cast<uint8_t>(k % 256);
      for (int c = 0; c < 32; ++c) std::copy(cost.begin(), cost.end(), block.rows.begin() + c * 256);
    }
    ExpectFirstPassMatchesFullScoring(even, true);
    ExpectFirstPassMatchesFullScoring(vok_testing::MakeSmallCharacterModel(triple, seed), false);
  }
}

class HwrSmallScRecognizer : public ::testing::Test {
 protected:
  void Load(const vok::HwrCharacterModel& model) {
    const auto file = vok_testing::WriteHwrCharacterModel(model);
    ASSERT_TRUE(recognizer_.LoadBytes(file.bytes.data(), file.bytes.size()));
  }
  int Recognize(const Ink& ink, HwrCandidate* out, int room) {
    return recognizer_.Recognize(ink.points.data(), static_cast<int>(ink.counts.size()), ink.counts.data(),
                                 out, room);
  }
  vok::CHWRSCRecognizer recognizer_{kSmall};
};

TEST_F(HwrSmallScRecognizer, CandidatesAreClassesInOrderKeyOrder) {
  const auto model = vok_testing::MakeSmallCharacterModel(kSmall, 7);
  Load(model);
  HwrCandidate out[10];
  const int found = Recognize(SampleInk(), out, 10);
  ASSERT_GT(found, 0);
  ASSERT_LE(found, 8);  // the shortlist of 3n / 8 with n = 23
  for (int i = 0; i < found; ++i) {
    const int index = vok::ScIndex(out[i].code);
    ASSERT_GE(index, 0);
    ASSERT_LT(index, kSmall.characters);
    EXPECT_EQ(out[i].stroke_difference, model.dictionary[index].strokes - 3);
    if (i > 0) {
      EXPECT_LE(out[i - 1].order_key, out[i].order_key);
    }
  }
  // The caller's room is respected.
  HwrCandidate two[2];
  EXPECT_EQ(Recognize(SampleInk(), two, 2), std::min(found, 2));
  EXPECT_EQ(two[0].code, out[0].code);
  // A previous character changes the first-pass keys but not the classes'
  // validity; one without a class is taken as no bigram.
  HwrCandidate after[10];
  EXPECT_GT(recognizer_.Classify(2, nullptr, 23, 0xB0A2, after, 10), 0);
  EXPECT_GT(recognizer_.Classify(2, nullptr, 23, 0x4141, after, 10), 0);
}

TEST_F(HwrSmallScRecognizer, RefusesInkOutsideTheLimits) {
  Load(vok_testing::MakeSmallCharacterModel(kSmall, 7));
  HwrCandidate out[10];
  Ink many;
  for (int s = 0; s < 100; ++s) {
    many.points.push_back({static_cast<int16_t>(s), 0});
    many.counts.push_back(1);
  }
  EXPECT_EQ(Recognize(many, out, 10), 0);
  Ink empty_stroke = SampleInk();
  empty_stroke.counts[1] = 0;
  EXPECT_EQ(Recognize(empty_stroke, out, 10), 0);
  Ink negative = SampleInk();
  negative.counts[1] = -5;
  EXPECT_EQ(Recognize(negative, out, 10), 0);
  Ink long_ink;
  long_ink.points.assign(1001, InkPoint{1, 1});
  long_ink.counts = {1001};
  EXPECT_EQ(Recognize(long_ink, out, 10), 0);
  Ink three_points;
  three_points.points = {{0, 0}, {5, 5}, {9, 9}};
  three_points.counts = {3};
  EXPECT_EQ(Recognize(three_points, out, 10), 0);
  EXPECT_EQ(Recognize(SampleInk(), out, 0), 0);
  vok::CHWRSCRecognizer unloaded(kSmall);
  EXPECT_EQ(unloaded.Recognize(SampleInk().points.data(), 3, SampleInk().counts.data(), out, 10), 0);
}

TEST_F(HwrSmallScRecognizer, ChainsLongerThanTheTraceAndZeroScoresGiveNothing) {
  auto long_chains = vok_testing::MakeSmallCharacterModel(kSmall, 8);
  for (auto* set : {&long_chains.print_models, &long_chains.cursive_models}) {
    for (auto& m : *set) m.states = 15;
  }
  // The sample ink gives 47 steps; every chain has 4 x 15 states.
  for (auto& d : long_chains.dictionary) {
    for (int m = 0; m < d.model_count; ++m) d.states[m] = static_cast<uint8_t>(15 * d.radical_counts[m]);
    d.model_count = 1;
    d.radical_counts[0] = 4;
    d.states[0] = 60;
  }
  Load(long_chains);
  HwrCandidate out[10];
  EXPECT_EQ(Recognize(SampleInk(), out, 10), 0);

  auto free_model = vok_testing::MakeSmallCharacterModel(kSmall, 9);
  for (auto* set : {&free_model.print_models, &free_model.cursive_models}) {
    for (auto& m : *set) {
      for (auto& state : m.costs) state.fill(0);
      m.stay.fill(0.5f);
      m.leave.fill(0.9f);
    }
  }
  Load(free_model);
  EXPECT_EQ(Recognize(SampleInk(), out, 10), 0);
}

TEST(HwrRadicalLists, TiesGoToCursiveAndAnEmptyListLoses) {
  const HwrCandidate low{1, 0, 100, 0};
  const HwrCandidate high{2, 0, 200, 0};
  EXPECT_TRUE(vok::CursiveListWins(&low, 1, &low, 1));
  EXPECT_TRUE(vok::CursiveListWins(&high, 1, &low, 1));
  EXPECT_FALSE(vok::CursiveListWins(&low, 1, &high, 1));
  EXPECT_TRUE(vok::CursiveListWins(nullptr, 0, &high, 1));
  EXPECT_FALSE(vok::CursiveListWins(&high, 1, nullptr, 0));
  EXPECT_FALSE(vok::CursiveListWins(nullptr, 0, nullptr, 0));
}

TEST(HwrLatinFilter, KeepsTenWithinAThousandOrderedByStrokeDifference) {
  std::vector<HwrCandidate> list;
  const int differences[] = {2, -1, 0, 1, -2, 0, 3, 1, -1, 0, 0, 0};
  for (int i = 0; i < 12; ++i)
    list.push_back({static_cast<uint16_t>('a' + i), i, 100 + 50 * i, differences[i]});
  EXPECT_EQ(vok::FilterLatinCandidates(list.data(), 12), 10);
  const char expected[] = {'c', 'f', 'j', 'd', 'h', 'b', 'i', 'a', 'e', 'g'};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(list[i].code, expected[i]) << i;
    EXPECT_EQ(list[i].order_key, 100 + 50 * i) << i;
  }
  std::vector<HwrCandidate> spread = {{'x', 0, 0, 0}, {'y', 0, 999, 0}, {'z', 0, 1000, 0}};
  EXPECT_EQ(vok::FilterLatinCandidates(spread.data(), 3), 2);
  EXPECT_EQ(vok::FilterLatinCandidates(spread.data(), 0), 0);
}

TEST(HwrRomRecognizer, CodesComeBackInTheHighByte) {
  vok::CHWRRomRecognizer recognizer;
  const auto file = vok_testing::WriteHwrLatinModel(vok_testing::MakeSmallLatinModel(3));
  ASSERT_TRUE(recognizer.LoadBytes(file.bytes.data(), file.bytes.size()));
  const Ink ink = SampleInk();
  HwrCandidate out[10];
  const int found = recognizer.Recognize(ink.points.data(), 3, ink.counts.data(), out, 10);
  ASSERT_GT(found, 0);
  EXPECT_LE(found, 10);
  for (int i = 0; i < found; ++i) {
    EXPECT_EQ(out[i].code & 0xFF, 0);
    EXPECT_GE(vok::LatinIndex(out[i].code >> 8), 0);
  }
  EXPECT_EQ(recognizer.parameter(), 1);
  // Any parameter word but 1 gives no Latin candidates.
  uint8_t mask[62];
  std::fill(mask, mask + 62, 1);
  EXPECT_EQ(recognizer.Classify(2, mask, 61, 0, out, 10), 0);
  // A mask that admits nothing leaves nothing.
  std::fill(mask, mask + 62, 0);
  EXPECT_EQ(recognizer.Classify(1, mask, 61, 0, out, 10), 0);
}

}  // namespace
