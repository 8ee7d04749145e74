// The stack hands out what a stable sort by score would, whichever of its
// two sorts (counting, for a span of scores near the count; stable merge
// sort beyond) orders it, and keeps what that order would hand out first.
#include "engine/SyllableLatticeEngine/theory_stack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// The word of each push is its push index, so the theories name themselves.
std::vector<int> Pushes(vok::TheoryStack* stack, int count, int low, int high, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> score(low, high);
  std::vector<int> scores;
  stack->Reset();
  for (int i = 0; i < count; ++i) {
    scores.push_back(score(rng));
    stack->Push(scores.back(), 0, static_cast<uint16_t>(i), 0, false, nullptr);
  }
  return scores;
}

// Indices of the scores of at least `floor`, best first, ties by index.
std::vector<int> Oracle(const std::vector<int>& scores, int floor) {
  std::vector<int> order;
  for (int i = 0; i < static_cast<int>(scores.size()); ++i)
    if (scores[static_cast<std::size_t>(i)] >= floor) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return scores[static_cast<std::size_t>(b)] < scores[static_cast<std::size_t>(a)];
  });
  return order;
}

std::vector<int> PopAll(vok::TheoryStack* stack) {
  std::vector<int> words;
  for (vok::TheoryRef ref; stack->Pop(&ref);) words.push_back(ref.word);
  return words;
}

struct OrderCase {
  const char* name;
  int count;
  int low, high;  // push scores
  int beam;       // Order's floor: best - beam
};

TEST(TheoryStackTest, OrderHandsOutBestFirstAndEqualScoresInPushOrder) {
  const OrderCase cases[] = {
      {"narrow span, many ties (counting sort)", 3000, -300, 0, 300},
      {"floor inside the span", 3000, -1000, 0, 300},
      {"span far beyond the count (merge sort)", 500, -30000, 30000, 32767},
      {"one theory", 1, -5, -5, 0},
      {"beam 0 keeps the best score only", 400, -20, 0, 0},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.name);
    vok::TheoryStack stack;
    const std::vector<int> scores = Pushes(&stack, c.count, c.low, c.high, static_cast<unsigned>(c.count));
    const int best = *std::max_element(scores.begin(), scores.end());
    EXPECT_EQ(stack.best(), best);
    stack.Order(best - c.beam);
    EXPECT_EQ(PopAll(&stack), Oracle(scores, best - c.beam));
  }
}

TEST(TheoryStackTest, ReleaseAllHandsOverExactlyWhatPopDidNotTake) {
  vok::TheoryStack stack;
  const std::vector<int> scores = Pushes(&stack, 1000, -500, 0, 7);
  stack.Order(-200);
  std::vector<int> taken;
  vok::TheoryRef ref;
  for (int i = 0; i < 100 && stack.Pop(&ref); ++i) taken.push_back(ref.word);
  EXPECT_EQ(stack.count(), 900);
  std::vector<int> released;
  stack.ReleaseAll([&](const vok::TheoryRef& rest) { released.push_back(rest.word); });
  released.insert(released.end(), taken.begin(), taken.end());
  std::sort(released.begin(), released.end());
  std::vector<int> all(scores.size());
  for (int i = 0; i < static_cast<int>(all.size()); ++i) all[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(released, all);
  EXPECT_EQ(stack.count(), 0);
}

TEST(TheoryStackTest, KeepBestKeepsWhatOrderWouldHandOutFirst) {
  for (const int keep : {1, 37, 500, 999}) {
    SCOPED_TRACE(keep);
    vok::TheoryStack stack;
    const std::vector<int> scores = Pushes(&stack, 1000, -60, 0, 11);  // ties at every cut
    std::vector<int> dropped;
    stack.KeepBest(keep, [&](const vok::TheoryRef& ref) { dropped.push_back(ref.word); });
    EXPECT_EQ(stack.count(), keep);
    EXPECT_EQ(dropped.size(), scores.size() - static_cast<std::size_t>(keep));
    std::vector<int> expected = Oracle(scores, INT32_MIN + 1);
    expected.resize(static_cast<std::size_t>(keep));
    stack.Order(stack.best() - 1000);
    EXPECT_EQ(PopAll(&stack), expected);
  }
}

}  // namespace
