// Building command networks: from grammars, from the lexicon, item by item,
// with filler, out-of-grammar and silence loops.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/NetSearchEngine/tests/net_search_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/tests/test_support.h"

namespace vok_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class NetworkBuildTest : public NetSearchTest {};

TEST_F(NetworkBuildTest, EmptyFormHasStartAndEndOnly) {
  auto engine = EmptyEngine();
  EXPECT_EQ(engine->status(), 0);
  EXPECT_EQ(engine->NodeCount(), 2);
  EXPECT_EQ(engine->TransitionCount(), 0);
  EXPECT_EQ(engine->start()->id, 0);
  EXPECT_EQ(engine->end()->id, 1);
}

// Word arcs become their pronunciation's models, the last labelled word +
// 0x10000 with the arc's weight x GrammarWeight (0.5; -28 x 0.5 = -14);
// every node of the grammar gets a silence loop.
TEST_F(NetworkBuildTest, GrammarWordsBecomeModelPathsWithScaledWeights) {
  const vok::GrammarUnit* network = Network("open$0.5 close");
  ASSERT_NE(network, nullptr);
  vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
  ASSERT_EQ(engine.status(), 0);
  EXPECT_THAT(Arcs(engine), ElementsAre("0->3 a -", "3->2 b 65539 w-14", "2->1 c 65540", "0->0 SIL 65534",
                                        "1->1 SIL 65534", "2->2 SIL 65534"));
  EXPECT_EQ(engine.NodeCount(), 4);
  EXPECT_NE(engine.table(), nullptr);
}

// Grammar weights: $0.5 gives -28, $0.9 -5 and $1.5 +15 (integer part of
// ln p x 10000.5 + 0.5, shifted right by 8); x 0.5 they truncate toward zero.
TEST_F(NetworkBuildTest, GrammarWeightScalesTowardZero) {
  struct Case {
    const char* probability;
    const char* grammar_weight;
    const char* arc;
  } cases[] = {{"0.5", "0.5", "0->1 c 65540 w-14"},
               {"0.9", "0.5", "0->1 c 65540 w-2"},
               {"1.5", "0.5", "0->1 c 65540 w7"},
               {"0.5", "0", "0->1 c 65540"},
               {"0.5", "3", "0->1 c 65540 w-84"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.probability) + " x " + c.grammar_weight);
    resources_.Put("VA_Search", "GrammarWeight", c.grammar_weight);
    const vok::GrammarUnit* network = Network(std::string("close$") + c.probability);
    ASSERT_NE(network, nullptr);
    vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
    EXPECT_EQ(Arcs(engine).front(), c.arc);
  }
}

// A filler arc becomes an out-of-grammar path (node R, empty arcs in and out,
// the way out labelled 65530, the filler syllables G1 and H1 looping on R);
// the empty arc of an optional word stays an empty transition.
TEST_F(NetworkBuildTest, FillerAndEmptyArcs) {
  const vok::GrammarUnit* network = Network("<*> [ open ] close");
  ASSERT_NE(network, nullptr);
  vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
  ASSERT_EQ(engine.status(), 0);
  // Grammar nodes 0 to 3: <*> from 0 to 2, [ open ] from 2 to 3, close from
  // 3 to 1; R is node 4; silence loops on the grammar's nodes only.
  EXPECT_THAT(Arcs(engine),
              ElementsAre("0->4 <> -", "4->2 <> 65530", "4->4 g 65533", "4->5 h -", "5->4 c 65533",
                          "2->6 a -", "6->3 b 65539", "2->3 <> -", "3->1 c 65540", "0->0 SIL 65534",
                          "1->1 SIL 65534", "2->2 SIL 65534", "3->3 SIL 65534"));
}

TEST_F(NetworkBuildTest, WordsWithoutUsablePronunciationLoseTheirArcOnly) {
  for (const char* body : {"bad | close", "mute | close"}) {
    SCOPED_TRACE(body);
    CapturedMessages messages;
    const vok::GrammarUnit* network = Network(body);
    ASSERT_NE(network, nullptr);
    vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
    EXPECT_EQ(engine.status(), 0);
    EXPECT_THAT(Arcs(engine), ElementsAre("0->1 c 65540", "0->0 SIL 65534", "1->1 SIL 65534"));
    EXPECT_NE(messages.Errors().find("arc dropped"), std::string::npos);
  }
}

