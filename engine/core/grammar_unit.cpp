#include "engine/core/grammar_unit.h"

#include "engine/core/grammar_phrase.h"
#include "engine/core/grammar_word_token.h"

namespace vok {

GrammarUnit::GrammarUnit(CGrammar* grammar, int max_blocks)
    : grammar_(grammar),
      nodes_(kUnitNodeBlock, 16, false, max_blocks),
      transitions_(kUnitTransitionBlock, 24, false, max_blocks) {
  MakeStartAndEnd();
}

GrammarUnit::GrammarUnit(const char* name, CGrammar* grammar, int max_blocks)
    : GrammarUnit(grammar, max_blocks) {
  SetName(name);
}

GrammarUnit::GrammarUnit(const GrammarUnit& unit) : GrammarUnit(unit, unit.grammar_, unit.max_blocks()) {}

GrammarUnit::GrammarUnit(const GrammarUnit& unit, CGrammar* grammar, int max_blocks)
    : GrammarUnit(unit.name(), grammar, max_blocks) {
  complete_ = false;
  while (node_count_ < unit.node_count_) {
    if (!NewNode()) return;
  }
  for (int i = 0; i < unit.node_count_; ++i) {
    if (unit.Node(i)->id == kDeletedRecord) Node(i)->Clear();
  }
  for (int i = 0; i < unit.transition_count_; ++i) {
    const UnitTransition* from = unit.Transition(i);
    NetworkTransition* to = NewTransition(from->label);
    if (!to) return;
    if (from->label == kDeletedRecord) continue;
    Connect(Node(from->source->id), Node(from->target->id), to, from->weight);
  }
  complete_ = start() && end();
}

bool GrammarUnit::MakeStartAndEnd() {
  NetworkNode* start = NewNode();
  NetworkNode* end = NewNode();
  set_start(start);
  set_end(end);
  return start && end;
}

void GrammarUnit::Connect(NetworkNode* source, NetworkNode* target, NetworkTransition* transition,
                          int16_t weight) {
  GrammarNetwork::Connect(source, target, transition, weight);
  static_cast<UnitNode*>(target)->AddIncomingBack(static_cast<UnitTransition*>(transition));
}

NetworkNode* GrammarUnit::NewNode() {
  UnitNode* node = nullptr;
  const int id = nodes_.New(&node);
  if (id < 0) return nullptr;
  node->Reset(id);
  node_count_ = nodes_.count();
  return node;
}

NetworkTransition* GrammarUnit::NewTransition(int32_t label) {
  UnitTransition* transition = nullptr;
  if (transitions_.New(&transition) < 0) return nullptr;
  transition->Reset(label);
  transition_count_ = transitions_.count();
  return transition;
}

NetworkNode* GrammarUnit::NodeAt(int index) const {
  return index >= 0 && index < node_count_ ? nodes_.Get(index) : nullptr;
}

NetworkTransition* GrammarUnit::TransitionAt(int index) const {
  return index >= 0 && index < transition_count_ ? transitions_.Get(index) : nullptr;
}

void GrammarUnit::SetNodeCount(int count) {
  // The pool hands out ids densely; dropping the tail means handing it out anew.
  if (nodes_.count() > count) {
    nodes_.Clear();
    for (int i = 0; i < count; ++i) nodes_.New(nullptr);
  }
  node_count_ = count;
}

void GrammarUnit::SetTransitionCount(int count) {
  if (transitions_.count() > count) {
    transitions_.Clear();
    for (int i = 0; i < count; ++i) transitions_.New(nullptr);
  }
  transition_count_ = count;
}

void GrammarUnit::RemoveTransition(NetworkTransition* transition) {
  if (!transition || transition->label == kDeletedRecord) return;
  if (transition->target) {
    static_cast<UnitNode*>(transition->target)->UnlinkIncoming(static_cast<UnitTransition*>(transition));
  }
  GrammarNetwork::RemoveTransition(transition);
}

bool GrammarUnit::Clear() {
  nodes_.Clear();
  transitions_.Clear();
  node_count_ = 0;
  transition_count_ = 0;
  return MakeStartAndEnd();
}

void GrammarUnit::RelinkMovedTransition(NetworkTransition* transition, NetworkTransition* moved) {
  GrammarNetwork::RelinkMovedTransition(transition, moved);
  if (transition->target) {
    static_cast<UnitNode*>(transition->target)
        ->ReplaceIncoming(static_cast<UnitTransition*>(transition), static_cast<UnitTransition*>(moved));
  }
}

UnitTransition* GrammarUnit::AddTransition(UnitNode* source, UnitNode* target, int32_t label,
                                           int16_t weight) {
  NetworkTransition* transition = NewTransition(label);
  if (!transition) return nullptr;
  Connect(source, target, transition, weight);
  return static_cast<UnitTransition*>(transition);
}

UnitTransition* GrammarUnit::AddPath(const int32_t* labels, int count, UnitNode* source, UnitNode* target) {
  UnitTransition* last = nullptr;
  UnitNode* from = source;
  for (int i = 0; i < count; ++i) {
    UnitNode* to = target;
    if (i + 1 < count) {
      to = static_cast<UnitNode*>(NewNode());
      if (!to) return nullptr;
    }
    last = AddTransition(from, to, labels[i], 0);
    if (!last) return nullptr;
    from = to;
  }
  return last;
}

namespace {

bool HasSelfLoop(const NetworkNode* node, int32_t label) {
  for (const NetworkTransition* t = node->first_out; t; t = t->next_out) {
    if (t->label == label && t->target == node) return true;
  }
  return false;
}

}  // namespace

UnitTransition* GrammarUnit::AddFlaggedTransition(UnitNode* source, UnitNode* target, int32_t label,
                                                  int16_t weight, int32_t flags) {
  UnitTransition* labelled = nullptr;
  if (flags & kTokenRepeated) {
    auto* loop = static_cast<UnitNode*>(NewNode());
    if (!loop) return nullptr;
    labelled = AddTransition(source, loop, label, weight);
    if (!labelled || !AddTransition(loop, loop, label, 0) || !AddTransition(loop, target, kLabelEmpty, 0)) {
      return nullptr;
    }
  } else {
    labelled = AddTransition(source, target, label, weight);
    if (!labelled) return nullptr;
  }
  if ((flags & kTokenOptional) && !AddTransition(source, target, kLabelEmpty, 0)) return nullptr;
  if ((flags & kTokenFillerInstead) && !AddTransition(source, target, kLabelFiller, 0)) return nullptr;
  if (flags & kTokenFillerAround) {
    for (UnitNode* node : {source, target}) {
      if (!HasSelfLoop(node, kLabelFiller) && !AddTransition(node, node, kLabelFiller, 0)) return nullptr;
    }
  }
  return labelled;
}

bool GrammarUnit::AddPhrase(const GrammarPhrase& phrase) {
  if (phrase.count <= 0 || !phrase.first) return false;
  UnitNode* from = start_node();
  for (const GrammarToken* token = phrase.first; token; token = token->next) {
    UnitNode* to = end_node();
    if (token->next) {
      to = static_cast<UnitNode*>(NewNode());
      if (!to) return false;
    }
    if (!AddFlaggedTransition(from, to, token->label, 0, token->flags)) return false;
    from = to;
  }
  return true;
}

UnitNode* GrammarUnit::FindPath(const int32_t* labels, int count) const {
  NetworkNode* node = start();
  for (int i = 0; i < count && node; ++i) {
    NetworkTransition* t = node->FindOutgoing(labels[i], false);
    node = t ? t->target : nullptr;
  }
  return static_cast<UnitNode*>(node);
}

bool GrammarUnit::RemovePath(const int32_t* labels, int count) {
  if (!FindPath(labels, count)) return false;
  NetworkNode* node = start();
  for (int i = 0; i < count; ++i) {
    NetworkTransition* t = node->FindOutgoing(labels[i], false);
    node = t->target;
    RemoveTransition(t);
  }
  return true;
}

}  // namespace vok
