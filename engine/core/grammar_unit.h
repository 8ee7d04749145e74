// One unit (nonterminal) of a grammar: a network of UnitNode and UnitTransition
// records in pools of its own.
#pragma once

#include <cstdint>

#include "engine/core/grammar_network.h"
#include "engine/core/object_mem_mgr.h"
#include "engine/core/unit_node.h"

namespace vok {

class CGrammar;

inline constexpr int kUnitNodeBlock = 30;
inline constexpr int kUnitTransitionBlock = 100;
inline constexpr int kUnitPoolBlocksWithoutGrammar = 50;

class GrammarUnit : public GrammarNetwork {
 public:
  // An unnamed unit; `max_blocks` limits each pool (the grammar's limit).
  explicit GrammarUnit(CGrammar* grammar, int max_blocks = kUnitPoolBlocksWithoutGrammar);
  GrammarUnit(const char* name, CGrammar* grammar, int max_blocks = kUnitPoolBlocksWithoutGrammar);
  // A copy of every node and transition with the same indexes, labels and weights.
  explicit GrammarUnit(const GrammarUnit& unit);
  GrammarUnit& operator=(const GrammarUnit&) = delete;
  ~GrammarUnit() override = default;

  // Also links the transition into the target's incoming list.
  void Connect(NetworkNode* source, NetworkNode* target, NetworkTransition* transition,
               int16_t weight) override;
  NetworkNode* NewNode() override;
  NetworkTransition* NewTransition(int32_t label) override;
  int NodeCount() const override { return node_count_; }
  // Non-zero exactly when the unit has transitions.
  int TransitionCount() const override { return transition_count_; }
  NetworkNode* NodeAt(int index) const override;
  NetworkTransition* TransitionAt(int index) const override;
  void SetNodeCount(int count) override;
  void SetTransitionCount(int count) override;
  void RemoveTransition(NetworkTransition* transition) override;
  bool Clear() override;

  UnitNode* Node(int index) const { return static_cast<UnitNode*>(NodeAt(index)); }
  UnitTransition* Transition(int index) const { return static_cast<UnitTransition*>(TransitionAt(index)); }
  UnitNode* start_node() const { return static_cast<UnitNode*>(start()); }
  UnitNode* end_node() const { return static_cast<UnitNode*>(end()); }

  // A new transition from source to target; null when the pool is exhausted.
  UnitTransition* AddTransition(UnitNode* source, UnitNode* target, int32_t label, int16_t weight);
  // A chain source -> new nodes -> target with one transition per label;
  // returns the last transition, null for no labels or an exhausted pool.
  UnitTransition* AddPath(const int32_t* labels, int count, UnitNode* source, UnitNode* target);
  // The node reached from the start by the first transition of each label, or null.
  UnitNode* FindPath(const int32_t* labels, int count) const;
  // Removes each transition passed by FindPath; false when the path is missing.
  bool RemovePath(const int32_t* labels, int count);

  CGrammar* grammar() const { return grammar_; }
  int max_blocks() const { return nodes_.max_blocks(); }

 protected:
  void RelinkMovedTransition(NetworkTransition* transition, NetworkTransition* moved) override;

 private:
  bool MakeStartAndEnd();

  CGrammar* grammar_;
  ObjectMemMgr<UnitNode> nodes_;
  ObjectMemMgr<UnitTransition> transitions_;
  int node_count_ = 0;
  int transition_count_ = 0;
};

}  // namespace vok
