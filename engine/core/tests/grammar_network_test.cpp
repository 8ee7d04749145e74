#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "engine/core/grammar_unit.h"
#include "engine/core/messages.h"
#include "engine/core/net_node.h"
#include "engine/core/symbol_table.h"

namespace {

using vok::GrammarUnit;
using vok::UnitNode;
using vok::UnitTransition;

// Every live transition as "source-label-target", read from the outgoing
// lists; also checks that each one stands in its target's incoming list and
// that the records' ids and labels agree with their places.
std::multiset<std::string> Arcs(const GrammarUnit& unit) {
  std::multiset<std::string> arcs;
  int listed = 0;
  for (int i = 0; i < unit.NodeCount(); ++i) {
    const UnitNode* node = unit.Node(i);
    if (node->id == vok::kDeletedRecord) continue;
    EXPECT_EQ(node->id, i);
    for (const vok::NetworkTransition* t = node->first_out; t; t = t->next_out) {
      EXPECT_EQ(t->source, node);
      bool incoming = false;
      for (const UnitTransition* in = static_cast<UnitNode*>(t->target)->first_in; in; in = in->next_in) {
        incoming = incoming || in == t;
      }
      EXPECT_TRUE(incoming) << "arc missing from its target's incoming list";
      arcs.insert(std::to_string(node->id) + "-" + std::to_string(t->label) + "-" +
                  std::to_string(t->target->id));
      ++listed;
    }
  }
  int live = 0;
  for (int i = 0; i < unit.TransitionCount(); ++i) live += unit.TransitionAt(i)->label != vok::kDeletedRecord;
  EXPECT_EQ(listed, live);
  return arcs;
}

class CapturedLog {
 public:
  CapturedLog() : file_(std::tmpfile()) { vok::SetLogStream(file_); }
  ~CapturedLog() {
    vok::SetLogStream(nullptr);
    std::fclose(file_);
  }
  std::string Text() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    char buffer[1024];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
    return text;
  }

 private:
  std::FILE* file_;
};

TEST(GrammarUnitTest, NewUnitHasStartAndEndNode) {
  GrammarUnit unit("TOP", nullptr);
  EXPECT_STREQ(unit.name(), "TOP");
  EXPECT_EQ(unit.NodeCount(), 2);
  EXPECT_EQ(unit.TransitionCount(), 0);
  EXPECT_EQ(unit.start(), unit.NodeAt(0));
  EXPECT_EQ(unit.end(), unit.NodeAt(1));
  EXPECT_EQ(unit.NodeAt(2), nullptr);
  EXPECT_EQ(unit.NodeAt(-1), nullptr);
  EXPECT_EQ(unit.TransitionAt(0), nullptr);
}

TEST(GrammarUnitTest, NamesLongerThan51CharactersAreCut) {
  GrammarUnit unit(nullptr);
  EXPECT_STREQ(unit.name(), "");
  const std::string fits(51, 'n');
  EXPECT_TRUE(unit.SetName(fits.c_str()));
  EXPECT_EQ(std::string(unit.name()), fits);
  EXPECT_FALSE(unit.SetName((fits + "x").c_str()));
  EXPECT_EQ(std::string(unit.name()), fits);
}

TEST(GrammarUnitTest, PathsAreFoundAndRemoved) {
  GrammarUnit unit(nullptr);
  const int32_t abc[] = {10, 11, 12};
  const int32_t ad[] = {10, 13};
  ASSERT_NE(unit.AddPath(abc, 3, unit.start_node(), unit.end_node()), nullptr);
  ASSERT_NE(unit.AddPath(ad, 2, unit.start_node(), unit.end_node()), nullptr);
  EXPECT_EQ(Arcs(unit), (std::multiset<std::string>{"0-10-2", "2-11-3", "3-12-1", "0-10-4", "4-13-1"}));
  EXPECT_EQ(unit.FindPath(abc, 3), unit.end_node());
  // The first transition labelled 10 leads into a-b-c, so a-d is not found.
  EXPECT_EQ(unit.FindPath(ad, 2), nullptr);
  EXPECT_EQ(unit.FindPath(abc, 0), unit.start_node());

  EXPECT_FALSE(unit.RemovePath(ad, 2));
  EXPECT_EQ(unit.TransitionCount(), 5);
  EXPECT_TRUE(unit.RemovePath(abc, 3));
  EXPECT_EQ(Arcs(unit), (std::multiset<std::string>{"0-10-4", "4-13-1"}));
  EXPECT_EQ(unit.FindPath(ad, 2), unit.end_node());
}

