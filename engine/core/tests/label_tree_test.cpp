#include "engine/core/label_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/symbol_table.h"
#include "engine/core/tests/test_support.h"

namespace {

using vok::LabelNode;
using vok::NodePool;

std::vector<int> ChildLabels(const LabelNode* node) {
  std::vector<int> labels;
  for (const LabelNode* c = node->child; c; c = c->sibling) labels.push_back(c->label);
  return labels;
}

TEST(LabelNodeTest, ResetAndChildren) {
  LabelNode parent;
  parent.Reset(5);
  EXPECT_EQ(parent.label, 5);
  EXPECT_EQ(parent.value, LabelNode::kNoValue);
  LabelNode a, b, c;
  a.Reset(1);
  b.Reset(2);
  c.Reset(3);
  parent.AddChildBack(&a);
  parent.AddChildFront(&b);
  parent.AddChildBack(&c);
  EXPECT_EQ(ChildLabels(&parent), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(a.parent, &parent);
  EXPECT_EQ(parent.ChildCount(), 3);
  EXPECT_EQ(parent.LastChild(), &c);
  a.value = 4;
  LabelNode a2;
  a2.Reset(1);
  parent.AddChildBack(&a2);
  EXPECT_EQ(parent.FindChild(1, false), &a);
  EXPECT_EQ(parent.FindChild(1, true), &a2);
  EXPECT_EQ(parent.FindChild(9, false), nullptr);
  EXPECT_EQ(parent.Size(), 20);
}

TEST(NodePoolTest, PathsShareTheirPrefix) {
  NodePool pool(10);
  const uint16_t p12[] = {2, 1, 2};
  const uint16_t p13[] = {2, 1, 3};
  LabelNode* leaf7 = pool.AddPath(p12, 7);
  LabelNode* leaf8 = pool.AddPath(p12, 8);
  LabelNode* leaf9 = pool.AddPath(p13, 9);
  ASSERT_NE(leaf7, nullptr);
  ASSERT_NE(leaf8, nullptr);
  ASSERT_NE(leaf9, nullptr);
  LabelNode* root = pool.GetNode(0);
  ASSERT_EQ(root->ChildCount(), 1);  // one node for label 1
  LabelNode* one = root->child;
  EXPECT_EQ(one->label, 1);
  EXPECT_EQ(ChildLabels(one), (std::vector<int>{3, 2, 2}));  // new children go in front
  EXPECT_EQ(leaf7->value, 7);
  EXPECT_EQ(leaf8->value, 8);
  EXPECT_NE(leaf7, leaf8);
  EXPECT_EQ(leaf9->parent, one);
  EXPECT_EQ(pool.path_count(), 3);
  EXPECT_EQ(pool.GetCount(), 5);
  const uint16_t empty[] = {0};
  EXPECT_EQ(pool.AddPath(empty, 1), nullptr);
}

TEST(NodePoolTest, PathToRootSkipsTheRoot) {
  NodePool pool(10);
  const uint16_t path[] = {2, 11, 22};
  LabelNode* leaf = pool.AddPath(path, 1);
  uint16_t list[8] = {0};
  leaf->PathToRoot(list, 8);
  EXPECT_EQ(list[0], 2);
  EXPECT_EQ(list[1], 22);
  EXPECT_EQ(list[2], 11);
  uint16_t small[2] = {0};
  leaf->PathToRoot(small, 2);
  EXPECT_EQ(small[0], 1);
  EXPECT_EQ(small[1], 22);
}

TEST(NodePoolTest, DumpTreeInPreOrder) {
  NodePool pool(10);
  LabelNode* root = pool.NewNode();
  root->label = 0;
  LabelNode* a = pool.AddChild(root, 1);
  pool.AddChild(a, 3);
  pool.AddChild(root, 2);  // in front of 1
  vok_test::CapturedMessages messages;
  root->DumpTree();
  EXPECT_EQ(messages.Output(), "Label: 0\nLabel: 2\nLabel: 1\nLabel: 3\n");
}

TEST(NodePoolTest, DumpShowsLabelAndChildren) {
  NodePool pool(4);
  LabelNode* root = pool.NewNode();
  root->label = 9;
  pool.AddChild(root, 4);
  vok_test::CapturedMessages messages;
  root->Dump();
  EXPECT_EQ(messages.Output(), "Label: 9\nChildren:\nLabel: 4\nEnd Children\n");
}

TEST(NodePoolTest, ChainHasNoParentLinks) {
  NodePool pool(10);
  const uint16_t labels[] = {3, 5, 6, 7};
  LabelNode* last = pool.AddChain(labels, 42);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->value, 42);
  EXPECT_EQ(last->parent, nullptr);
  LabelNode* root = pool.GetNode(0);
  ASSERT_NE(root->child, nullptr);
  EXPECT_EQ(root->child->label, 5);
  EXPECT_EQ(root->child->child->child, last);
  EXPECT_EQ(pool.path_count(), 1);
}

TEST(NodePoolTest, CopyTreeKeepsOrder) {
  NodePool pool(4);
  const uint16_t a[] = {2, 1, 2};
  const uint16_t b[] = {2, 1, 3};
  pool.AddPath(a, 7);
  pool.AddPath(b, 8);
  LabelNode* copy = pool.CopyTree(pool.GetNode(0));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->parent, nullptr);
  ASSERT_EQ(copy->ChildCount(), 1);
  EXPECT_EQ(ChildLabels(copy->child), ChildLabels(pool.GetNode(0)->child));
  EXPECT_EQ(copy->child->child->value, 8);
  EXPECT_EQ(pool.GetCount(), 8);
}

