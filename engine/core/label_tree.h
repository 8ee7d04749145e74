// Ordered label trees and their node pools: LabelNode and
// NodePool, and the parse-tree forms ParseNode and ParseNodePool that the
// grammars use.
#pragma once

#include <cstdint>

#include "engine/core/object_mem_mgr.h"

namespace vok {

class SymbolTable;

class LabelNode {
 public:
  static constexpr uint16_t kNoValue = 65535;  // not the end of a stored path
  // Size of a node in the 32-bit product: vtable, label and value, three links.
  static constexpr int kProductBytes = 20;

  LabelNode() = default;
  virtual ~LabelNode() = default;

  // Slot 1: label as given, value 65535, no children, sibling or parent.
  virtual void Reset(int16_t new_label);
  // Slot 2: the child goes in front of the children; its parent is this node.
  virtual void AddChildFront(LabelNode* node);
  // Slot 3: the child goes after the last child; its parent is this node.
  virtual void AddChildBack(LabelNode* node);
  // Slot 4.
  virtual int Size() const { return kProductBytes; }
  // Slot 5: DumpLabel, then DumpChildren.
  virtual void Dump() const;
  // Slot 6: "Label: %d\n" on the printers' standard output.
  virtual void DumpLabel() const;
  // Slot 7: "Children:\n", each child's DumpLabel, "End Children\n".
  virtual void DumpChildren() const;
  // Slot 8: own DumpLabel, then each child's DumpTree in order.
  virtual void DumpTree() const;
  // Slot 9: when the node has a parent, appends its label to the count-first
  // list (list[0] the count, `capacity` slots in all, nothing added when
  // full) and goes on with the parent; the root's label is not added.
  virtual void PathToRoot(uint16_t* list, int capacity) const;

  // The first child with the label; with `unset_only`, children whose value
  // is not 65535 are skipped.
  LabelNode* FindChild(int16_t wanted, bool unset_only) const;
  LabelNode* LastChild() const;
  int ChildCount() const;

  int16_t label = -1;
  uint16_t value = kNoValue;
  LabelNode* child = nullptr;    // first child
  LabelNode* sibling = nullptr;  // next sibling
  LabelNode* parent = nullptr;
};

// A node of a parse tree: the label is a unit index for a nonterminal node and
// a word id for a leaf.
class ParseNode : public LabelNode {
 public:
  ~ParseNode() override = default;
};

// A pool of nodes handed out by index, with a free list, that builds label
// paths into a tree. Node is LabelNode or a class derived from it.
template <class Node>
class NodePoolT {
 public:
  // Blocks of `room` nodes, at most 250 blocks.
  explicit NodePoolT(int room, int node_bytes = LabelNode::kProductBytes) : pool_(room, node_bytes, true) {}
  // Slot 0: frees the pool and every node.
  virtual ~NodePoolT() = default;
  NodePoolT(const NodePoolT&) = delete;
  NodePoolT& operator=(const NodePoolT&) = delete;

  // Slot 1: the number of nodes handed out.
  virtual int GetCount() const { return pool_.count(); }
  // Slot 2: a node by index; null outside 0 to count - 1.
  virtual Node* GetNode(int index) const { return pool_.Get(index); }
  // Slot 3: the pool record.
  virtual ObjectMemMgr<Node>* GetRecord() { return &pool_; }
  // Slot 4: a node from the free list or the pool, reset with label 65535;
  // null (and index -1) when the pool is exhausted.
  virtual Node* NewNode(int* index = nullptr) {
    Node* node = nullptr;
    const int id = pool_.New(&node);
    if (index) *index = id;
    if (id < 0 || !node) return nullptr;
    node->Reset(static_cast<int16_t>(LabelNode::kNoValue));
    return node;
  }
  // Returns a node's index to the free list.
  void ReleaseNode(int index) { pool_.Delete(index); }

  // Adds the count-first label list as a path under the root (node 0 of the
  // pool when null, made when the pool is empty): for each label but the
  // last, the child with that label or a new one; for the last, a child with
  // that label whose value is unset, or a new one, which takes the value.
  // The end node, or null when the list is empty or the pool is exhausted.
  Node* AddPath(const uint16_t* labels, uint16_t path_value, Node* root = nullptr) {
    if (!labels || labels[0] == 0) return nullptr;
    Node* node = RootOrNodeZero(root);
    if (!node) return nullptr;
    const int count = labels[0];
    for (int i = 1; i <= count; ++i) {
      const auto wanted = static_cast<int16_t>(labels[i]);
      Node* next = static_cast<Node*>(node->FindChild(wanted, i == count));
      if (!next) next = AddChild(node, wanted);
      if (!next) return nullptr;
      node = next;
    }
    node->value = path_value;
    ++path_count_;
    return node;
  }

