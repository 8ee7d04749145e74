// The entries listed at the pronunciation tree nodes that the stack decoder
// reached, each node's side by side in the order of its links. A node's
// links lie scattered through the tree's link array, one cache miss a link,
// and the node of a one-syllable reading lists dozens of words.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/lex_tree.h"

namespace vok {

class TreeWordCache {
 public:
  // Where a node's entries lie in words().
  struct Span {
    uint32_t begin = kNotListed;
    uint32_t count = 0;
  };

  // Forgets every node (the tree's entries changed).
  void Clear() {
    spans_.clear();
    words_.clear();
  }

  // The node's entries, removed ones left out, as `tree` lists them. Finding
  // another node may move words(), not the spans.
  Span Find(const CLexTree& tree, int node) {
    const auto index = static_cast<std::size_t>(node);
    if (index >= spans_.size()) spans_.resize(index + 1);
    Span& span = spans_[index];
    if (span.begin != kNotListed) return span;
    span.begin = static_cast<uint32_t>(words_.size());
    const LexTreeNode* listed = tree.GetNode(node);
    for (const EntryLink* link = listed ? tree.GetLink(listed->links) : nullptr; link;
         link = tree.GetLink(link->next)) {
      if (link->entry != CLexTree::kNone) words_.push_back(link->entry);
    }
    span.count = static_cast<uint32_t>(words_.size()) - span.begin;
    return span;
  }

  const uint16_t* words() const { return words_.data(); }

 private:
  static constexpr uint32_t kNotListed = UINT32_MAX;

  std::vector<Span> spans_;  // by node
  std::vector<uint16_t> words_;
};

}  // namespace vok
