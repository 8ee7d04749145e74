// A network of nodes joined by labelled, weighted transitions: the base of the
// units of a grammar and of command-search networks. Node 0 is the start node
// and node 1 the end node; nodes and transitions are numbered densely in the
// order of the derived class's pools.
#pragma once

#include <cstdint>

#include "engine/core/network_node.h"

namespace vok {

inline constexpr int kNetworkNameCapacity = 52;  // 51 characters and the terminator

class GrammarNetwork {
 public:
  GrammarNetwork() = default;
  virtual ~GrammarNetwork() = default;
  GrammarNetwork(const GrammarNetwork&) = delete;
  GrammarNetwork& operator=(const GrammarNetwork&) = delete;

  // Links the transition from source to target with the weight.
  virtual void Connect(NetworkNode* source, NetworkNode* target, NetworkTransition* transition,
                       int16_t weight);
  // A reset node whose id is its index; null when the pool is exhausted.
  virtual NetworkNode* NewNode() = 0;
  // A reset transition with the label; null when the pool is exhausted.
  virtual NetworkTransition* NewTransition(int32_t label) = 0;
  virtual int NodeCount() const = 0;
  virtual int TransitionCount() const = 0;
  // Null outside 0..count-1.
  virtual NetworkNode* NodeAt(int index) const = 0;
  virtual NetworkTransition* TransitionAt(int index) const = 0;
  virtual void SetNodeCount(int count) = 0;
  virtual void SetTransitionCount(int count) = 0;
  // Unlinks the transition from its source and marks it deleted.
  virtual void RemoveTransition(NetworkTransition* transition);
  // Empties the network down to a new start and end node; false when the
  // network cannot be cleared.
  virtual bool Clear() { return false; }

  // Moves every transition of `from` onto `to` (outgoing appended, incoming
  // re-targeted) and marks `from` deleted. Nothing when the two are one node.
  void MergeNode(NetworkNode* from, NetworkNode* to);
  // Renumbers the live nodes (transitions) densely in pool order and sets the
  // count to the number of live ones.
  void CompactNodes();
  void CompactTransitions();

  // Name, cut to 51 characters; false when it was longer.
  bool SetName(const char* name);
  const char* name() const { return name_; }
  NetworkNode* start() const { return start_; }
  NetworkNode* end() const { return end_; }

  void Dump(const SymbolTable* words, const SymbolTable* units) const;

 protected:
  // Puts `moved` in every list where `transition` stands; the base relinks
  // the source's outgoing list.
  virtual void RelinkMovedTransition(NetworkTransition* transition, NetworkTransition* moved);
  void set_start(NetworkNode* node) { start_ = node; }
  void set_end(NetworkNode* node) { end_ = node; }

 private:
  char name_[kNetworkNameCapacity] = {};
  NetworkNode* start_ = nullptr;
  NetworkNode* end_ = nullptr;
};

}  // namespace vok
