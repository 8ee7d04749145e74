// Nodes and transitions of a grammar unit: as the base records, with a list of
// incoming transitions on every node.
#pragma once

#include <cstdint>

#include "engine/core/network_node.h"

namespace vok {

class UnitTransition;

class UnitNode : public NetworkNode {
 public:
  int Size() const override { return 16; }
  // Outgoing transitions as the base; incoming ones are re-targeted to the
  // other node and appended to its incoming list.
  void MergeInto(NetworkNode* other) override;
  void Reset(int32_t new_id) override;
  void Clear() override;
  void DumpNode(const SymbolTable* words, const SymbolTable* units) const override;

  void AddIncomingFront(UnitTransition* transition);
  void AddIncomingBack(UnitTransition* transition);
  UnitTransition* FindIncoming(int32_t label) const;
  bool UnlinkIncoming(UnitTransition* transition);
  bool ReplaceIncoming(UnitTransition* transition, UnitTransition* replacement);
  // Counts and lists of the outgoing ("Next") and incoming ("Previous") transitions.
  void DumpLinks(const SymbolTable* words, const SymbolTable* units) const;

  UnitTransition* first_in = nullptr;
};

class UnitTransition : public NetworkTransition {
 public:
  void Reset(int32_t new_label) override;
  int Size() const override { return 24; }

  UnitTransition* next_in = nullptr;
};

}  // namespace vok
