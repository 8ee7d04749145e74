#include "engine/SyllableLatticeEngine/pc_system.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"
#include "engine/SyllableLatticeEngine/file_name_option.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/sc_system.h"
#include "engine/core/file_io.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "engine/core/text.h"

namespace vok {

namespace {

// A file name of the section, or the empty text.
std::string FileName(const Resources& resources, const char* section, const char* key) {
  return ReadFileName(resources, section, key, CPCSystem::kFileNameBytes).value_or(std::string());
}

// The line without trailing blanks and tabs (the line end is already gone).
void TrimRight(std::string* line) {
  while (!line->empty() && (line->back() == ' ' || line->back() == '\t')) line->pop_back();
}

// Every byte pair begins with a lead byte: the line is whole double-byte
// characters.
bool IsDoubleByteText(const std::string& text) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (static_cast<unsigned char>(text[i]) < 0x80) return false;
  }
  return true;
}

// Counts of a loader's refusals, reported once at the end.
struct LoadReport {
  int malformed = 0;
  int refused_words = 0;
  int refused_entries = 0;
  void Print(const char* loader, const char* path) const {
    if (malformed > 0) WarningMessage("%s: %d malformed lines of %s skipped", loader, malformed, path);
    if (refused_words > 0)
      WarningMessage("%s: the lexicon refused %d words of %s", loader, refused_words, path);
    if (refused_entries > 0)
      WarningMessage("%s: full maps refused %d entries of %s", loader, refused_entries, path);
  }
};

// Each line of the file (its end removed) through `take`; the refusals are
// reported once at the end. The number of lines, or -1 when the file cannot
// be opened.
int ReadMapLines(const char* path, const char* loader,
                 const std::function<void(std::string* line, LoadReport* report)>& take) {
  std::FILE* stream = path ? std::fopen(path, "rb") : nullptr;
  if (!stream) return -1;
  LoadReport report;
  int lines = 0;
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    ++lines;
    take(&line, &report);
  }
  std::fclose(stream);
  report.Print(loader, path);
  return lines;
}

}  // namespace

CPCSystem::CPCSystem(const Resources& resources) {
  const std::string lexicon = FileName(resources, "LMBackend", "BinaryLexiconFile");
  if (!lexicon.empty() && FileExists(lexicon.c_str())) {
    back_end_ = std::make_unique<CLMBackendEngine>(resources);
    sc_system_ = std::make_unique<CSCSystem>(resources, back_end_.get());
    // The Simplified text is GB2312, the lexicon Big5: only the alternatives
    // make words.
    sc_system_->confusion_engine()->set_values_only(true);
  }
  char_map_ = std::make_unique<StringMap>(kCharMapCapacity);
  const std::string char_map = FileName(resources, "CPCSystem", "GBToBig5MapFile");
  if (!char_map.empty()) LoadCharMap(char_map.c_str());
  const std::string term_map = FileName(resources, "CPCSystem", "GBToBig5TermMapFile");
  if (!term_map.empty() && FileExists(term_map.c_str())) LoadTermMap(term_map.c_str());
}

CPCSystem::~CPCSystem() = default;

bool CPCSystem::AddWordIfNew(const char* word) {
  CLexicon* lexicon = back_end_ ? back_end_->lexicon() : nullptr;
  if (!lexicon) return false;
  if (lexicon->StringToWordID(word) != CLexicon::kNoWord) return true;
  return lexicon->AddWord(word, kNewWordCoreClass, kNewWordScore, kNewWordPageClass, kNewWordScore) >= 0;
}

int CPCSystem::LoadCharMap(const char* path) {
  return ReadMapLines(path, "CPCSystem::LoadCharMap", [this](std::string* line, LoadReport* report) {
    TrimRight(line);
    if (line->size() > static_cast<std::size_t>(kMapLineBytes) || !IsDoubleByteText(*line)) {
      ++report->malformed;
      return;
    }
    const std::string simplified = line->substr(0, 2);
    for (std::size_t i = 2; i < line->size(); i += 2) {
      const std::string alternative = line->substr(i, 2);
      if (sc_system_) {
        if (!AddWordIfNew(alternative.c_str())) ++report->refused_words;
        if (sc_system_->AddConfusion(simplified.c_str(), alternative.c_str(), kCharacterConfusionScore) != 0)
          ++report->refused_entries;
      }
      if (!char_map_->Add(alternative.c_str(), simplified.c_str(), 0)) ++report->refused_entries;
    }
  });
}