TEST(GrammarUnitTest, RemovedTransitionIsUnlinkedAndMarked) {
  GrammarUnit unit(nullptr);
  UnitTransition* a = unit.AddTransition(unit.start_node(), unit.end_node(), 5, 3);
  UnitTransition* b = unit.AddTransition(unit.start_node(), unit.end_node(), 6, 0);
  unit.RemoveTransition(a);
  EXPECT_EQ(a->label, vok::kDeletedRecord);
  EXPECT_EQ(a->source, nullptr);
  EXPECT_EQ(a->target, nullptr);
  EXPECT_EQ(a->weight, 0);
  EXPECT_EQ(unit.start_node()->first_out, b);
  EXPECT_EQ(unit.end_node()->first_in, b);
  unit.RemoveTransition(a);  // twice is harmless
  EXPECT_EQ(Arcs(unit), (std::multiset<std::string>{"0-6-1"}));
}

TEST(GrammarUnitTest, MergeMovesBothListsOntoTheOtherNode) {
  GrammarUnit unit(nullptr);
  auto* x = static_cast<UnitNode*>(unit.NewNode());
  auto* y = static_cast<UnitNode*>(unit.NewNode());
  unit.AddTransition(unit.start_node(), x, 1, 0);
  unit.AddTransition(x, unit.end_node(), 2, 0);
  unit.AddTransition(unit.start_node(), y, 3, 0);
  unit.AddTransition(y, unit.end_node(), 4, 0);
  unit.MergeNode(y, x);
  EXPECT_EQ(y->id, vok::kDeletedRecord);
  EXPECT_EQ(y->first_out, nullptr);
  EXPECT_EQ(y->first_in, nullptr);
  EXPECT_EQ(Arcs(unit), (std::multiset<std::string>{"0-1-2", "0-3-2", "2-2-1", "2-4-1"}));
  unit.MergeNode(x, x);
  EXPECT_EQ(x->id, 2);
  EXPECT_EQ(Arcs(unit).size(), 4U);
}

TEST(GrammarUnitTest, CompactionRenumbersDenselyAndKeepsTheLinks) {
  GrammarUnit unit(nullptr);
  std::vector<UnitNode*> nodes;
  for (int i = 0; i < 4; ++i) nodes.push_back(static_cast<UnitNode*>(unit.NewNode()));  // ids 2..5
  std::vector<UnitTransition*> arcs;
  arcs.push_back(unit.AddTransition(unit.start_node(), nodes[0], 100, 0));  // 0
  arcs.push_back(unit.AddTransition(nodes[0], nodes[1], 101, 0));           // 1
  arcs.push_back(unit.AddTransition(nodes[1], nodes[3], 102, 7));           // 2
  arcs.push_back(unit.AddTransition(nodes[0], nodes[2], 103, 0));           // 3
  arcs.push_back(unit.AddTransition(nodes[2], nodes[3], 104, 0));           // 4
  arcs.push_back(unit.AddTransition(nodes[3], unit.end_node(), 105, 0));    // 5
  unit.RemoveTransition(arcs[1]);
  unit.RemoveTransition(arcs[3]);
  unit.MergeNode(nodes[1], nodes[0]);  // node 3 goes, its arc 102 now leaves node 2
  unit.CompactTransitions();
  unit.CompactNodes();

  EXPECT_EQ(unit.NodeCount(), 5);
  EXPECT_EQ(unit.TransitionCount(), 4);
  std::vector<int32_t> labels;
  for (int i = 0; i < unit.TransitionCount(); ++i) labels.push_back(unit.TransitionAt(i)->label);
  EXPECT_EQ(labels, (std::vector<int32_t>{100, 102, 104, 105}));
  EXPECT_EQ(unit.Transition(1)->weight, 7);
  // Old nodes 4 and 5 are now 3 and 4.
  EXPECT_EQ(Arcs(unit), (std::multiset<std::string>{"0-100-2", "2-102-4", "3-104-4", "4-105-1"}));
  // New records take the next indexes.
  EXPECT_EQ(unit.NewNode()->id, 5);
  unit.AddTransition(unit.Node(5), unit.end_node(), 106, 0);
  EXPECT_EQ(unit.TransitionAt(4)->label, 106);
  EXPECT_EQ(Arcs(unit).size(), 5U);
}

