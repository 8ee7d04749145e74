#include "engine/core/bigram_body_reader.h"

#include <string>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "engine/core/unit_body_reader.h"

namespace vok {

namespace {

constexpr int kCharacterEntries = 2000;
constexpr int kFinalFormEntries = 5000;
constexpr int kPairEntries = 5000;
constexpr char kStartMark[] = "S_";
constexpr char kEndMark[] = "_S";
constexpr char kHubMark[] = "__";
constexpr char kSeparator[] = "\xA1\xA4";
constexpr int kHubNode = 2;

class BigramBuilder {
 public:
  BigramBuilder(GrammarUnit* unit, SymbolTable* words, const SymbolTable* lexicon, bool final_word)
      : unit_(unit),
        words_(words),
        lexicon_(lexicon),
        final_word_(final_word),
        characters_(final_word ? kFinalFormEntries : kCharacterEntries),
        pairs_(kPairEntries),
        finals_(kFinalFormEntries) {}

  bool Start() {
    characters_.Add(kStartMark);
    characters_.Add(kEndMark);
    if (!final_word_) return true;
    characters_.Add(kHubMark);
    return unit_->NewNode() != nullptr;
  }

  // False when a table or pool is full.
  bool Line(const std::string& token) {
    std::string text = token.substr(0, token.size() & ~std::size_t{1});
    if (text.empty()) return true;
    std::string final_part;
    if (final_word_) {
      std::size_t cut = text.size() - 2;
      for (std::size_t at = 0; at + 4 <= text.size(); at += 2) {
        if (IsLexiconWord(text.substr(at))) {
          cut = at;
          break;
        }
      }
      final_part = text.substr(cut);
      text.resize(cut);
    }
    std::string previous = kStartMark;
    UnitNode* previous_node = unit_->start_node();
    for (std::size_t at = 0; at < text.size(); at += 2) {
      const std::string character = text.substr(at, 2);
      UnitNode* node = CharacterNode(character);
      if (!node || !Pair(previous, character, previous_node, node)) return false;
      previous = character;
      previous_node = node;
    }
    if (!final_word_) return Close(previous, kEndMark, previous_node, unit_->end_node());
    if (!Close(previous, kHubMark, previous_node, unit_->Node(kHubNode))) return false;
    if (finals_.Find(final_part.c_str()) >= 0) return true;
    const int label = words_->Add(final_part.c_str());
    if (finals_.Add(final_part.c_str()) < 0 || label < 0) return Full("final word");
    return unit_->AddTransition(unit_->Node(kHubNode), unit_->end_node(), label, 0) != nullptr;
  }

 private:
  bool IsLexiconWord(const std::string& text) const { return lexicon_ && lexicon_->Find(text.c_str()) >= 0; }

  static bool Full(const char* what) {
    WarningMessage("Bigram grammar: %s table full, rest of the file skipped", what);
    return false;
  }

  UnitNode* CharacterNode(const std::string& character) {
    const int found = characters_.Find(character.c_str());
    if (found >= 0) return unit_->Node(found);
    if (characters_.Add(character.c_str()) < 0) {
      Full("character");
      return nullptr;
    }
    return static_cast<UnitNode*>(unit_->NewNode());
  }

  // Enters the pair when new; then false only when a table or pool is full.
  bool NewPair(const std::string& previous, const std::string& character, bool* fresh) {
    const std::string key = previous + character;
    *fresh = pairs_.Find(key.c_str()) < 0;
    if (*fresh && pairs_.Add(key.c_str()) < 0) return Full("pair");
    return true;
  }

  bool Pair(const std::string& previous, const std::string& character, UnitNode* from, UnitNode* to) {
    bool fresh = false;
    if (!NewPair(previous, character, &fresh)) return false;
    if (!fresh) return true;
    const bool word = !lexicon_ || IsLexiconWord(character);
    if (word) {
      const int label = words_->Add(character.c_str());
      if (label < 0) return Full("word");
      if (!unit_->AddTransition(from, to, label, 0)) return false;
    }
    if (!word || character == kSeparator) return unit_->AddTransition(from, to, kLabelEmpty, 0) != nullptr;
    return true;
  }

  bool Close(const std::string& previous, const char* mark, UnitNode* from, UnitNode* to) {
    bool fresh = false;
    if (!NewPair(previous, mark, &fresh)) return false;
    return !fresh || unit_->AddTransition(from, to, kLabelEmpty, 0) != nullptr;
  }

  GrammarUnit* unit_;
  SymbolTable* words_;
  const SymbolTable* lexicon_;
  bool final_word_;
  SymbolTable characters_;
  SymbolTable pairs_;
  SymbolTable finals_;
};

}  // namespace

bool ReadBigramBody(std::FILE* stream, GrammarUnit* unit, SymbolTable* words, const SymbolTable* lexicon,
                    bool final_word) {
  BigramBuilder builder(unit, words, lexicon, final_word);
  if (!builder.Start()) return false;
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> tokens = SplitGrammarLine(line);
    if (tokens.empty()) continue;
    if (tokens[0].size() > static_cast<std::size_t>(kBigramTokenMaxBytes)) {
      LogPrint("Bigram line too long: %.40s...\n", tokens[0].c_str());
      continue;
    }
    if (!builder.Line(tokens[0])) return false;
  }
  return true;
}

}  // namespace vok
