// One unit (nonterminal) of a grammar: a network of UnitNode and UnitTransition
// records in pools of its own.
#pragma once

#include <cstdint>

#include "engine/core/grammar_network.h"
#include "engine/core/object_mem_mgr.h"
#include "engine/core/unit_node.h"

namespace vok {

class BackTraceTable;
class CGrammar;
struct GrammarPhrase;

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
  // The same copy bound to another grammar with its pool limit.
  GrammarUnit(const GrammarUnit& unit, CGrammar* grammar, int max_blocks);
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
  // A transition with the label and weight from source to target and the
  // extra arcs of the token flags: an empty arc beside it (may be left out), a
  // filler arc beside it (may be replaced by filler), filler self-loops on
  // both nodes (filler around), or a repetition node in its place (one or
  // more times). The transition carrying the label, null when a pool is
  // exhausted.
  UnitTransition* AddFlaggedTransition(UnitNode* source, UnitNode* target, int32_t label, int16_t weight,
                                       int32_t flags);
  // One alternative from the start node to the end node with one transition
  // per token (weight 0, the token's flags) through new nodes; false when a
  // pool is exhausted (the arcs made stay) or the phrase is empty.
  bool AddPhrase(const GrammarPhrase& phrase);
  // The node reached from the start by the first transition of each label, or null.
  UnitNode* FindPath(const int32_t* labels, int count) const;
  // Removes each transition passed by FindPath; false when the path is missing.
  bool RemovePath(const int32_t* labels, int count);

  // Frames at which a span ending at `frame` and accepted by this network can
  // start, over the word entries of the table: walks backwards from the end
  // node at `frame`, each entry of a frame list taking the walk to its start
  // frame. Each arrival at the start node counts a hit for its frame and
  // keeps the best score there; a node that reaches the start through empty
  // or filler arcs counts a hit as well. Returns the number of hits (0 for a
  // frame outside 0 to 1999). `frames` and `scores` are count-first lists of
  // `capacity` elements each: the frames with hits, in increasing order, are
  // appended after those already there, with their best scores in the same
  // positions of `scores`; both counts are updated.
  int MatchLattice(int frame, const BackTraceTable& table, uint16_t* frames, int16_t* scores,
                   int capacity) const;

  // True when the last copy made every node and transition of its source.
  bool complete() const { return complete_; }
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
  bool complete_ = true;
};

}  // namespace vok
