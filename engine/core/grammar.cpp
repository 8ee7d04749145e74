#include "engine/core/grammar.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/grammar_word_token.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

// 0, 1 or 2 for "two or more" walks reaching each node from `from` along the
// live arcs (forward), or reaching `from` from each node (backward). Walks
// through a cycle count as many.
std::vector<int> WalkCounts(const GrammarUnit& unit, const NetworkNode* from, bool forward) {
  std::vector<int> counts(static_cast<std::size_t>(unit.NodeCount()), 0);
  counts[static_cast<std::size_t>(from->id)] = 1;
  bool moved = true;
  while (moved) {
    moved = false;
    std::vector<int> next(counts.size(), 0);
    next[static_cast<std::size_t>(from->id)] = 1;
    for (int i = 0; i < unit.TransitionCount(); ++i) {
      const UnitTransition* t = unit.Transition(i);
      if (t->label == kDeletedRecord) continue;
      const NetworkNode* a = forward ? t->source : t->target;
      const NetworkNode* b = forward ? t->target : t->source;
      int& sum = next[static_cast<std::size_t>(b->id)];
      sum = std::min(2, sum + counts[static_cast<std::size_t>(a->id)]);
    }
    if (next != counts) {
      counts.swap(next);
      moved = true;
    }
  }
  return counts;
}

}  // namespace

CGrammar::CGrammar(int block_limit, GrammarOwner* owner)
    : block_limit_(block_limit > 0 ? block_limit : kUnitPoolBlocksWithoutGrammar),
      words_(std::make_unique<SymbolTable>(kWordTableSize)),
      unit_names_(std::make_unique<SymbolTable>(kUnitNameTableSize)),
      owner_(owner),
      tokens_(kPhraseBlock, 12, true),
      phrases_(kPhraseBlock, 8, true) {
  if (owner_) lexicon_ = owner_->LexiconWords();
}

CGrammar::CGrammar(const char* name_or_path, int block_limit, GrammarOwner* owner, CGrammar* const* others)
    : CGrammar(block_limit, owner) {
  const char* name = name_or_path ? name_or_path : "";
  if (FileExists(name)) {
    ok_ = ReadFile(name);
    if (!ok_) MakeEmpty(name);
  } else {
    MakeEmpty(name);
  }
  for (CGrammar* const* other = others; other && *other; ++other) AddGrammar(**other);
}

CGrammar::CGrammar(NameOnly, const char* name, int block_limit, GrammarOwner* owner)
    : CGrammar(block_limit, owner) {
  MakeEmpty(name ? name : "");
}

CGrammar::~CGrammar() = default;

void CGrammar::MakeEmpty(const char* name) {
  for (auto& slot : units_) slot.reset();
  expanded_.reset();
  words_->Clear();
  unit_names_->Clear();
  unit_count_ = 0;
  std::string kept(name ? name : "");
  if (kept.size() > static_cast<std::size_t>(kMaxUnitNameLength)) kept.resize(kMaxUnitNameLength);
  unit_names_->AddNew(kept.c_str());
  StoreUnit(0, std::make_unique<GrammarUnit>(kept.c_str(), this, block_limit_));
}

bool CGrammar::ReadFile(const char* path) {
  char magic[kBinaryMagicLength] = {};
  std::FILE* stream = FileOpen(path, "rb");
  if (!stream) return false;
  const std::size_t got = FileRead(stream, magic, sizeof magic, RM_EOFBAD);
  FileClose(stream);
  if (got == sizeof magic && std::memcmp(magic, kBinaryMagic, sizeof magic) == 0) return ReadBinary(path);
  return ReadText(path);
}

const GrammarUnit* CGrammar::unit(int index) const {
  return index >= 0 && index < unit_count_ ? units_[index].get() : nullptr;
}

const char* CGrammar::GetUnitName(int index) const {
  if (index < 0 || index >= unit_names_->GetCount()) return nullptr;
  const char* name = unit_names_->GetName(index);
  return name ? name : "";
}

void CGrammar::AttachSegmenter(const SymbolTable* words, int max_length) {
  segmenter_words_ = words;
  segmenter_max_length_ = max_length;
}

bool CGrammar::StoreUnit(int index, std::unique_ptr<GrammarUnit> unit) {
  if (index < 0 || index >= kUnitSlots || !unit || !unit->start() || !unit->end()) return false;
  units_[index] = std::move(unit);
  if (index >= unit_count_) unit_count_ = index + 1;
  return true;
}

int CGrammar::UnitIndexForName(const char* name) {
  const int found = unit_names_->Find(name);
  if (found >= 0) return found < kUnitSlots ? found : -1;
  if (std::strlen(name) > static_cast<std::size_t>(kMaxUnitNameLength)) {
    LogPrint("Unit name too long: %.51s...\n", name);
    return -1;
  }
  if (unit_names_->GetCount() >= kUnitSlots) {
    LogPrint("No room for unit %s!\n", name);
    return -1;
  }
  return unit_names_->Add(name);
}