TEST(GrammarUnitTest, CopyHasTheSameNodesAndTransitions) {
  GrammarUnit unit("CITY", nullptr);
  const int32_t path[] = {1, 2, 3};
  unit.AddPath(path, 3, unit.start_node(), unit.end_node());
  unit.AddTransition(unit.Node(2), unit.Node(2), vok::kLabelFiller, -5);
  UnitTransition* gone = unit.AddTransition(unit.start_node(), unit.end_node(), 9, 0);
  unit.RemoveTransition(gone);

  GrammarUnit copy(unit);
  EXPECT_STREQ(copy.name(), "CITY");
  EXPECT_EQ(copy.NodeCount(), unit.NodeCount());
  EXPECT_EQ(copy.TransitionCount(), unit.TransitionCount());
  EXPECT_EQ(Arcs(copy), Arcs(unit));
  for (int i = 0; i < unit.TransitionCount(); ++i) {
    EXPECT_EQ(copy.TransitionAt(i)->label, unit.TransitionAt(i)->label);
    EXPECT_EQ(copy.TransitionAt(i)->weight, unit.TransitionAt(i)->weight);
  }
  EXPECT_EQ(copy.start(), copy.NodeAt(0));
  EXPECT_NE(copy.start(), unit.start());
}

TEST(GrammarUnitTest, ClearLeavesANewStartAndEnd) {
  GrammarUnit unit(nullptr);
  const int32_t path[] = {1, 2};
  unit.AddPath(path, 2, unit.start_node(), unit.end_node());
  ASSERT_TRUE(unit.Clear());
  EXPECT_EQ(unit.NodeCount(), 2);
  EXPECT_EQ(unit.TransitionCount(), 0);
  EXPECT_EQ(unit.start_node()->first_out, nullptr);
  EXPECT_EQ(unit.end_node()->first_in, nullptr);
  EXPECT_EQ(unit.start()->id, 0);
  EXPECT_EQ(unit.end()->id, 1);
}

TEST(GrammarUnitTest, ExhaustedPoolsFailCleanly) {
  GrammarUnit unit(nullptr, 1);  // one block: 30 nodes, 100 transitions
  int made = 2;
  while (unit.NewNode()) ++made;
  EXPECT_EQ(made, vok::kUnitNodeBlock);
  EXPECT_EQ(unit.NodeCount(), vok::kUnitNodeBlock);
  const int32_t path[] = {1, 2};
  EXPECT_EQ(unit.AddPath(path, 2, unit.start_node(), unit.end_node()), nullptr);
  for (int i = 0; i < vok::kUnitTransitionBlock; ++i) {
    ASSERT_NE(unit.AddTransition(unit.start_node(), unit.end_node(), i, 0), nullptr);
  }
  EXPECT_EQ(unit.AddTransition(unit.start_node(), unit.end_node(), 1, 0), nullptr);
  EXPECT_EQ(Arcs(unit).size(), static_cast<std::size_t>(vok::kUnitTransitionBlock));
}

