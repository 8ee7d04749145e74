#include "engine/SyllableLatticeEngine/pl_engine.h"

#include <algorithm>
#include <string>

#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/string_map.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

// Record sizes of the 32-bit product, for the memory figure.
constexpr int kTheoryBytes = 8;
constexpr int kEntryBytes = 6;
// A list of the product: a pointer array's record and 4 bytes a slot.
int64_t ListMemory(const std::vector<int>& list) { return 20 + 4 * static_cast<int64_t>(list.capacity()); }

constexpr int32_t kRoot = 0;

}  // namespace

CPLEngine::CPLEngine(const SymbolTable* syllables, const StringMap* keyboard, BackTraceTable* table,
                     int16_t frame_penalty, int16_t entry_penalty)
    : LatticeEngine(table),
      syllables_(syllables),
      keyboard_(keyboard),
      key_symbols_(std::make_unique<SymbolTable>(kKeySymbols)),
      frame_penalty_(frame_penalty),
      entry_penalty_(entry_penalty),
      theories_(kTheoryBlock, kTheoryBytes, true),
      entries_(kEntryBlock, kEntryBytes) {
  BuildKeyTree();
  CollectBelow();
  const int syllable_count = syllables_ ? syllables_->GetCount() : 0;
  entered_stamp_.assign(static_cast<std::size_t>(syllable_count), 0);
  entered_at_.assign(static_cast<std::size_t>(syllable_count), 0);
}

CPLEngine::~CPLEngine() = default;

std::vector<uint16_t> CPLEngine::SyllablesOf(int entry) const {
  std::vector<uint16_t> found;
  const char* keys = key_symbols_->GetName(entry);
  if (!keys || !syllables_) return found;
  const auto add = [&](const char* name) {
    const int id = syllables_->Find(name);
    if (id >= 0 && std::find(found.begin(), found.end(), id) == found.end())
      found.push_back(static_cast<uint16_t>(id));
  };
  // A key sequence that is itself a syllable name, then what the map lists.
  add(keys);
  if (keyboard_) {
    for (const StringMap::ValueLink* v = keyboard_->Lookup(keys); v; v = v->next) add(v->record->value);
  }
  return found;
}

void CPLEngine::BuildKeyTree() {
  std::vector<std::string> sequences;
  if (keyboard_) {
    keyboard_->ForEachKey([&](const StringMap::KeyEntry* key) {
      const std::string text(key->key, static_cast<std::size_t>(key->key_length));
      // The separator and the end key are no part of a key sequence.
      if (!text.empty() && text.find_first_of("\t\n") == std::string::npos) sequences.push_back(text);
    });
  }
  key_tree_ = std::make_unique<CLexTree>(static_cast<int>(sequences.size()), "", false);
  node_syllables_.clear();
  for (const std::string& text : sequences) {
    const int symbol = key_symbols_->Add(text.c_str());
    if (symbol < 0 || symbol != key_tree_->entry_count()) break;  // the table is full
    if (key_tree_->AddPron(text.c_str(), true, false) != symbol) break;
    const int leaf = key_tree_->GetLeaf(symbol);
    if (leaf < 0) continue;
    if (node_syllables_.size() <= static_cast<std::size_t>(leaf))
      node_syllables_.resize(static_cast<std::size_t>(leaf) + 1);
    for (uint16_t s : SyllablesOf(symbol)) {
      std::vector<uint16_t>& at = node_syllables_[static_cast<std::size_t>(leaf)];
      if (std::find(at.begin(), at.end(), s) == at.end()) at.push_back(s);
    }
  }
  separator_id_ = key_tree_->AddSyllable(std::string(1, kSeparatorKey).c_str());
  end_id_ = key_tree_->AddSyllable(std::string(1, kEndKey).c_str());
  for (int b = 0; b < 256; ++b) {
    const uint16_t id = key_tree_->FindSyllable(std::string(1, static_cast<char>(b)).c_str());
    key_ids_[b] = id == CLexTree::kNone ? -1 : id;
  }
  key_ids_[0] = end_id_;
  node_syllables_.resize(static_cast<std::size_t>(key_tree_->node_count()));
}