TEST(NodePoolTest, ExhaustionReturnsMinusOne) {
  vok::NodePoolT<LabelNode> pool(2);  // 250 blocks of 2 nodes
  for (int i = 0; i < 500; ++i) ASSERT_NE(pool.NewNode(), nullptr) << i;
  int index = 0;
  EXPECT_EQ(pool.NewNode(&index), nullptr);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(pool.GetRecord()->New(nullptr), -1);
  const uint16_t path[] = {1, 4};
  EXPECT_EQ(pool.AddPath(path, 1), nullptr);
  pool.ReleaseNode(7);
  EXPECT_NE(pool.NewNode(&index), nullptr);
  EXPECT_EQ(index, 7);
  EXPECT_EQ(pool.GetNode(500), nullptr);
  EXPECT_EQ(pool.GetNode(-1), nullptr);
}

TEST(ParseNodePoolTest, FillTokensInPreOrder) {
  vok::ParseNodePool pool;
  vok::CParseToken tokens[8];
  EXPECT_EQ(pool.FillTokens(tokens, 8, nullptr, nullptr), -1);
  vok::ParseNode* root = pool.NewNode();
  root->label = 0;
  vok::ParseNode* unit = pool.AddChild(root, 1);
  pool.AddChild(unit, 20);
  pool.AddChild(unit, 21);  // in front
  pool.AddChild(root, 30);  // in front of the unit
  EXPECT_EQ(vok::ParseNodePool::SubtreeSize(root), 5);
  vok::SymbolTable words(4);
  ASSERT_EQ(pool.FillTokens(tokens, 8, &words, nullptr), 5);
  const int labels[] = {0, 30, 1, 21, 20};
  const int children[] = {2, 0, 2, 0, 0};
  const int sizes[] = {5, 1, 3, 1, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tokens[i].label, labels[i]) << i;
    EXPECT_EQ(tokens[i].child_count, children[i]) << i;
    EXPECT_EQ(tokens[i].subtree_size, sizes[i]) << i;
    EXPECT_EQ(tokens[i].words, &words);
  }
  EXPECT_EQ(tokens[5].label, -1);
  EXPECT_EQ(pool.FillTokens(tokens, 5, nullptr, nullptr), -1);  // no room for the end token
  pool.Reset();
  EXPECT_EQ(pool.GetCount(), 0);
  EXPECT_EQ(pool.FillTokens(tokens, 8, nullptr, nullptr), -1);
}

}  // namespace
