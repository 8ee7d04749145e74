// Which theories of a stack share a chain: one slot per language-model
// state, every state outside the model's classes counted as its unknown
// class, so that no state reads past the slots.
#include "engine/SyllableLatticeEngine/recombination_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

struct StateCase {
  const char* name;
  int states;
  int unknown_state;
  std::vector<int32_t> arriving;  // states, in the order the theories arrive (best first)
  std::vector<int> head_of;       // for each, the index of the head it joins, or -1 for a new head
};

TEST(RecombinationTableTest, StatesOutsideTheModelShareTheUnknownClassChain) {
  const StateCase cases[] = {
      {"states of the model keep chains of their own", 4, 2, {0, 1, 0, 3, 1}, {-1, -1, 0, -1, 1}},
      {"a class at or beyond the count joins the unknown class", 4, 2, {2, 4, 65535, 1000}, {-1, 0, 0, 0}},
      {"negative and largest states as well", 4, 2, {-1, INT32_MAX, 2}, {-1, 0, 0}},
      {"an unknown class outside the model gets a slot of its own", 3, 7, {5, 0, 3, 2}, {-1, -1, 0, -1}},
  };
  for (const StateCase& c : cases) {
    SCOPED_TRACE(c.name);
    vok::RecombinationTable table;
    table.UseSlots(c.states, c.unknown_state);
    std::vector<vok::Theory> theories(c.arriving.size());
    for (std::size_t i = 0; i < c.arriving.size(); ++i) {
      vok::Theory& theory = theories[i];
      theory.state = c.arriving[i];
      theory.score = -static_cast<int32_t>(i);
      const vok::Theory* head = table.Add(vok::RefOf(&theory));
      const int expected = c.head_of[i];
      EXPECT_EQ(head, expected < 0 ? nullptr : &theories[static_cast<std::size_t>(expected)])
          << "theory " << i;
    }
  }
}

TEST(RecombinationTableTest, ChainsKeepScoreOrderAndClearForTheNextStack) {
  vok::RecombinationTable table;
  table.UseSlots(2, 1);
  std::vector<vok::Theory> theories(4);
  const int32_t scores[] = {-1, -5, -3, -5};  // a better late arrival goes where its score belongs
  for (std::size_t i = 0; i < theories.size(); ++i) {
    theories[i].state = 0;
    theories[i].score = scores[i];
    table.Add(vok::RefOf(&theories[i]));
  }
  std::vector<const vok::Theory*> chain;
  for (const vok::Theory* t = &theories[0]; t; t = t->next) chain.push_back(t);
  EXPECT_EQ(chain, (std::vector<const vok::Theory*>{&theories[0], &theories[2], &theories[1], &theories[3]}));
  table.Clear();
  vok::Theory fresh;
  EXPECT_EQ(table.Add(vok::RefOf(&fresh)), nullptr);
}

}  // namespace