TEST_F(NetworkBuildTest, NetworkWithoutAnyWordPathFails) {
  for (const char* body : {"bad", "<*>"}) {
    SCOPED_TRACE(body);
    const vok::GrammarUnit* network = Network(body);
    ASSERT_NE(network, nullptr);
    vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
    EXPECT_EQ(engine.status(), -1);
  }
}

TEST_F(NetworkBuildTest, RebuildingStartsFromAnEmptyNetwork) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("A2", 7, 0), 0);
  ASSERT_EQ(engine->BuildNetwork(*Network("close"), Tree()), 0);
  EXPECT_THAT(Arcs(*engine), ElementsAre("0->1 c 65540", "0->0 SIL 65534", "1->1 SIL 65534"));
}

TEST_F(NetworkBuildTest, LexiconFormHasAPathPerWordAboveTheSentenceWords) {
  vok::NetSearchEngine engine(resources_, Tree(), Models());
  ASSERT_EQ(engine.status(), 0);
  // Words 0 to 2 are skipped, 5 has an unknown syllable; one silence loop.
  EXPECT_THAT(Arcs(engine), ElementsAre("0->2 a -", "2->1 b 3", "0->1 c 4", "0->0 SIL 65534"));
}

TEST_F(NetworkBuildTest, FillerLoopsAtStartAndEnd) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddFillerLoops(), 0);
  EXPECT_THAT(Arcs(*engine), ElementsAre("0->0 g 65533", "0->2 h -", "2->0 c 65533", "1->1 g 65533",
                                         "1->3 h -", "3->1 c 65533"));
}

TEST_F(NetworkBuildTest, RejectionPathBetweenStartAndEnd) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddRejectionPath(), 0);
  EXPECT_THAT(Arcs(*engine),
              ElementsAre("0->2 <> -", "2->1 <> 65530", "2->2 g 65533", "2->3 h -", "3->2 c 65533"));
}

TEST_F(NetworkBuildTest, SilenceLoopsOnTheFirstNodesOrAll) {
  struct Case {
    int n;
    int loops;
  } cases[] = {{0, 3}, {1, 1}, {2, 2}, {9, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    auto engine = EmptyEngine();
    ASSERT_EQ(engine->AddItemPron("AB2", 0, 0), 0);  // nodes 0, 1 and the inner node 2
    ASSERT_EQ(engine->AddSilenceLoops(c.n), 0);
    const std::vector<std::string> arcs = Arcs(*engine);
    ASSERT_EQ(static_cast<int>(arcs.size()), 2 + c.loops);
    for (int i = 0; i < c.loops; ++i) {
      EXPECT_EQ(arcs[2 + static_cast<std::size_t>(i)],
                std::to_string(i) + "->" + std::to_string(i) + " SIL 65534");
    }
  }
}

TEST_F(NetworkBuildTest, WithoutSilenceModelNoLoopsAndAMessage) {
  vok_testing::ScriptedAcoustics silent({"a", "b"}, {{"A2", "a"}}, NetTempPath("NoSil"));
  ASSERT_TRUE(silent.ok());
  vok::BackTraceTable table(200, 50, 1);
  vok::NetSearchEngine engine(resources_, silent.models(), &table);
  CapturedMessages messages;
  EXPECT_EQ(engine.AddSilenceLoops(0), -1);
  EXPECT_EQ(engine.AddItemPron("A2", 1, 1), -1);
  EXPECT_EQ(engine.TransitionCount(), 0);
  EXPECT_NE(messages.Errors().find("no model \"SIL\""), std::string::npos);
  EXPECT_EQ(engine.AddItemPron("A2", 1, 0), 0);
}

TEST_F(NetworkBuildTest, ItemPronunciationsAndTheirErrors) {
  auto engine = EmptyEngine();
  EXPECT_EQ(engine->AddItemPron("AB2-C4", 0, 1), 0);
  EXPECT_EQ(engine->AddItemPron("b3", 65529, 0), 0);
  EXPECT_THAT(Arcs(*engine),
              ElementsAre("0->2 a -", "2->3 b -", "3->4 c -", "4->1 SIL 65536", "0->1 b 131065"));
  const int transitions = engine->TransitionCount();
  struct Case {
    const char* text;
    int id;
  } refused[] = {{"X9", 1}, {"A2-X9", 1}, {"", 1}, {"A2", -1}, {"A2", 65530}, {"A2", 65535}, {"A2", 0x10000}};
  for (const Case& c : refused) {
    SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.id));
    EXPECT_EQ(engine->AddItemPron(c.text, c.id, 0), -1);
  }
  EXPECT_EQ(engine->AddItemPron(nullptr, 1, 0), -1);
  EXPECT_EQ(engine->TransitionCount(), transitions);
}