  // A new node for every label in turn, each a child of the one before but
  // made without a parent link; the last takes the value.
  Node* AddChain(const uint16_t* labels, uint16_t path_value, Node* root = nullptr) {
    if (!labels || labels[0] == 0) return nullptr;
    Node* node = RootOrNodeZero(root);
    if (!node) return nullptr;
    for (int i = 1; i <= labels[0]; ++i) {
      Node* next = NewNode();
      if (!next) return nullptr;
      next->label = static_cast<int16_t>(labels[i]);
      next->sibling = node->child;
      node->child = next;
      node = next;
    }
    node->value = path_value;
    ++path_count_;
    return node;
  }

  // A new node with the label, in front of the parent's children when a
  // parent is given.
  Node* AddChild(Node* parent_node, int16_t new_label) {
    Node* node = NewNode();
    if (!node) return nullptr;
    node->label = new_label;
    if (parent_node) parent_node->AddChildFront(node);
    return node;
  }

  // A new node with the node's label and value, then a copy of each child
  // added at the end in order; the copy, or null when the pool is exhausted
  // (the nodes copied until then stay in the pool).
  Node* CopyTree(const Node* node) {
    if (!node) return nullptr;
    Node* copy = NewNode();
    if (!copy) return nullptr;
    copy->label = node->label;
    copy->value = node->value;
    for (const LabelNode* c = node->child; c; c = c->sibling) {
      Node* child_copy = CopyTree(static_cast<const Node*>(c));
      if (!child_copy) return nullptr;
      copy->AddChildBack(child_copy);
    }
    return copy;
  }

  int path_count() const { return path_count_; }

 protected:
  Node* RootOrNodeZero(Node* root) {
    if (root) return root;
    if (pool_.count() == 0) return NewNode();
    return pool_.Get(0);
  }

  int path_count_ = 0;
  ObjectMemMgr<Node> pool_;
};

using NodePool = NodePoolT<LabelNode>;

// One node of a parse result in pre-order (the grammars name its operations).
struct CParseToken {
  int16_t label = -1;        // -1 when unset
  int16_t child_count = 0;   // non-zero marks a nonterminal
  int32_t subtree_size = 0;  // tokens in the subtree, the token itself included
  const ParseNode* node = nullptr;
  const SymbolTable* words = nullptr;
  const SymbolTable* units = nullptr;

  void Reset() { *this = CParseToken(); }
  // A word token covers one word; a unit token (children, or a unit matched
  // by an empty path) names its unit.
  bool IsWord() const;
  // The unit name of a unit token, else the word, into the buffer of `size`
  // bytes: 0, or -1 when a table or the name is missing or it does not fit
  // (the buffer then holds what fits, cut at a character boundary).
  int GetName(char* buffer, int size) const;
  // The words the token covers, concatenated in order without separator: 0,
  // or -1 as GetName.
  int GetText(char* buffer, int size) const;
  // The n-th child (0-based) into `child`, and its position in the token
  // array relative to this token (1 plus the subtree sizes of the children
  // before it); 1, or 0 when there is no such child.
  int GetChild(int n, CParseToken* child, int* position) const;
};

class ParseNodePool : public NodePoolT<ParseNode> {
 public:
  static constexpr int kRoom = 100;
  ParseNodePool() : NodePoolT<ParseNode>(kRoom) {}

  // Empties the pool (count 0, free list cleared); blocks are kept.
  void Reset() {
    pool_.Clear();
    path_count_ = 0;
  }
  // 1 plus the sizes of the node's children (0 for no node).
  static int SubtreeSize(const LabelNode* node);
  // Writes the tree under node 0 in pre-order into the token array of
  // `capacity` tokens, resets the token after the last and returns the number
  // written; -1 when the pool is empty or the tree and its end token do not
  // fit.
  int FillTokens(CParseToken* tokens, int capacity, const SymbolTable* words, const SymbolTable* units) const;
};

}  // namespace vok