GrammarUnit* CGrammar::UnitForName(const char* name) {
  const int index = UnitIndexForName(name);
  if (index < 0) return nullptr;
  if (!units_[index] && !StoreUnit(index, std::make_unique<GrammarUnit>(name, this, block_limit_))) {
    return nullptr;
  }
  return units_[index].get();
}

bool CGrammar::MakeLabel(const char* text, int32_t* label) {
  const std::size_t length = std::strlen(text);
  if (std::strcmp(text, "<*>") == 0) {
    *label = kLabelFiller;
    return true;
  }
  if (length >= 2 && text[0] == '<' && text[length - 1] == '>') {
    const int index = UnitIndexForName(text);
    if (index < 0 || !UnitForName(text)) return false;
    *label = NonterminalLabel(index);
    return true;
  }
  if (length == 0 || length > static_cast<std::size_t>(kBodyTokenMaxLength)) {
    if (length) LogPrint("Token too long: %.40s...\n", text);
    return false;
  }
  const int id = words_->Add(text);
  if (id < 0) return false;
  *label = id;
  return true;
}

GrammarPhrase* CGrammar::NewPhrase() {
  GrammarPhrase* phrase = nullptr;
  const int id = phrases_.New(&phrase);
  if (id < 0 || !phrase) return nullptr;
  *phrase = GrammarPhrase();
  phrase->id = id;
  return phrase;
}

void CGrammar::FreePhrase(GrammarPhrase* phrase) {
  if (!phrase) return;
  for (GrammarToken* token = phrase->first; token;) {
    GrammarToken* next = token->next;
    tokens_.Delete(token->id);
    token = next;
  }
  const int id = phrase->id;
  *phrase = GrammarPhrase();
  phrases_.Delete(id);
}

int CGrammar::AppendToPhrase(GrammarPhrase* phrase, const char* text, int32_t flags) {
  if (!phrase || !text) return -1;
  int32_t label = 0;
  if (!MakeLabel(text, &label)) return -1;
  GrammarToken* token = nullptr;
  const int id = tokens_.New(&token);
  if (id < 0 || !token) return -1;
  *token = GrammarToken{label, nullptr, flags, id};
  GrammarToken** tail = &phrase->first;
  while (*tail) tail = &(*tail)->next;
  *tail = token;
  ++phrase->count;
  changed_ = true;
  return 0;
}

int CGrammar::AddItem(const char* text, int32_t flags) {
  GrammarUnit* top = units_[0].get();
  if (!top) return -1;
  if (!text) return -2;
  int32_t label = 0;
  if (!MakeLabel(text, &label)) return -2;
  GrammarToken token{label, nullptr, flags, -1};
  const GrammarPhrase phrase{1, &token, -1};
  changed_ = true;
  return top->AddPhrase(phrase) ? 0 : -1;
}

int CGrammar::AddPhraseToUnit(const char* unit_name, const GrammarPhrase* phrase) {
  if (!unit_name || !phrase) return -1;
  GrammarUnit* unit = UnitForName(unit_name);
  if (!unit) return -1;
  changed_ = true;
  return unit->AddPhrase(*phrase) ? 0 : -1;
}

int CGrammar::RemovePhrase(GrammarUnit* unit, const int32_t* labels, int count) {
  if (unit->FindPath(labels, count) != unit->end_node()) return 0;
  std::vector<NetworkTransition*> path;
  const NetworkNode* node = unit->start();
  for (int i = 0; i < count; ++i) {
    NetworkTransition* t = node->FindOutgoing(labels[i], false);
    path.push_back(t);
    node = t->target;
  }
  const std::vector<int> before = WalkCounts(*unit, unit->start(), true);
  const std::vector<int> after = WalkCounts(*unit, unit->end(), false);
  std::vector<NetworkTransition*> own;
  for (NetworkTransition* t : path) {
    if (before[static_cast<std::size_t>(t->source->id)] == 1 &&
        after[static_cast<std::size_t>(t->target->id)] == 1) {
      own.push_back(t);
    }
  }
  if (own.empty()) {
    LogPrint("Item shares all its arcs with other items; nothing removed\n");
    return 0;
  }
  for (NetworkTransition* t : own) unit->RemoveTransition(t);
  unit->CompactTransitions();
  unit->CompactNodes();
  changed_ = true;
  return 0;
}

int CGrammar::RemoveItem(const char* text) {
  GrammarUnit* top = units_[0].get();
  if (!top) return -1;
  if (!text) return -2;
  int32_t label = 0;
  if (!MakeLabel(text, &label)) return -2;
  return RemovePhrase(top, &label, 1);
}

int CGrammar::RemovePhraseFromUnit(const char* unit_name, const GrammarPhrase* phrase) {
  if (!unit_name || !phrase) return -1;
  GrammarUnit* unit = UnitForName(unit_name);
  if (!unit) return -1;
  std::vector<int32_t> labels;
  for (const GrammarToken* token = phrase->first; token; token = token->next) labels.push_back(token->label);
  if (labels.empty()) return 0;
  return RemovePhrase(unit, labels.data(), static_cast<int>(labels.size()));
}