TEST_F(NetworkBuildTest, ModelsTheDatabaseDoesNotHaveAreRefused) {
  // A syllable table spelled over more names than the database scores.
  vok::SymbolTable wider(8);
  for (const char* name : {"SIL", "a", "b", "c", "g", "h", "z"}) wider.Add(name);
  WriteText(NetTempPath("Wider"), vok_testing::SyllableTableText({{"A2", "a"}, {"Z2", "z"}}));
  vok::CSyllableTable syllables(NetTempPath("Wider").c_str(), &wider);
  ASSERT_EQ(syllables.status(), 0);
  vok::AcousticModels models = Models();
  models.syllables = &syllables;
  vok::BackTraceTable table(200, 50, 1);
  vok::NetSearchEngine engine(resources_, models, &table);
  EXPECT_EQ(engine.AddItemPron("A2", 0, 0), 0);
  EXPECT_EQ(engine.AddItemPron("Z2", 1, 0), -1);
}

TEST_F(NetworkBuildTest, RemoveEnableAndDisableFindTheItemsLastTransition) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("AB2", 4, 0), 0);
  ASSERT_EQ(engine->AddItemPron("C4", 5, 0), 0);
  EXPECT_EQ(engine->DisableItem(4), 0);
  EXPECT_THAT(Arcs(*engine), ElementsAre("0->2 a -", "2->-1 b 65540", "0->1 c 65541"));
  EXPECT_EQ(engine->EnableItem(4), 0);
  EXPECT_THAT(Arcs(*engine), ElementsAre("0->2 a -", "2->1 b 65540", "0->1 c 65541"));
  EXPECT_EQ(engine->RemoveItem(5), 0);
  EXPECT_THAT(Arcs(*engine), ElementsAre("0->2 a -", "2->1 b 65540", "0->-1 c -"));
  // Once removed the item is gone for every operation.
  for (int (vok::NetSearchEngine::*op)(int) :
       {&vok::NetSearchEngine::RemoveItem, &vok::NetSearchEngine::EnableItem,
        &vok::NetSearchEngine::DisableItem}) {
    EXPECT_EQ((engine.get()->*op)(5), -1);
    EXPECT_EQ((engine.get()->*op)(6), -1);
    EXPECT_EQ((engine.get()->*op)(-1), -1);
  }
}

TEST_F(NetworkBuildTest, ClearNetworkLeavesStartAndEnd) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("AB2", 0, 1), 0);
  engine->SetName("items");
  ASSERT_EQ(engine->ClearNetwork(), 0);
  EXPECT_EQ(engine->NodeCount(), 2);
  EXPECT_THAT(Arcs(*engine), IsEmpty());
  EXPECT_STREQ(engine->name(), "");
}

// The node pool holds 1000 blocks of 100 nodes. Items of 100 models use 99
// inner nodes each: 1010 fit beside the start and end node, the next finds
// the pool exhausted after 8 nodes and is refused with nothing left linked.
TEST_F(NetworkBuildTest, ExhaustedNodePoolRefusesTheItemCleanly) {
  auto engine = EmptyEngine();
  std::string pron = "AB2";
  for (int i = 1; i < 50; ++i) pron += "-AB2";
  int added = 0;
  while (engine->AddItemPron(pron.c_str(), added, 0) == 0) ++added;
  EXPECT_EQ(added, 1010);
  EXPECT_EQ(engine->NodeCount(), 100000);
  const int transitions = engine->TransitionCount();
  EXPECT_EQ(transitions, 1010 * 100 + 8);
  for (int i = transitions - 8; i < transitions; ++i)
    EXPECT_EQ(engine->TransitionAt(i)->label, vok::kDeletedRecord);
  int linked = 0;
  for (const vok::NetworkTransition* t = engine->start()->first_out; t; t = t->next_out) ++linked;
  EXPECT_EQ(linked, added);
  EXPECT_EQ(engine->AddRejectionPath(), -1);
  EXPECT_EQ(engine->AddFillerLoops(), -1);
  EXPECT_EQ(engine->AddSilenceLoops(1), 0);  // a self-loop needs no node
}

}  // namespace
}  // namespace vok_test
