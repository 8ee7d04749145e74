// Nodes and transitions of a grammar network: the base records that units of a
// grammar and command-search networks derive from. Records live in their
// network's pools and link to each other by pointer; blocks never move.
#pragma once

#include <cstdint>

namespace vok {

class SymbolTable;
class NetworkTransition;

// Labels shared by every network.
inline constexpr int32_t kLabelEmpty = 65531;
inline constexpr int32_t kLabelFiller = 65533;
inline constexpr int32_t kLabelNonterminalBit = INT32_MIN;  // 0x80000000 | unit index
// Id or label of a record removed and waiting for compaction.
inline constexpr int32_t kDeletedRecord = -1;

inline bool IsNonterminal(int32_t label) {
  return label != kDeletedRecord && (label & kLabelNonterminalBit) != 0;
}
inline int32_t NonterminalLabel(int32_t unit_index) { return kLabelNonterminalBit | unit_index; }
inline int32_t NonterminalIndex(int32_t label) { return label & 0x7FFFFFFF; }

class NetworkNode {
 public:
  NetworkNode() = default;
  virtual ~NetworkNode() = default;
  NetworkNode(const NetworkNode&) = delete;
  NetworkNode& operator=(const NetworkNode&) = delete;

  // Record size in the 32-bit product.
  virtual int Size() const { return 8; }
  // Moves the outgoing transitions to the end of the other node's list (their
  // source becomes the other node) and clears this node. Incoming transitions
  // of nodes without an incoming list are re-targeted by the network.
  virtual void MergeInto(NetworkNode* other);
  virtual void Reset(int32_t id);
  // Marks the node deleted, with no transitions.
  virtual void Clear();
  // First outgoing transition with the label, or null.
  virtual NetworkTransition* FindOutgoing(int32_t label, bool flag) const;
  virtual void AddOutgoingFront(NetworkTransition* transition);
  virtual void AddOutgoingBack(NetworkTransition* transition);
  virtual void DumpHeader() const;
  virtual void DumpNode(const SymbolTable* words, const SymbolTable* units) const;
  virtual void DumpOutgoing(const SymbolTable* words, const SymbolTable* units) const;

  // Takes the transition out of the outgoing list; false when it is not there.
  bool UnlinkOutgoing(NetworkTransition* transition);
  // Puts `replacement` where `transition` stands in the outgoing list.
  bool ReplaceOutgoing(NetworkTransition* transition, NetworkTransition* replacement);

  int32_t id = kDeletedRecord;
  NetworkTransition* first_out = nullptr;
};

class NetworkTransition {
 public:
  NetworkTransition() = default;
  virtual ~NetworkTransition() = default;
  NetworkTransition(const NetworkTransition&) = delete;
  NetworkTransition& operator=(const NetworkTransition&) = delete;

  virtual void Reset(int32_t new_label);
  // Label and weight of the other transition; ends and links stay.
  virtual void CopyFrom(const NetworkTransition& other);
  virtual int Size() const { return 20; }
  // Deleted: label -1, no ends, weight 0.
  virtual void Clear();
  virtual void Dump(const SymbolTable* words, const SymbolTable* units) const;

  int32_t label = kDeletedRecord;
  NetworkNode* source = nullptr;
  NetworkNode* target = nullptr;
  NetworkTransition* next_out = nullptr;
  int16_t weight = 0;
};

// Name of a grammar label for dumps: a nonterminal's unit name, "<>", "<*>",
// a word; "??" when the table has no name for it.
const char* GrammarLabelName(int32_t label, const SymbolTable* words, const SymbolTable* units);

}  // namespace vok
