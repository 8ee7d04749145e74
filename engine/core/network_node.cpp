#include "engine/core/network_node.h"

#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

namespace vok {

void NetworkNode::MergeInto(NetworkNode* other) {
  if (other == this || !other) return;
  for (NetworkTransition* t = first_out; t;) {
    NetworkTransition* next = t->next_out;
    t->source = other;
    other->AddOutgoingBack(t);
    t = next;
  }
  first_out = nullptr;
  Clear();
}

void NetworkNode::Reset(int32_t new_id) {
  id = new_id;
  first_out = nullptr;
}

void NetworkNode::Clear() {
  id = kDeletedRecord;
  first_out = nullptr;
}

NetworkTransition* NetworkNode::FindOutgoing(int32_t label, bool) const {
  for (NetworkTransition* t = first_out; t; t = t->next_out) {
    if (t->label == label) return t;
  }
  return nullptr;
}

void NetworkNode::AddOutgoingFront(NetworkTransition* transition) {
  transition->next_out = first_out;
  first_out = transition;
}

void NetworkNode::AddOutgoingBack(NetworkTransition* transition) {
  transition->next_out = nullptr;
  NetworkTransition** link = &first_out;
  while (*link) link = &(*link)->next_out;
  *link = transition;
}

bool NetworkNode::UnlinkOutgoing(NetworkTransition* transition) {
  for (NetworkTransition** link = &first_out; *link; link = &(*link)->next_out) {
    if (*link == transition) {
      *link = transition->next_out;
      transition->next_out = nullptr;
      return true;
    }
  }
  return false;
}

bool NetworkNode::ReplaceOutgoing(NetworkTransition* transition, NetworkTransition* replacement) {
  for (NetworkTransition** link = &first_out; *link; link = &(*link)->next_out) {
    if (*link == transition) {
      replacement->next_out = transition->next_out;
      *link = replacement;
      transition->next_out = nullptr;
      return true;
    }
  }
  return false;
}

void NetworkNode::DumpHeader() const { LogPrint("Node: %d\n", id); }

void NetworkNode::DumpNode(const SymbolTable* words, const SymbolTable* units) const {
  DumpHeader();
  DumpOutgoing(words, units);
}

void NetworkNode::DumpOutgoing(const SymbolTable* words, const SymbolTable* units) const {
  for (const NetworkTransition* t = first_out; t; t = t->next_out) t->Dump(words, units);
}

void NetworkTransition::Reset(int32_t new_label) {
  label = new_label;
  source = nullptr;
  target = nullptr;
  next_out = nullptr;
  weight = 0;
}

void NetworkTransition::CopyFrom(const NetworkTransition& other) {
  label = other.label;
  weight = other.weight;
}

void NetworkTransition::Clear() { Reset(kDeletedRecord); }

void NetworkTransition::Dump(const SymbolTable* words, const SymbolTable* units) const {
  LogPrint("Transition: %s (%d -> %d, prob = %d)\n", GrammarLabelName(label, words, units),
           source ? source->id : -1, target ? target->id : -1, weight);
}

const char* GrammarLabelName(int32_t label, const SymbolTable* words, const SymbolTable* units) {
  const char* name = nullptr;
  if (label == kLabelEmpty) return "<>";
  if (label == kLabelFiller) return "<*>";
  if (IsNonterminal(label)) {
    if (units) name = units->GetName(NonterminalIndex(label));
  } else if (words && label >= 0) {
    name = words->GetName(label);
  }
  return name ? name : "??";
}

}  // namespace vok