int CGrammar::ClearUnit(const char* unit_name) {
  if (!unit_name) return -1;
  const int index = unit_names_->Find(unit_name);
  if (index < 0 || index >= kUnitSlots || !units_[index]) return -1;
  units_[index]->Clear();
  changed_ = true;
  return 0;
}

void CGrammar::RemoveUnusedSymbols() {
  const int word_count = words_->GetCount();
  std::vector<bool> used(static_cast<std::size_t>(word_count), false);
  bool any = false;
  for (int u = 0; u < unit_count_; ++u) {
    const GrammarUnit* unit = units_[u].get();
    if (!unit) continue;
    for (int i = 0; i < unit->TransitionCount(); ++i) {
      const int32_t label = unit->Transition(i)->label;
      if (label >= 0 && label < word_count) {
        used[static_cast<std::size_t>(label)] = true;
        any = true;
      }
    }
  }
  if (!any) return;
  auto rebuilt = std::make_unique<SymbolTable>(kWordTableSize);
  std::vector<int32_t> relabel(static_cast<std::size_t>(word_count), -1);
  for (int id = 0; id < word_count; ++id) {
    if (!used[static_cast<std::size_t>(id)]) continue;
    const char* name = words_->GetName(id);
    relabel[static_cast<std::size_t>(id)] = rebuilt->AddNew(name ? name : "");
  }
  for (int u = 0; u < unit_count_; ++u) {
    GrammarUnit* unit = units_[u].get();
    if (!unit) continue;
    for (int i = 0; i < unit->TransitionCount(); ++i) {
      UnitTransition* t = unit->Transition(i);
      if (t->label >= 0 && t->label < word_count) t->label = relabel[static_cast<std::size_t>(t->label)];
    }
  }
  words_ = std::move(rebuilt);
  changed_ = true;
}

int CGrammar::FindEmptyUnits(int32_t* list, int capacity) const {
  int total = 0;
  if (list && capacity > 0) list[0] = 0;
  auto note = [&](int index) {
    ++total;
    if (list && list[0] + 1 < capacity) list[++list[0]] = index;
  };
  for (int u = 0; u < unit_count_; ++u) {
    const GrammarUnit* unit = units_[u].get();
    if (!unit) continue;
    if (unit->TransitionCount() == 0) {
      note(u);
      continue;
    }
    for (int i = 0; i < unit->TransitionCount(); ++i) {
      const int32_t label = unit->Transition(i)->label;
      if (!IsNonterminal(label)) continue;
      const int index = NonterminalIndex(label);
      if (index >= unit_count_ || !units_[index]) {
        LogPrint("Found bad non terminal!\n");
        total += kFindEmptyBadUnit;
      } else if (units_[index]->TransitionCount() == 0) {
        note(index);
      }
    }
  }
  return total;
}

int CGrammar::AddGrammar(const CGrammar& other) {
  int result = 0;
  for (int id = 0; id < other.words_->GetCount(); ++id) {
    const char* name = other.words_->GetName(id);
    if (name && words_->Add(name) < 0) result = -1;
  }
  int added = 0;
  for (int id = 0; id < other.unit_names_->GetCount(); ++id) {
    const char* name = other.unit_names_->GetName(id);
    if (!name) continue;
    if (unit_names_->Find(name) >= 0) continue;
    if (UnitIndexForName(name) < 0) {
      result = -1;
      continue;
    }
    ++added;
  }
  if (added < other.unit_names_->GetCount()) LogPrint("\nName space overlap!\n");
  // Units first, so that the reference to the other's top unit finds it.
  for (int u = 0; u < other.unit_count_; ++u) {
    const GrammarUnit* from = other.units_[u].get();
    const char* name = other.unit_names_->GetName(u);
    if (!from || !name) continue;
    const int index = unit_names_->Find(name);
    if (index < 0 || index >= kUnitSlots || units_[index]) continue;
    auto copy = std::make_unique<GrammarUnit>(*from, this, block_limit_);
    if (!copy->complete()) {
      result = -1;
      continue;
    }
    for (int i = 0; i < copy->TransitionCount(); ++i) {
      UnitTransition* t = copy->Transition(i);
      int32_t mapped = t->label;
      if (IsNonterminal(t->label)) {
        const char* unit_name = other.unit_names_->GetName(NonterminalIndex(t->label));
        const int index_here = unit_name ? unit_names_->Find(unit_name) : -1;
        mapped = index_here >= 0 && index_here < kUnitSlots ? NonterminalLabel(index_here) : kDeletedRecord;
      } else if (t->label >= 0 && t->label < other.words_->GetCount()) {
        const char* word = other.words_->GetName(t->label);
        mapped = word ? words_->Find(word) : kDeletedRecord;
      }
      if (mapped == kDeletedRecord) {
        copy->RemoveTransition(t);
        result = -1;
      } else {
        t->label = mapped;
      }
    }
    copy->CompactTransitions();
    StoreUnit(index, std::move(copy));
  }
  const char* top_name = other.GetUnitName(0);
  if (top_name && *top_name && AddItem(top_name, 0) != 0) result = -1;
  changed_ = true;
  return result;
}

}  // namespace vok
