// Building the command search network: grammar networks, lexicon paths,
// items, filler, out-of-grammar and silence loops.
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/lex_tree.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"

namespace vok {

namespace {

// Count-first lists of syllables and of their models.
constexpr int kMaxPathSyllables = 64;
constexpr int kMaxPathModels = 256;

bool IsFillerSyllable(const char* name) {
  const std::size_t length = name ? std::strlen(name) : 0;
  return length > 0 && name[length - 1] == '1';
}

}  // namespace

NetTransition* NetSearchEngine::AddTransition(NetNode* from, NetNode* to, int32_t model, int32_t label,
                                              int16_t weight) {
  auto* transition = static_cast<NetTransition*>(NewTransition(model));
  if (!transition) return nullptr;
  transition->item = label;
  Connect(from, to, transition, weight);
  return transition;
}

NetTransition* NetSearchEngine::AddModelPath(NetNode* from, NetNode* to, const uint16_t* models,
                                             int32_t label, int16_t weight) {
  const int count = models[0];
  if (count <= 0) return nullptr;
  std::vector<NetTransition*> made;
  made.reserve(static_cast<std::size_t>(count));
  NetNode* source = from;
  for (int i = 0; i < count; ++i) {
    const bool last = i == count - 1;
    NetNode* target = last ? to : static_cast<NetNode*>(NewNode());
    NetTransition* transition =
        target ? AddTransition(source, target, models[i + 1], last ? label : kNetNoItem, last ? weight : 0)
               : nullptr;
    if (!transition) {
      for (NetTransition* t : made) RemoveTransition(t);
      return nullptr;
    }
    made.push_back(transition);
    source = target;
  }
  return made.back();
}

bool NetSearchEngine::SyllablesToModels(const uint16_t* syllables, uint16_t* models, int capacity) const {
  if (!acoustic_.complete() || acoustic_.syllables->SyllablesToModels(syllables, models, capacity) != 0) {
    return false;
  }
  // A syllable table spelled over another model set would name models the
  // database cannot score.
  for (int i = 1; i <= models[0]; ++i) {
    if (models[i] >= model_count_) return false;
  }
  return models[0] > 0;
}

bool NetSearchEngine::TreeSyllablesToModels(const CLexTree& tree, const uint16_t* syllables, uint16_t* models,
                                            int capacity) const {
  if (!acoustic_.complete()) return false;
  const SymbolTable* names = acoustic_.syllables->syllables();
  uint16_t mapped[kMaxPathSyllables + 1];
  if (syllables[0] > kMaxPathSyllables || !names) return false;
  mapped[0] = syllables[0];
  for (int i = 1; i <= syllables[0]; ++i) {
    const char* name = tree.GetSyllableName(syllables[i]);
    const int id = name ? names->Find(name) : -1;
    if (id < 0) return false;
    mapped[i] = static_cast<uint16_t>(id);
  }
  return SyllablesToModels(mapped, models, capacity);
}

int16_t NetSearchEngine::ScaledWeight(int16_t weight) const {
  const double scaled = static_cast<double>(weight) * settings_.grammar_weight();
  if (!std::isfinite(scaled)) return 0;
  return Saturate16(static_cast<int64_t>(std::trunc(scaled)));
}

int NetSearchEngine::AddFillerLoopsAt(NetNode* node) {
  if (!acoustic_.complete() || !node) return -1;
  const SymbolTable* names = acoustic_.syllables->syllables();
  const int count = acoustic_.syllables->syllable_count();
  for (int s = 0; s < count; ++s) {
    if (!IsFillerSyllable(names->GetName(s))) continue;
    const uint16_t syllable[2] = {1, static_cast<uint16_t>(s)};
    uint16_t models[kMaxPathModels + 1];
    if (!SyllablesToModels(syllable, models, kMaxPathModels + 1)) continue;
    if (!AddModelPath(node, node, models, kLabelFiller, 0)) return -1;
  }
  return 0;
}

int NetSearchEngine::AddFillerLoops() {
  if (!start()) return -1;
  if (AddFillerLoopsAt(start_node()) != 0) return -1;
  return AddFillerLoopsAt(end_node());
}

int NetSearchEngine::AddRejectionPath(NetNode* from, NetNode* to, int16_t weight) {
  if (!start()) return -1;
  if (!from) from = start_node();
  if (!to) to = end_node();
  auto* rejection = static_cast<NetNode*>(NewNode());
  if (!rejection) return -1;
  NetTransition* into = AddTransition(from, rejection, kNetEmptyModel, kNetNoItem, weight);
  if (!into) return -1;
  NetTransition* out = AddTransition(rejection, to, kNetEmptyModel, kLabelRejection, 0);
  if (!out) {
    RemoveTransition(into);
    return -1;
  }
  return AddFillerLoopsAt(rejection);
}

int NetSearchEngine::AddSilenceLoops(int n) {
  if (!start() || !acoustic_.database) return -1;
  const int silence = acoustic_.database->get_HMMIndex(kSilenceModel);
  if (silence < 0 || silence >= kNetEmptyModel) {
    WarningMessage("NetSearchEngine::AddSilenceLoops: no model \"%s\", no silence loops", kSilenceModel);
    return -1;
  }
  const int count = n <= 0 || n > node_count_ ? node_count_ : n;
  for (int i = 0; i < count; ++i) {
    NetNode* node = Node(i);
    if (node->id == kDeletedRecord) continue;
    if (!AddTransition(node, node, silence, kLabelSilence, 0)) return -1;
  }
  return 0;
}

int NetSearchEngine::AddItemPron(const char* text, int id, int with_silence) {
  if (!start() || !acoustic_.complete() || !text || id < 0 || id > kMaxItemId) return -1;
  uint16_t syllables[kMaxPathSyllables + 1];
  if (acoustic_.syllables->PronToSyllables(text, syllables, kMaxPathSyllables + 1) != 0) return -1;
  uint16_t models[kMaxPathModels + 1];
  if (!SyllablesToModels(syllables, models, kMaxPathModels)) return -1;
  if (with_silence) {
    const int silence = acoustic_.database->get_HMMIndex(kSilenceModel);
    if (silence < 0 || silence >= kNetEmptyModel) {
      WarningMessage("NetSearchEngine::AddItemPron: no model \"%s\"", kSilenceModel);
      return -1;
    }
    models[++models[0]] = static_cast<uint16_t>(silence);
  }
  return AddModelPath(start_node(), end_node(), models, kItemLabelBase + id, 0) ? 0 : -1;
}

NetTransition* NetSearchEngine::FindItem(int id) const {
  if (id < 0 || id > kMaxItemId) return nullptr;
  for (int i = 0; i < transition_count_; ++i) {
    NetTransition* t = Transition(i);
    if (t->label != kDeletedRecord && t->item == kItemLabelBase + id) return t;
  }
  return nullptr;
}

int NetSearchEngine::RemoveItem(int id) {
  NetTransition* item = FindItem(id);
  if (!item) return -1;
  // A removed item leads nowhere: its exits could otherwise bring the end
  // node a better score with no label and hide the items that did match.
  item->item = kNetNoItem;
  item->target = nullptr;
  return 0;
}

int NetSearchEngine::EnableItem(int id) {
  NetTransition* item = FindItem(id);
  if (!item) return -1;
  item->target = end();
  return 0;
}

int NetSearchEngine::DisableItem(int id) {
  NetTransition* item = FindItem(id);
  if (!item) return -1;
  item->target = nullptr;
  return 0;
}

int NetSearchEngine::AddWordPath(NetNode* from, NetNode* to, int32_t word, int16_t weight,
                                 const CLexTree& tree) {
  if (word < 0 || word > kMaxItemId) {
    WarningMessage("NetSearchEngine::BuildNetwork: label %d is no word, arc dropped", static_cast<int>(word));
    return 1;
  }
  const int leaf = tree.GetLeaf(word);
  uint16_t syllables[kMaxPathSyllables + 1];
  uint16_t models[kMaxPathModels + 1];
  if (leaf < 0 || tree.GetPathSyllables(leaf, syllables, kMaxPathSyllables + 1) < 0 || syllables[0] == 0) {
    WarningMessage("NetSearchEngine::BuildNetwork: word %d has no pronunciation, arc dropped",
                   static_cast<int>(word));
    return 1;
  }
  if (!TreeSyllablesToModels(tree, syllables, models, kMaxPathModels + 1)) {
    WarningMessage("NetSearchEngine::BuildNetwork: word %d has unknown syllables, arc dropped",
                   static_cast<int>(word));
    return 1;
  }
  return AddModelPath(from, to, models, kItemLabelBase + word, weight) ? 0 : -1;
}

int NetSearchEngine::BuildNetwork(const GrammarUnit& network, const CLexTree& tree) {
  if (ClearNetwork() != 0 || !acoustic_.complete()) return -1;
  SetName(network.name());
  const int nodes = network.NodeCount();
  while (node_count_ < nodes) {
    if (!NewNode()) return -1;
  }
  int words = 0;
  for (int i = 0; i < nodes; ++i) {
    const NetworkNode* node = network.NodeAt(i);
    if (!node || node->id == kDeletedRecord) continue;
    for (const NetworkTransition* arc = node->first_out; arc; arc = arc->next_out) {
      if (arc->label == kDeletedRecord || !arc->target || arc->target->id < 0 || arc->target->id >= nodes)
        continue;
      NetNode* from = Node(i);
      NetNode* to = Node(arc->target->id);
      const int16_t weight = ScaledWeight(arc->weight);
      int result = 0;
      if (arc->label == kLabelFiller) {
        result = AddRejectionPath(from, to, weight);
      } else if (arc->label == kLabelEmpty) {
        result = AddTransition(from, to, kNetEmptyModel, kNetNoItem, weight) ? 0 : -1;
      } else {
        result = AddWordPath(from, to, arc->label, weight, tree);
        if (result == 0) ++words;
      }
      if (result < 0) {
        ErrorMessage("NetSearchEngine::BuildNetwork: out of network memory");
        return -1;
      }
    }
  }
  if (words == 0) {
    ErrorMessage("NetSearchEngine::BuildNetwork: network \"%s\" has no word path", name());
    return -1;
  }
  AddSilenceLoops(nodes);
  return 0;
}

int NetSearchEngine::BuildLexiconNetwork(const CLexTree& tree) {
  if (!acoustic_.complete()) return -1;
  uint16_t syllables[kMaxPathSyllables + 1];
  uint16_t models[kMaxPathModels + 1];
  for (int n = 1; n < tree.node_count(); ++n) {
    const LexTreeNode* node = tree.GetNode(n);
    if (!node || node->links < 0) continue;
    bool spelled = false;
    for (int link = node->links; link >= 0; link = tree.GetNextLink(link)) {
      const int entry = tree.GetLinkEntry(link);
      if (entry <= 2 || entry >= tree.entry_count()) continue;
      if (!spelled) {
        spelled = tree.GetPathSyllables(n, syllables, kMaxPathSyllables + 1) >= 0 &&
                  TreeSyllablesToModels(tree, syllables, models, kMaxPathModels + 1);
        if (!spelled) break;
      }
      if (!AddModelPath(start_node(), end_node(), models, entry, 0)) return -1;
    }
  }
  AddSilenceLoops(1);
  return 0;
}

}  // namespace vok
