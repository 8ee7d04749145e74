#include "engine/core/net_node.h"

#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

namespace vok {

void NetNode::Reset(int32_t new_id) {
  NetworkNode::Reset(new_id);
  score = kNetUnscored;
  back_trace = -1;
}

NetworkTransition* NetNode::FindOutgoing(int32_t label, bool flag) const {
  for (NetworkTransition* t = first_out; t; t = t->next_out) {
    if (t->label != label) continue;
    if (flag && static_cast<const NetTransition*>(t)->item != kNetNoItem) continue;
    return t;
  }
  return nullptr;
}

void NetTransition::Reset(int32_t model) {
  NetworkTransition::Reset(model);
  item = kNetNoItem;
  hmm = nullptr;
}

void NetTransition::CopyFrom(const NetworkTransition& other) {
  NetworkTransition::CopyFrom(other);
  if (const auto* net = dynamic_cast<const NetTransition*>(&other)) item = net->item;
}

void NetTransition::Dump(const SymbolTable* models, const SymbolTable*) const {
  const char* name = nullptr;
  if (label == kNetEmptyModel) {
    name = "<>";
  } else if (label == kLabelFiller) {
    name = "<*>";
  } else if (models) {
    name = models->GetName(label);
  }
  LogPrint("Transition: %s (%d -> %d)", name ? name : "??", source ? source->id : -1,
           target ? target->id : -1);
  if (item != kNetNoItem) LogPrint(" Word = %d", item - 0x10000);
  if (weight != 0) LogPrint(" Prob = %d", weight);
  LogPrint("\n");
}

}  // namespace vok
