#include "engine/core/unit_body_reader.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/grammar_word_token.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

inline constexpr int kUnitSlots = 500;

}  // namespace

std::vector<std::string> SplitGrammarLine(const std::string& line) {
  std::vector<std::string> tokens;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t begin = line.find_first_not_of(" \t\r\n", pos);
    if (begin == std::string::npos) break;
    std::size_t end = line.find_first_of(" \t\r\n", begin);
    if (end == std::string::npos) end = line.size();
    tokens.push_back(line.substr(begin, end - begin));
    pos = end;
  }
  return tokens;
}

namespace {

bool LeadsElsewhere(const NetworkNode* node) {
  for (const NetworkTransition* t = node->first_out; t; t = t->next_out) {
    if (t->target != node) return true;
  }
  return false;
}

class BodyBuilder {
 public:
  BodyBuilder(GrammarUnit* unit, SymbolTable* words, const SymbolTable& unit_names)
      : unit_(unit), words_(words), unit_names_(unit_names), current_(unit->start_node()) {}

  // False when the body must end at this token.
  bool Token(const std::string& token) {
    if (token == "[") {
      optional_start_ = current_;
    } else if (token == "]") {
      CloseOptional();
    } else if (token == "(") {
      group_start_ = current_;
      group_end_ = nullptr;
    } else if (token == "|") {
      if (group_start_) {
        EndAlternative();
        current_ = group_start_;
      } else {
        current_ = unit_->start_node();
      }
    } else if (token == ")") {
      CloseGroup();
    } else {
      return Item(token);
    }
    return true;
  }

  void Finish() {
    CloseGroup();
    CloseOptional();
    UnitNode* end = unit_->end_node();
    for (int i = 2; i < unit_->NodeCount(); ++i) {
      UnitNode* node = unit_->Node(i);
      if (node->id != kDeletedRecord && !LeadsElsewhere(node)) unit_->MergeNode(node, end);
    }
    unit_->CompactTransitions();
    unit_->CompactNodes();
  }

 private:
  // An empty step: a new node joined to the current one by an empty arc.
  bool EmptyStep() {
    auto* next = static_cast<UnitNode*>(unit_->NewNode());
    if (!next || !unit_->AddTransition(current_, next, kLabelEmpty, 0)) return false;
    current_ = next;
    return true;
  }

  void CloseOptional() {
    if (!optional_start_) return;
    if (current_ == optional_start_) {
      EmptyStep();
    } else {
      unit_->AddTransition(optional_start_, current_, kLabelEmpty, 0);
    }
    optional_start_ = nullptr;
  }

  // The current alternative ends at the group's end node.
  void EndAlternative() {
    if (current_ == group_start_) {
      if (group_end_) {
        unit_->AddTransition(group_start_, group_end_, kLabelEmpty, 0);
        return;
      }
      if (EmptyStep()) group_end_ = current_;
      return;
    }
    if (!group_end_) {
      group_end_ = current_;
    } else if (current_ != group_end_) {
      if (optional_start_ == current_) optional_start_ = group_end_;
      unit_->MergeNode(current_, group_end_);
    }
  }

  void CloseGroup() {
    if (!group_start_) return;
    EndAlternative();
    if (group_end_) current_ = group_end_;
    group_start_ = nullptr;
    group_end_ = nullptr;
  }

  bool Item(const std::string& token) {
    WordToken word;
    if (!SplitWordToken(token.c_str(), &word)) {
      LogPrint("Token too long: %.40s...\n", token.c_str());
      return true;
    }
    int32_t label;
    if (word.word == "<*>") {
      label = kLabelFiller;
    } else if (word.word.size() >= 2 && word.word.front() == '<' && word.word.back() == '>') {
      const int index = unit_names_.Find(word.word.c_str());
      if (index < 0 || index >= kUnitSlots) {
        LogPrint("Bad nonterminal %s!\n", word.word.c_str());
        return false;
      }
      label = NonterminalLabel(index);
    } else if (word.word.empty()) {
      return true;
    } else {
      label = words_->Add(word.word.c_str());
      if (label < 0) return true;
    }
    auto* next = static_cast<UnitNode*>(unit_->NewNode());
    if (!next) return true;
    unit_->AddFlaggedTransition(current_, next, label, word.weight, word.flags);
    current_ = next;
    return true;
  }

  GrammarUnit* unit_;
  SymbolTable* words_;
  const SymbolTable& unit_names_;
  UnitNode* current_;
  UnitNode* optional_start_ = nullptr;
  UnitNode* group_start_ = nullptr;
  UnitNode* group_end_ = nullptr;
};

}  // namespace

bool ReadUnitBody(std::FILE* stream, GrammarUnit* unit, SymbolTable* words, const SymbolTable& unit_names) {
  BodyBuilder builder(unit, words, unit_names);
  bool good = true;
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    if (!line.empty() && line[0] == '#') continue;
    bool end = false;
    for (const std::string& token : SplitGrammarLine(line)) {
      if (token == "%END") {
        end = true;
        break;
      }
      if (good && !builder.Token(token)) good = false;
    }
    if (end) break;
  }
  builder.Finish();
  return good;
}

}  // namespace vok
