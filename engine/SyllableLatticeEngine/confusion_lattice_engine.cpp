#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"

#include <algorithm>
#include <vector>

#include "engine/core/back_trace_table.h"
#include "engine/core/lexicon.h"
#include "engine/core/log_score.h"
#include "engine/core/string_map.h"

namespace vok {

namespace {

// Which positions of the text begin a character (a byte of 0x80 or more leads
// a two-byte character); the entry at the length tells whether the text ends
// on a whole character.
std::vector<bool> CharacterStarts(const char* text, int length) {
  std::vector<bool> starts(static_cast<std::size_t>(length) + 1, false);
  int pos = 0;
  while (pos < length) {
    starts[static_cast<std::size_t>(pos)] = true;
    pos += static_cast<uint8_t>(text[pos]) >= 0x80 ? 2 : 1;
  }
  starts[static_cast<std::size_t>(length)] = pos == length;
  return starts;
}

}  // namespace

ConfusionLatticeEngine::ConfusionLatticeEngine(BackTraceTable* table, const CLexicon* lexicon,
                                               const char* confusion_file)
    : WordLatticeEngine(table, lexicon),
      map_(confusion_file ? std::make_unique<StringMap>(confusion_file, kMapCapacity)
                          : std::make_unique<StringMap>(kMapCapacity)) {}

ConfusionLatticeEngine::~ConfusionLatticeEngine() = default;

void ConfusionLatticeEngine::RebuildPrefixes() {
  prefixes_.clear();
  longest_word_ = 0;
  const int entries = lexicon_->entry_count();
  for (int id = 0; id < entries; ++id) {
    const char* word = lexicon_->WordIDToString(id);
    if (!word) continue;
    const std::string text(word);
    longest_word_ = std::max(longest_word_, static_cast<int>(text.size()));
    for (std::size_t n = 1; n <= text.size(); ++n) prefixes_.insert(text.substr(0, n));
  }
  prefix_entries_ = entries;
}

bool ConfusionLatticeEngine::MayGrow(const std::string& prefix) const { return prefixes_.count(prefix) != 0; }

void ConfusionLatticeEngine::Offer(const std::string& text, int score) {
  const uint16_t word = lexicon_->StringToWordID(text.c_str());
  if (word == CLexicon::kNoWord) return;
  auto [it, inserted] = offered_.emplace(word, score);
  if (!inserted) it->second = std::max(it->second, score);
}

// Only strings that lead to a lexicon word are built: a value must follow a
// leading part of a word, a key is at most as long as the longest key, and an
// offered text at most as long as the longest word. The entries are those of
// the unpruned rules.
void ConfusionLatticeEngine::Replace(int from, int end, const std::string& prefix, int score) {
  const int length = end - from;
  const int prefix_length = static_cast<int>(prefix.size());
  if (length <= longest_key_) {
    const std::string whole(buffer_ + from, buffer_ + end);
    for (const StringMap::ValueLink* v = map_->Lookup(whole.c_str()); v; v = v->next) {
      Offer(prefix + v->record->value, score + v->record->count);
    }
  }
  for (int k = 2; k < length; k += 2) {
    const bool head_may_be_key = k <= longest_key_;
    const bool tail_may_be_key = length - k <= longest_key_;
    if (!head_may_be_key && !tail_may_be_key) {
      // Skip to the first offset whose tail may be a key.
      k = std::max(k, ((length - longest_key_) / 2) * 2 - 2);
      continue;
    }
    const std::string head(buffer_ + from, buffer_ + from + k);
    const StringMap::ValueLink* head_values = head_may_be_key ? map_->Lookup(head.c_str()) : nullptr;
    const StringMap::ValueLink* tail_values = nullptr;
    if (tail_may_be_key) tail_values = map_->Lookup(std::string(buffer_ + from + k, buffer_ + end).c_str());
    for (const StringMap::ValueLink* v = head_values; v; v = v->next) {
      const std::string grown = prefix + v->record->value;
      if (static_cast<int>(grown.size()) + length - k <= longest_word_ && MayGrow(grown)) {
        Offer(grown + std::string(buffer_ + from + k, buffer_ + end), score + v->record->count);
      }
    }
    if (tail_values && prefix_length + k <= longest_word_ && MayGrow(prefix + head)) {
      for (const StringMap::ValueLink* v = tail_values; v; v = v->next) {
        Offer(prefix + head + v->record->value, score + v->record->count);
      }
    }
    if (!head_values || !tail_values) continue;
    for (const StringMap::ValueLink* v = head_values; v; v = v->next) {
      const std::string grown = prefix + v->record->value;
      if (MayGrow(grown)) Replace(from + k, end, grown, score + v->record->count);
    }
  }
}

void ConfusionLatticeEngine::ReplaceWhole(int from, int end, const std::string& prefix, int score) {
  const int length = end - from;
  if (length <= longest_key_) {
    const std::string whole(buffer_ + from, buffer_ + end);
    for (const StringMap::ValueLink* v = map_->Lookup(whole.c_str()); v; v = v->next) {
      Offer(prefix + v->record->value, score + v->record->count);
    }
  }
  for (int k = 2; k < length && k <= longest_key_; k += 2) {
    const std::string head(buffer_ + from, buffer_ + from + k);
    for (const StringMap::ValueLink* v = map_->Lookup(head.c_str()); v; v = v->next) {
      const std::string grown = prefix + v->record->value;
      if (MayGrow(grown)) ReplaceWhole(from + k, end, grown, score + v->record->count);
    }
  }
}

int ConfusionLatticeEngine::ProcessInput() {
  if (AppendCurrent() < 0) return -1;
  if (!lexicon_) return 0;
  if (prefix_entries_ != lexicon_->entry_count()) RebuildPrefixes();
  if (key_count_ != map_->key_count()) {
    longest_key_ = 0;
    map_->ForEachKey(
        [this](const StringMap::KeyEntry* key) { longest_key_ = std::max(longest_key_, key->key_length); });
    key_count_ = map_->key_count();
  }
  const int n = length_;
  const std::vector<bool> starts = CharacterStarts(buffer_, n);
  // A frame inside a character ends no word that a path could use.
  if (!starts[static_cast<std::size_t>(n)]) return 0;
  for (int s = 0; s < n; ++s) {
    if (!starts[static_cast<std::size_t>(s)]) continue;
    offered_.clear();
    if (values_only_) {
      ReplaceWhole(s, n, std::string(), 0);
    } else {
      if (n - s <= longest_word_) Offer(std::string(buffer_ + s, buffer_ + n), 0);
      Replace(s, n, std::string(), 0);
    }
    for (const auto& [word, score] : offered_) AddEntry(word, Saturate16(score), s);
  }
  return 0;
}

int64_t ConfusionLatticeEngine::GetMemoryUsage() const { return map_->MemoryUse() + kMemoryUsage; }

void ConfusionLatticeEngine::PrintHeaderTo(std::FILE* stream) const {
  if (!stream) return;
  static const char kRule[] = "-------------------------------------------------\n";
  std::fprintf(stream, "\nLattice engine header\n%s", kRule);
  std::fprintf(stream, "%-35s  %d\n", "Confusion memory:", static_cast<int>(map_->MemoryUse()));
  std::fprintf(stream, "%-35s  %d\n", "Total memory:", static_cast<int>(GetMemoryUsage()));
  std::fprintf(stream, "%s", kRule);
}

}  // namespace vok