TEST(GrammarUnitTest, DumpsNameEveryKindOfLabel) {
  vok::SymbolTable words(16);
  words.Add("hello");
  vok::SymbolTable units(16);
  units.Add("TOP");
  GrammarUnit unit(nullptr);
  unit.AddTransition(unit.start_node(), unit.end_node(), 0, -28);
  unit.AddTransition(unit.start_node(), unit.end_node(), vok::NonterminalLabel(0), 0);
  unit.AddTransition(unit.start_node(), unit.end_node(), vok::kLabelEmpty, 0);
  unit.AddTransition(unit.start_node(), unit.end_node(), vok::kLabelFiller, 0);
  unit.AddTransition(unit.start_node(), unit.end_node(), 7, 0);
  unit.AddTransition(unit.start_node(), unit.end_node(), vok::NonterminalLabel(3), 0);
  CapturedLog log;
  unit.Dump(&words, &units);
  EXPECT_EQ(log.Text(),
            "Node: 0\n"
            "Transition: hello (0 -> 1, prob = -28)\n"
            "Transition: TOP (0 -> 1, prob = 0)\n"
            "Transition: <> (0 -> 1, prob = 0)\n"
            "Transition: <*> (0 -> 1, prob = 0)\n"
            "Transition: ?? (0 -> 1, prob = 0)\n"
            "Transition: ?? (0 -> 1, prob = 0)\n"
            "-----------------\n"
            "Node: 1\n"
            "-----------------\n");
}

TEST(GrammarUnitTest, LinkDumpListsNextAndPrevious) {
  GrammarUnit unit(nullptr);
  auto* middle = static_cast<UnitNode*>(unit.NewNode());
  unit.AddTransition(unit.start_node(), middle, vok::kLabelEmpty, 0);
  unit.AddTransition(middle, unit.end_node(), vok::kLabelFiller, 2);
  CapturedLog log;
  middle->DumpLinks(nullptr, nullptr);
  EXPECT_EQ(log.Text(),
            "# Next: 1\n# Prev: 1\nNext:\n"
            "Transition: <*> (2 -> 1, prob = 2)\n"
            "Previous:\n"
            "Transition: <> (0 -> 2, prob = 0)\n"
            "------------------\n");
}

TEST(NetNodeTest, ResetClearsScoreAndBackTrace) {
  vok::NetNode node;
  node.score = 12;
  node.back_trace = 4;
  node.Reset(3);
  EXPECT_EQ(node.id, 3);
  EXPECT_EQ(node.score, -27768);
  EXPECT_EQ(node.back_trace, -1);
  EXPECT_EQ(node.Size(), 20);
  EXPECT_EQ(vok::UnitNode().Size(), 16);
}

TEST(NetNodeTest, FlagSkipsTransitionsWithAnItemLabel) {
  vok::NetNode from;
  vok::NetNode to;
  from.Reset(0);
  to.Reset(1);
  vok::NetTransition item;
  vok::NetTransition plain;
  item.Reset(42);
  item.item = 0x10005;
  plain.Reset(42);
  item.source = plain.source = &from;
  item.target = plain.target = &to;
  from.AddOutgoingBack(&item);
  from.AddOutgoingBack(&plain);
  EXPECT_EQ(from.FindOutgoing(42, false), &item);
  EXPECT_EQ(from.FindOutgoing(42, true), &plain);
  EXPECT_EQ(from.FindOutgoing(43, false), nullptr);

  vok::SymbolTable models(64);
  for (int i = 0; i <= 42; ++i) models.Add(("m" + std::to_string(i)).c_str());
  vok::NetTransition empty;
  empty.Reset(vok::kNetEmptyModel);
  empty.source = &from;
  empty.target = &to;
  empty.weight = -3;
  CapturedLog log;
  item.Dump(&models, nullptr);
  plain.Dump(nullptr, nullptr);
  empty.Dump(&models, nullptr);
  EXPECT_EQ(log.Text(),
            "Transition: m42 (0 -> 1) Word = 5\n"
            "Transition: ?? (0 -> 1)\n"
            "Transition: <> (0 -> 1) Prob = -3\n");
}

}  // namespace
