// The expanded network of a grammar: a copy of the top unit in which every
// nonterminal arc is replaced by a copy of its unit, pass after pass, and
// every grammar word is split into words of the lexicon.
#include <map>
#include <memory>
#include <vector>

#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/messages.h"
#include "engine/core/scoring.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

constexpr int kRecursionCount = 255;
constexpr int kSegmentIds = 200;

// Puts a copy of `unit` between the arc's source and target in place of the
// arc: the unit's start node stands for the source, its end node for the
// target; the arc's weight is added to every arc leaving the copied start.
bool InsertUnit(GrammarUnit* network, UnitTransition* arc, const GrammarUnit& unit) {
  std::vector<UnitNode*> nodes(static_cast<std::size_t>(unit.NodeCount()), nullptr);
  for (int i = 0; i < unit.NodeCount(); ++i) {
    const UnitNode* node = unit.Node(i);
    if (node->id == kDeletedRecord) continue;
    if (node == unit.start_node()) {
      nodes[static_cast<std::size_t>(i)] = static_cast<UnitNode*>(arc->source);
    } else if (node == unit.end_node()) {
      nodes[static_cast<std::size_t>(i)] = static_cast<UnitNode*>(arc->target);
    } else {
      nodes[static_cast<std::size_t>(i)] = static_cast<UnitNode*>(network->NewNode());
      if (!nodes[static_cast<std::size_t>(i)]) return false;
    }
  }
  const int16_t extra = arc->weight;
  for (int i = 0; i < unit.TransitionCount(); ++i) {
    const UnitTransition* t = unit.Transition(i);
    if (t->label == kDeletedRecord) continue;
    int weight = t->weight;
    if (t->source == unit.start()) weight += extra;
    if (weight > INT16_MAX) weight = INT16_MAX;
    if (weight < INT16_MIN) weight = INT16_MIN;
    if (!network->AddTransition(nodes[static_cast<std::size_t>(t->source->id)],
                                nodes[static_cast<std::size_t>(t->target->id)], t->label,
                                static_cast<int16_t>(weight))) {
      return false;
    }
  }
  network->RemoveTransition(arc);
  return true;
}

}  // namespace

GrammarUnit* CGrammar::GetNetwork() {
  if (!expanded_ || changed_) {
    expanded_.reset();
    expanded_ = Expand();
  }
  changed_ = false;
  return expanded_.get();
}

std::unique_ptr<GrammarUnit> CGrammar::Expand() {
  if (!units_[0]) return nullptr;
  auto network = std::make_unique<GrammarUnit>(*units_[0], this, block_limit_);
  if (!network->complete()) {
    LogPrint("Expanded network too large!\n");
    return nullptr;
  }
  std::vector<int> expansions(kUnitSlots, 0);
  for (bool replaced = true; replaced;) {
    replaced = false;
    const int arcs = network->TransitionCount();
    for (int i = 0; i < arcs; ++i) {
      UnitTransition* arc = network->Transition(i);
      if (!IsNonterminal(arc->label)) continue;
      const int index = NonterminalIndex(arc->label);
      if (index >= unit_count_ || !units_[index]) {
        const char* name = index < unit_names_->GetCount() ? unit_names_->GetName(index) : nullptr;
        LogPrint("Found bad non terminal %s!\n", name ? name : "??");
        return nullptr;
      }
      if (++expansions[static_cast<std::size_t>(index)] >= kRecursionCount) {
        LogPrint("Found recursive nonterm %s!\n", GetUnitName(index));
        return nullptr;
      }
      if (!InsertUnit(network.get(), arc, *units_[index])) {
        LogPrint("Expanded network too large!\n");
        return nullptr;
      }
      replaced = true;
    }
    if (replaced) network->CompactTransitions();
  }
  if (lexicon_ && lexicon_->GetCount() > 0 && !SegmentArcs(network.get())) {
    LogPrint("Expanded network too large!\n");
    return nullptr;
  }
  return network;
}

bool CGrammar::SegmentText(const char* text, uint16_t* ids, int capacity, int* count) {
  *count = 0;
  const int id = lexicon_->Find(text);
  if (id >= 0) {
    ids[0] = static_cast<uint16_t>(id);
    *count = 1;
    return true;
  }
  if (owner_) {
    *count = owner_->DecodeWordIds(text, ids, capacity);
    if (*count < 0 || *count > capacity) *count = 0;
  }
  if (*count == 0 && segmenter_words_) {
    std::vector<uint16_t> found(static_cast<std::size_t>(capacity) + 1, 0);
    SegmentWords(*segmenter_words_, segmenter_max_length_, text, found.data(), capacity + 1);
    *count = found[0] < capacity ? found[0] : capacity;
    for (int i = 0; i < *count; ++i) ids[i] = found[static_cast<std::size_t>(i) + 1];
  }
  if (*count > 0) return true;
  LogPrintEcho("Unable to segment %s\n", text);
  return false;
}

bool CGrammar::SegmentArcs(GrammarUnit* network) {
  std::map<int32_t, std::vector<uint16_t>> segmented;
  const int arcs = network->TransitionCount();
  for (int i = 0; i < arcs; ++i) {
    UnitTransition* arc = network->Transition(i);
    const int32_t label = arc->label;
    if (label == kDeletedRecord || label == kLabelEmpty || label == kLabelFiller) continue;
    auto known = segmented.find(label);
    if (known == segmented.end()) {
      const char* text = label >= 0 ? words_->GetName(label) : nullptr;
      uint16_t ids[kSegmentIds];
      int count = 0;
      if (!text || !SegmentText(text, ids, kSegmentIds, &count)) count = 0;
      known = segmented.emplace(label, std::vector<uint16_t>(ids, ids + count)).first;
    }
    const std::vector<uint16_t>& words = known->second;
    if (words.empty()) {
      network->RemoveTransition(arc);
      continue;
    }
    arc->label = words[0];
    if (words.size() == 1) continue;
    // A chain of new nodes; the last arc keeps the weight.
    auto* target = static_cast<UnitNode*>(arc->target);
    const int16_t weight = arc->weight;
    static_cast<UnitNode*>(arc->target)->UnlinkIncoming(arc);
    auto* node = static_cast<UnitNode*>(network->NewNode());
    if (!node) return false;
    arc->target = node;
    arc->weight = 0;
    node->AddIncomingBack(arc);
    for (std::size_t w = 1; w < words.size(); ++w) {
      UnitNode* next = target;
      if (w + 1 < words.size()) {
        next = static_cast<UnitNode*>(network->NewNode());
        if (!next) return false;
      }
      if (!network->AddTransition(node, next, words[w], w + 1 < words.size() ? 0 : weight)) return false;
      node = next;
    }
  }
  network->CompactTransitions();
  return true;
}

}  // namespace vok
