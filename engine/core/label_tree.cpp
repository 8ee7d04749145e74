#include "engine/core/label_tree.h"

#include <cstdio>

#include "engine/core/messages.h"

namespace vok {

void LabelNode::Reset(int16_t new_label) {
  label = new_label;
  value = kNoValue;
  child = sibling = parent = nullptr;
}

void LabelNode::AddChildFront(LabelNode* node) {
  if (!node) return;
  node->sibling = child;
  node->parent = this;
  child = node;
}

void LabelNode::AddChildBack(LabelNode* node) {
  if (!node) return;
  node->sibling = nullptr;
  node->parent = this;
  LabelNode* last = LastChild();
  if (last) {
    last->sibling = node;
  } else {
    child = node;
  }
}

void LabelNode::Dump() const {
  DumpLabel();
  DumpChildren();
}

void LabelNode::DumpLabel() const { std::fprintf(MessageOutput(), "Label: %d\n", label); }

void LabelNode::DumpChildren() const {
  std::fprintf(MessageOutput(), "Children:\n");
  for (const LabelNode* c = child; c; c = c->sibling) c->DumpLabel();
  std::fprintf(MessageOutput(), "End Children\n");
}

void LabelNode::DumpTree() const {
  DumpLabel();
  for (const LabelNode* c = child; c; c = c->sibling) c->DumpTree();
}

void LabelNode::PathToRoot(uint16_t* list, int capacity) const {
  if (!parent || !list || capacity < 1) return;
  if (list[0] + 1 < capacity) {
    ++list[0];
    list[list[0]] = static_cast<uint16_t>(label);
  }
  parent->PathToRoot(list, capacity);
}

LabelNode* LabelNode::FindChild(int16_t wanted, bool unset_only) const {
  for (LabelNode* c = child; c; c = c->sibling) {
    if (c->label != wanted) continue;
    if (unset_only && c->value != kNoValue) continue;
    return c;
  }
  return nullptr;
}

LabelNode* LabelNode::LastChild() const {
  LabelNode* c = child;
  while (c && c->sibling) c = c->sibling;
  return c;
}

int LabelNode::ChildCount() const {
  int n = 0;
  for (const LabelNode* c = child; c; c = c->sibling) ++n;
  return n;
}

int ParseNodePool::SubtreeSize(const LabelNode* node) {
  if (!node) return 0;
  int size = 1;
  for (const LabelNode* c = node->child; c; c = c->sibling) size += SubtreeSize(c);
  return size;
}

namespace {

int Fill(const ParseNode* node, CParseToken* tokens, int at, const SymbolTable* words,
         const SymbolTable* units) {
  CParseToken& token = tokens[at];
  token.label = node->label;
  const int children = node->ChildCount();
  token.child_count = static_cast<int16_t>(children > 32767 ? 32767 : children);
  token.subtree_size = ParseNodePool::SubtreeSize(node);
  token.node = node;
  token.words = words;
  token.units = units;
  int next = at + 1;
  for (const LabelNode* c = node->child; c; c = c->sibling) {
    next = Fill(static_cast<const ParseNode*>(c), tokens, next, words, units);
  }
  return next;
}

}  // namespace

int ParseNodePool::FillTokens(CParseToken* tokens, int capacity, const SymbolTable* words,
                              const SymbolTable* units) const {
  const ParseNode* root = GetNode(0);
  if (!root || !tokens) return -1;
  const int size = SubtreeSize(root);
  if (size + 1 > capacity) return -1;
  const int written = Fill(root, tokens, 0, words, units);
  tokens[written].Reset();
  return written;
}

}  // namespace vok