void CPLEngine::CollectBelow() {
  const int nodes = key_tree_->node_count();
  below_syllables_.assign(static_cast<std::size_t>(nodes), {});
  // Children have higher ids than their parents in a tree that only grew, so
  // one pass from the last node up gathers every subtree.
  for (int node = nodes - 1; node > kRoot; --node) {
    std::vector<uint16_t>& below = below_syllables_[static_cast<std::size_t>(node)];
    for (uint16_t s : node_syllables_[static_cast<std::size_t>(node)]) {
      if (std::find(below.begin(), below.end(), s) == below.end()) below.push_back(s);
    }
    const LexTreeNode* record = key_tree_->GetNode(node);
    if (record && record->parent > kRoot) {
      std::vector<uint16_t>& up = below_syllables_[static_cast<std::size_t>(record->parent)];
      for (uint16_t s : below) {
        if (std::find(up.begin(), up.end(), s) == up.end()) up.push_back(s);
      }
    }
  }
}

int CPLEngine::NewTheory(int32_t node, int start, int32_t score) {
  Theory* theory = nullptr;
  const int id = theories_.New(&theory);
  if (id < 0 || !theory) return -1;
  theory->node = node;
  theory->start = static_cast<int16_t>(start);
  theory->score = score;
  return id;
}

void CPLEngine::ReleaseTheories(std::vector<int>* theories) {
  for (int id : *theories) theories_.Delete(id);
  theories->clear();
}

int CPLEngine::StartUtterance() {
  LatticeEngine::StartUtterance();
  theories_.Clear();
  entries_.Clear();
  current_.clear();
  next_.clear();
  best_ = 0;
  complete_count_ = short_hand_count_ = 0;
  current_key_ = -1;
  finished_ = false;
  return 0;
}

int CPLEngine::FinishUtterance() {
  if (finished_) return 0;
  finished_ = true;
  AdvanceFrame();
  return LatticeEngine::FinishUtterance();
}

int CPLEngine::ProcessKey(uint8_t key) {
  if (finished_) return kEndOfKeys;
  if (key == 0) key = kEndKey;
  if (key >= 'a' && key <= 'z') key = static_cast<uint8_t>(key - 'a' + 'A');
  const int32_t id = key_ids_[key];
  if (id < 0) return kUnknownKey;
  if (id == end_id_ || frames() >= kMaxKeys) return kEndOfKeys;
  current_key_ = id;
  return ProcessInput();
}

int CPLEngine::ProcessString(const char* keys) {
  for (const char* p = keys ? keys : ""; *p; ++p) {
    if (ProcessKey(static_cast<uint8_t>(*p)) < 0) break;
  }
  return FinishUtterance();
}

void CPLEngine::StartTheory() {
  const int frame = frames();
  for (int id : current_) {
    const Theory* theory = theories_.Get(id);
    if (theory->node == kRoot && theory->start == frame) return;
  }
  const int id = NewTheory(kRoot, frame, best_);
  if (id >= 0) current_.push_back(id);
}

void CPLEngine::Advance() {
  next_.clear();
  for (int id : current_) {
    const Theory* theory = theories_.Get(id);
    const int child = key_tree_->FindChild(theory->node, static_cast<int>(current_key_));
    const int next = child >= 0 ? NewTheory(child, theory->start, theory->score) : -1;
    if (next >= 0) next_.push_back(next);
  }
  ReleaseTheories(&current_);
  std::swap(current_, next_);
}

