// The text forms of a grammar file: the unit form ("%BEGIN name" blocks) and
// the two character-bigram forms ("%BIGRAM name", "%BIGRAM+END name").
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/bigram_body_reader.h"
#include "engine/core/file_io.h"
#include "engine/core/grammar.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "engine/core/unit_body_reader.h"

namespace vok {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The tokens of the next line that is neither empty nor a comment; false at
// the end of the file.
bool NextMeaningfulLine(std::FILE* stream, std::vector<std::string>* tokens) {
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    if (line.empty() || line[0] == '#') continue;
    *tokens = SplitGrammarLine(line);
    if (!tokens->empty()) return true;
  }
  return false;
}

// Skips a body up to its "%END" token or the end of the file.
void SkipBody(std::FILE* stream) {
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    if (!line.empty() && line[0] == '#') continue;
    for (const std::string& token : SplitGrammarLine(line)) {
      if (token == "%END") return;
    }
  }
}

}  // namespace

bool CGrammar::ReadText(const char* path) {
  std::FILE* stream = FileOpen(path, "r");
  if (!stream) return false;
  std::vector<std::string> first;
  bool read = true;
  if (NextMeaningfulLine(stream, &first) && Upper(first[0]).rfind("%BIGRAM", 0) == 0 &&
      (Upper(first[0]) == "%BIGRAM" || Upper(first[0]) == "%BIGRAM+END")) {
    const bool final_word = Upper(first[0]) == "%BIGRAM+END";
    if (first.size() < 2) {
      WarningMessage("Bigram grammar without a name!");
      MakeEmpty("");
    } else {
      read = ReadBigramForm(stream, Upper(first[1]), final_word);
    }
  } else {
    std::rewind(stream);
    read = ReadUnitForm(stream);
  }
  FileClose(stream);
  return read;
}

bool CGrammar::ReadBigramForm(std::FILE* stream, const std::string& name, bool final_word) {
  if (name.size() > static_cast<std::size_t>(kMaxUnitNameLength)) {
    WarningMessage("Grammar name too long: %.51s...", name.c_str());
    MakeEmpty("");
    return true;
  }
  unit_names_->AddNew(name.c_str());
  auto unit = std::make_unique<GrammarUnit>(name.c_str(), this, block_limit_);
  ReadBigramBody(stream, unit.get(), words_.get(), lexicon_, final_word);
  return StoreUnit(0, std::move(unit));
}

bool CGrammar::ReadUnitForm(std::FILE* stream) {
  // First pass: unit indexes follow the order of the "%BEGIN" lines.
  std::vector<std::string> tokens;
  while (NextMeaningfulLine(stream, &tokens)) {
    if (Upper(tokens[0]) != "%BEGIN" || tokens.size() < 2) continue;
    const std::string& name = tokens[1];
    if (unit_names_->Find(name.c_str()) >= 0) {
      LogPrint("Unit %s defined twice; the second is skipped\n", name.c_str());
      continue;
    }
    UnitIndexForName(name.c_str());
  }
  std::rewind(stream);
  // Second pass: the bodies.
  bool any = false;
  while (NextMeaningfulLine(stream, &tokens)) {
    if (Upper(tokens[0]) != "%BEGIN") {
      WarningMessage("Need %%BEGIN to begin a new grammar!");
      break;
    }
    if (tokens.size() < 2) break;
    const int index = unit_names_->Find(tokens[1].c_str());
    if (index < 0 || index >= kUnitSlots || units_[index]) {
      SkipBody(stream);
      continue;
    }
    auto unit = std::make_unique<GrammarUnit>(tokens[1].c_str(), this, block_limit_);
    ReadUnitBody(stream, unit.get(), words_.get(), *unit_names_);
    any = StoreUnit(index, std::move(unit)) || any;
  }
  if (!units_[0]) {
    const char* name = any ? unit_names_->GetName(0) : nullptr;
    if (unit_names_->GetCount() == 0) unit_names_->AddNew("");
    StoreUnit(0, std::make_unique<GrammarUnit>(name ? name : "", this, block_limit_));
  }
  return true;
}

}  // namespace vok
