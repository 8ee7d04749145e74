#include "engine/core/unit_node.h"

#include "engine/core/messages.h"

namespace vok {

void UnitNode::MergeInto(NetworkNode* other) {
  if (other == this || !other) return;
  auto* unit = static_cast<UnitNode*>(other);
  for (UnitTransition* t = first_in; t;) {
    UnitTransition* next = t->next_in;
    t->target = unit;
    unit->AddIncomingBack(t);
    t = next;
  }
  first_in = nullptr;
  NetworkNode::MergeInto(other);
}

void UnitNode::Reset(int32_t new_id) {
  NetworkNode::Reset(new_id);
  first_in = nullptr;
}

void UnitNode::Clear() {
  NetworkNode::Clear();
  first_in = nullptr;
}

void UnitNode::DumpNode(const SymbolTable* words, const SymbolTable* units) const {
  NetworkNode::DumpNode(words, units);
  LogPrint("-----------------\n");
}

void UnitNode::AddIncomingFront(UnitTransition* transition) {
  transition->next_in = first_in;
  first_in = transition;
}

void UnitNode::AddIncomingBack(UnitTransition* transition) {
  transition->next_in = nullptr;
  UnitTransition** link = &first_in;
  while (*link) link = &(*link)->next_in;
  *link = transition;
}

UnitTransition* UnitNode::FindIncoming(int32_t label) const {
  for (UnitTransition* t = first_in; t; t = t->next_in) {
    if (t->label == label) return t;
  }
  return nullptr;
}

bool UnitNode::UnlinkIncoming(UnitTransition* transition) {
  for (UnitTransition** link = &first_in; *link; link = &(*link)->next_in) {
    if (*link == transition) {
      *link = transition->next_in;
      transition->next_in = nullptr;
      return true;
    }
  }
  return false;
}

bool UnitNode::ReplaceIncoming(UnitTransition* transition, UnitTransition* replacement) {
  for (UnitTransition** link = &first_in; *link; link = &(*link)->next_in) {
    if (*link == transition) {
      replacement->next_in = transition->next_in;
      *link = replacement;
      transition->next_in = nullptr;
      return true;
    }
  }
  return false;
}

void UnitNode::DumpLinks(const SymbolTable* words, const SymbolTable* units) const {
  int next = 0;
  for (const NetworkTransition* t = first_out; t; t = t->next_out) ++next;
  int previous = 0;
  for (const UnitTransition* t = first_in; t; t = t->next_in) ++previous;
  LogPrint("# Next: %d\n", next);
  LogPrint("# Prev: %d\n", previous);
  LogPrint("Next:\n");
  for (const NetworkTransition* t = first_out; t; t = t->next_out) t->Dump(words, units);
  LogPrint("Previous:\n");
  for (const UnitTransition* t = first_in; t; t = t->next_in) t->Dump(words, units);
  LogPrint("------------------\n");
}

void UnitTransition::Reset(int32_t new_label) {
  NetworkTransition::Reset(new_label);
  next_in = nullptr;
}

}  // namespace vok