int CPCSystem::LoadTermMap(const char* path) {
  return ReadMapLines(path, "CPCSystem::LoadTermMap", [this](std::string* line, LoadReport* report) {
    const std::vector<std::string> tokens = SplitTokens(*line);
    if (tokens.empty()) return;
    if (line->size() > static_cast<std::size_t>(kTermLineBytes) || tokens.size() < 2 ||
        !IsDoubleByteText(tokens[0]) || !IsDoubleByteText(tokens[1])) {
      ++report->malformed;
      return;
    }
    if (!sc_system_) return;
    if (!AddWordIfNew(tokens[1].c_str())) ++report->refused_words;
    if (sc_system_->AddConfusion(tokens[0].c_str(), tokens[1].c_str(), kTermConfusionScore) != 0)
      ++report->refused_entries;
  });
}

int CPCSystem::ConvertChar(const char* character, char out[3]) const {
  out[0] = '\0';
  if (!character || !sc_system_ || std::strlen(character) < 2) return -1;
  const char key[3] = {character[0], character[1], '\0'};
  const StringMap::ValueLink* first = sc_system_->confusion_engine()->confusion_map()->Lookup(key);
  if (!first || std::strlen(first->record->value) != 2) return -1;
  std::memcpy(out, first->record->value, 3);
  return 0;
}

int CPCSystem::MapChar(const char* character, char out[3]) const {
  std::memcpy(out, kUnmapped, 3);
  if (!character || std::strlen(character) < 2) return -1;
  const char key[3] = {character[0], character[1], '\0'};
  const StringMap::ValueLink* first = char_map_->Lookup(key);
  if (!first || std::strlen(first->record->value) != 2) return -1;
  std::memcpy(out, first->record->value, 3);
  return 0;
}

int CPCSystem::MapText(const char* text, std::string* output) const {
  if (!text || !output) return -1;
  const std::size_t length = std::strlen(text);
  for (std::size_t pos = 0; pos < length;) {
    if (CharacterLength(text, pos, length) == 1) {
      output->push_back(text[pos++]);
      continue;
    }
    char simplified[3];
    MapChar(text + pos, simplified);
    output->append(simplified, 2);
    pos += 2;
  }
  return 0;
}

void CPCSystem::ConvertCharacters(const std::string& segment, std::string* output) const {
  for (std::size_t i = 0; i + 1 < segment.size(); i += 2) {
    char traditional[3];
    if (ConvertChar(segment.c_str() + i, traditional) == 0) {
      output->append(traditional, 2);
    } else {
      output->append(kUnmapped, 2);
    }
  }
}

void CPCSystem::FlushSegment(std::string* segment, std::string* output) {
  if (segment->empty()) return;
  char best[4 * kSegmentCharacters + 1];
  if (sc_system_->Decode(segment->c_str()) == 0 && sc_system_->GetBestText(best, sizeof best, "") == 0 &&
      std::strlen(best) > 0) {
    output->append(best);
  } else {
    // No reading covers the run (a word the full lexicon refused): each
    // character's first alternative, so that nothing is lost.
    ConvertCharacters(*segment, output);
  }
  segment->clear();
}

int CPCSystem::ConvertText(const char* text, std::string* output) {
  if (!text || !output) return -1;
  const std::size_t length = std::strlen(text);
  int result = 0;
  std::string segment;
  for (std::size_t pos = 0; pos < length;) {
    if (CharacterLength(text, pos, length) == 1) {
      FlushSegment(&segment, output);
      output->push_back(text[pos++]);
      continue;
    }
    const char character[3] = {text[pos], text[pos + 1], '\0'};
    pos += 2;
    char traditional[3];
    if (!sc_system_) {
      output->append(kUnmapped, 2);
      result = -1;
    } else if (std::strcmp(character, kUnmapped) == 0 || ConvertChar(character, traditional) != 0) {
      FlushSegment(&segment, output);
      output->append(kUnmapped, 2);
    } else {
      segment.append(character, 2);
      if (segment.size() >= 2 * static_cast<std::size_t>(kSegmentCharacters)) FlushSegment(&segment, output);
    }
  }
  FlushSegment(&segment, output);
  return result;
}

}  // namespace vok
