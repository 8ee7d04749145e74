#include "engine/core/grammar_network.h"

#include <cstring>

#include "engine/core/messages.h"

namespace vok {

void GrammarNetwork::Connect(NetworkNode* source, NetworkNode* target, NetworkTransition* transition,
                             int16_t weight) {
  transition->source = source;
  transition->target = target;
  transition->weight = weight;
  source->AddOutgoingBack(transition);
}

void GrammarNetwork::RemoveTransition(NetworkTransition* transition) {
  if (!transition || transition->label == kDeletedRecord) return;
  if (transition->source) transition->source->UnlinkOutgoing(transition);
  transition->Clear();
}

void GrammarNetwork::MergeNode(NetworkNode* from, NetworkNode* to) {
  if (!from || !to || from == to) return;
  const int transitions = TransitionCount();
  for (int i = 0; i < transitions; ++i) {
    NetworkTransition* t = TransitionAt(i);
    if (t && t->label != kDeletedRecord && t->target == from) t->target = to;
  }
  from->MergeInto(to);
}

void GrammarNetwork::CompactNodes() {
  const int count = NodeCount();
  int live = 0;
  for (int i = 0; i < count; ++i) {
    NetworkNode* node = NodeAt(i);
    if (node->id == kDeletedRecord) continue;
    if (live != i) {
      NetworkNode* place = NodeAt(live);
      place->Reset(live);
      MergeNode(node, place);
      if (start_ == node) start_ = place;
      if (end_ == node) end_ = place;
    } else {
      node->id = live;
    }
    ++live;
  }
  SetNodeCount(live);
}

void GrammarNetwork::CompactTransitions() {
  const int count = TransitionCount();
  int live = 0;
  for (int i = 0; i < count; ++i) {
    NetworkTransition* t = TransitionAt(i);
    if (t->label == kDeletedRecord) continue;
    if (live != i) {
      NetworkTransition* place = TransitionAt(live);
      place->Reset(t->label);
      place->CopyFrom(*t);
      place->source = t->source;
      place->target = t->target;
      RelinkMovedTransition(t, place);
      t->Clear();
    }
    ++live;
  }
  SetTransitionCount(live);
}

void GrammarNetwork::RelinkMovedTransition(NetworkTransition* transition, NetworkTransition* moved) {
  if (transition->source) transition->source->ReplaceOutgoing(transition, moved);
}

bool GrammarNetwork::SetName(const char* name) {
  const std::size_t length = name ? std::strlen(name) : 0;
  const std::size_t kept = length < kNetworkNameCapacity ? length : kNetworkNameCapacity - 1;
  if (kept) std::memcpy(name_, name, kept);
  name_[kept] = '\0';
  return kept == length;
}

void GrammarNetwork::Dump(const SymbolTable* words, const SymbolTable* units) const {
  const int count = NodeCount();
  for (int i = 0; i < count; ++i) {
    const NetworkNode* node = NodeAt(i);
    if (node && node->id != kDeletedRecord) node->DumpNode(words, units);
  }
}

}  // namespace vok
