#include "engine/SyllableLatticeEngine/word_lattice_engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/back_trace_table.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"

namespace vok {

namespace {

struct ClassToken {
  const char* text;
  uint16_t word;
};

constexpr ClassToken kClassTokens[] = {
    {"<UNK>", WordLatticeEngine::kUnknownWord}, {"<PERSON>", WordLatticeEngine::kPersonWord},
    {"<PLACE>", WordLatticeEngine::kPlaceWord}, {"<ORGANIZATION>", WordLatticeEngine::kOrganizationWord},
    {"<IDIOM>", WordLatticeEngine::kIdiomWord}, {"<DATE>", WordLatticeEngine::kDateWord},
    {"<TIME>", WordLatticeEngine::kTimeWord},
};

// A decimal word id below 65535, or -1.
int ParseWordId(const char* text) {
  if (!text || !*text) return -1;
  char* end = nullptr;
  const long id = std::strtol(text, &end, 10);
  if (*end != '\0' || id < 0 || id >= 65535) return -1;
  return static_cast<int>(id);
}

}  // namespace

WordLatticeEngine::WordLatticeEngine(BackTraceTable* table, const CLexicon* lexicon)
    : LatticeEngine(table), lexicon_(lexicon) {}

int WordLatticeEngine::FinishUtterance() {
  AdvanceFrame();
  return LatticeEngine::FinishUtterance();
}

int WordLatticeEngine::ReadOptions(const Resources& resources) {
  int value = 0;
  if (resources.GetInt("Search", "MinNewWordTransProb", &value) == 0) {
    min_new_word_trans_prob_ = static_cast<int16_t>(std::clamp(value, -32768, 32767));
  }
  return 0;
}

int WordLatticeEngine::ProcessString(const char* text) {
  const int result = ProcessText(text);
  if (!finders_.empty() && table_) {
    for (int f = 0; f <= std::min(frames(), BackTraceTable::kMaxFrame); ++f) table_->FreeSortedList(f);
  }
  return result;
}

int WordLatticeEngine::ProcessText(const char* text) {
  StartUtterance();
  length_ = 0;
  buffer_[0] = '\0';
  int result = 0;
  for (const char* p = text ? text : ""; *p; ++p) {
    if (ProcessChar(static_cast<uint8_t>(*p)) < 0) {
      result = -1;
      break;
    }
  }
  FinishUtterance();
  return result;
}

int WordLatticeEngine::ProcessChar(uint8_t character) {
  current_ = character;
  return ProcessInput();
}

int WordLatticeEngine::AppendCurrent() {
  if (length_ >= kMaxCharacters) return -1;
  if (AdvanceFrame() < 0) return -1;
  buffer_[length_++] = static_cast<char>(current_);
  buffer_[length_] = '\0';
  return 0;
}

int WordLatticeEngine::AddEntry(uint16_t word, int16_t score, int start) {
  return table_ && table_->AddRecord(word, score, start) >= 0 ? 1 : 0;
}

int WordLatticeEngine::ProcessInput() {
  if (AppendCurrent() < 0) return -1;
  if (!lexicon_) return 0;
  const int n = length_;
  int entries = 0;
  for (int s = std::max(n - kLookBack, 0); s < n; ++s) {
    const char* substring = buffer_ + s;
    const uint16_t word = lexicon_->StringToWordID(substring);
    if (word != CLexicon::kNoWord) entries += AddEntry(word, kLexiconScore, s);
    if (second_dictionary_ && !finders_.empty()) {
      for (const StringMap::ValueLink* link = second_dictionary_->Lookup(substring); link;
           link = link->next) {
        const int id = ParseWordId(link->record->value);
        if (id >= 0) entries += AddEntry(static_cast<uint16_t>(id), kDictionaryScore, s);
      }
    }
  }
  if (!finders_.empty() && entries > 0) AddNewWords();
  return 0;
}

int WordLatticeEngine::AddNewWords() {
  const int end = length_;
  int entries = 0;
  std::vector<NewWordSpan> spans;
  for (NewWordSpanFinder* finder : finders_) {
    spans.clear();
    finder->FindSpans(end, table_, &spans);
    for (const NewWordSpan& span : spans) {
      if (span.start < 0 || span.start >= end) continue;
      const std::string text(buffer_ + span.start, buffer_ + end);
      if (lexicon_->StringToWordID(text.c_str()) != CLexicon::kNoWord) continue;
      entries += AddClassWord(text.c_str(), span.start, std::max(min_new_word_trans_prob_, span.score));
    }
  }
  return entries;
}

int WordLatticeEngine::AddClassWord(const char* text, int start, int16_t score) {
  if (lexicon_) {
    const uint16_t word = lexicon_->StringToWordID(text);
    if (word != CLexicon::kNoWord) return AddEntry(word, score, start);
  }
  for (const ClassToken& token : kClassTokens) {
    if (std::strcmp(text, token.text) == 0) return AddEntry(token.word, score, start);
  }
  int entries = 0;
  for (uint16_t word = kUnknownWord; word <= kOrganizationWord; ++word)
    entries += AddEntry(word, score, start);
  return entries;
}

int64_t WordLatticeEngine::GetMemoryUsage() const { return kMemoryUsage; }

void WordLatticeEngine::PrintHeaderTo(std::FILE* stream) const {
  if (!stream) return;
  static const char kRule[] = "-------------------------------------------------\n";
  std::fprintf(stream, "\nLattice engine header\n%s", kRule);
  std::fprintf(stream, "%-35s  %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  std::fprintf(stream, "%s", kRule);
}

}  // namespace vok