int CPLEngine::EnterSyllables(Mode mode, int32_t extra) {
  int made = 0;
  for (std::size_t i = 0; i < current_.size(); ++i) {
    const Theory* theory = theories_.Get(current_[i]);
    // The root stands for no key: it completes nothing and abbreviates
    // nothing.
    if (theory->node == kRoot) continue;
    const auto& syllables = mode == Mode::kComplete
                                ? node_syllables_[static_cast<std::size_t>(theory->node)]
                                : below_syllables_[static_cast<std::size_t>(theory->node)];
    // One stamp per theory of the step, shared by both modes: a syllable is
    // entered once per start.
    const uint32_t stamp = stamp_ + static_cast<uint32_t>(i) + 1;
    const int32_t score = theory->score + entry_penalty_ + extra;
    for (uint16_t s : syllables) {
      if (entered_stamp_[s] == stamp) {
        Entry* earlier = entries_.Get(entered_at_[s]);
        earlier->score = std::max(earlier->score, score);
        continue;
      }
      Entry* entry = nullptr;
      const int id = entries_.New(&entry);
      if (id < 0 || !entry) {
        ErrorSet("CPLEngine::ProcessInput", -1, "errTooManySyllableEntries");
        return made;
      }
      *entry = Entry{s, theory->start, score};
      entered_stamp_[s] = stamp;
      entered_at_[s] = id;
      ++made;
    }
  }
  return made;
}

void CPLEngine::WriteEntries() {
  stamp_ += static_cast<uint32_t>(current_.size()) + 1;
  const int count = entries_.count();
  if (count == 0) {
    best_ = kEmptyScore;
    return;
  }
  int32_t best = entries_.Get(0)->score;
  for (int i = 1; i < count; ++i) best = std::max(best, entries_.Get(i)->score);
  // Scores stay relative to the step's best: the table needs only each
  // frame's relative scores, and absolute ones would run out of 16 bits after
  // some 140 syllables.
  for (int i = 0; i < count; ++i) {
    const Entry* entry = entries_.Get(i);
    if (table_) table_->AddRecord(entry->syllable, Saturate16(int64_t{entry->score} - best), entry->start);
  }
  for (int id : current_) theories_.Get(id)->score -= best;
  best_ = 0;
  entries_.Clear();
}

int CPLEngine::ProcessInput() {
  if (current_key_ == separator_id_) return ProcessSeparator();
  if (best_ > kEmptyScore) StartTheory();
  Advance();
  if (AdvanceFrame() < 0) return kEndOfKeys;
  best_ = kEmptyScore;
  complete_count_ = EnterSyllables(Mode::kComplete, 0);
  short_hand_count_ =
      short_hand_ ? EnterSyllables(Mode::kShortHand, complete_count_ != 0 ? frame_penalty_ : 0) : 0;
  WriteEntries();
  return kKeyTaken;
}

int CPLEngine::ProcessSeparator() {
  // Nothing typed since the last boundary (or since the start): there is
  // nothing to separate, and a frame without entries would cut the lattice.
  const bool typed = std::any_of(current_.begin(), current_.end(),
                                 [this](int id) { return theories_.Get(id)->node != kRoot; });
  if (!typed) return kKeyTaken;
  if (AdvanceFrame() < 0) return kEndOfKeys;
  best_ = kEmptyScore;
  complete_count_ = EnterSyllables(Mode::kComplete, 0);
  short_hand_count_ = complete_count_ == 0 && short_hand_ ? EnterSyllables(Mode::kShortHand, 0) : 0;
  WriteEntries();
  ReleaseTheories(&current_);
  if (best_ > kEmptyScore) StartTheory();
  return kKeyTaken;
}

int64_t CPLEngine::GetMemoryUsage() const {
  return key_tree_->GetMemoryUsage() + key_symbols_->MemoryUse() + (keyboard_ ? keyboard_->MemoryUse() : 0) +
         theories_.PoolMemoryUse() + ListMemory(current_) + ListMemory(next_) + kExtraMemory;
}

void CPLEngine::PrintHeader() const {
  LogPrint("\nCPLEngine header\n");
  LogPrint("---------------------------\n");
  LogPrint("%-12s    %d\n", "# Nodes:", key_tree_->node_count());
  LogPrint("%-12s    %d\n", "# Symbols:", key_symbols_->GetCount());
  LogPrint("%-12s    %d\n", "Frame penalty", frame_penalty_);
  LogPrint("%-12s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("--------------------------\n");
}

}  // namespace vok
