#include "engine/api/grammar_manager.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <vector>

#include "engine/core/file_io.h"

namespace vok::api {
namespace {

using vok::CGrammar;

// The token or unit name of a parse token; empty when it has none.
std::string NameOf(const vok::CParseToken& token) {
  char name[CGrammarManager::kTokenNameBytes];
  if (token.GetName(name, sizeof name) != 0) return {};
  return name;
}

// A phrase of the grammar's pools holding the elements, freed at scope end.
class PhraseOf {
 public:
  PhraseOf(CGrammar& grammar, const ExpressionItem& item) : grammar_(grammar), phrase_(grammar.NewPhrase()) {
    for (const ExpressionElement& element : item) {
      if (phrase_ == nullptr || grammar_.AppendToPhrase(phrase_, element.text.c_str(), element.flags) != 0) {
        ok_ = false;
        return;
      }
    }
  }
  ~PhraseOf() { grammar_.FreePhrase(phrase_); }
  PhraseOf(const PhraseOf&) = delete;
  PhraseOf& operator=(const PhraseOf&) = delete;

  const vok::GrammarPhrase* get() const { return ok_ && phrase_ != nullptr ? phrase_ : nullptr; }

 private:
  CGrammar& grammar_;
  vok::GrammarPhrase* phrase_;
  bool ok_ = true;
};

}  // namespace

bool CGrammarManager::ValidLocked(std::int32_t id) const {
  if (id < 0 || id >= kSlots) return false;
  const Slot& slot = slots_[static_cast<std::size_t>(id)];
  return slot.grammar != nullptr || slot.kind != kFree;
}

bool CGrammarManager::IsValid(std::int32_t id) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(id);
}

CGrammarManager::Slot* CGrammarManager::SlotOf(std::int32_t id) {
  return ValidLocked(id) && slots_[static_cast<std::size_t>(id)].grammar
             ? &slots_[static_cast<std::size_t>(id)]
             : nullptr;
}

CGrammarManager::Kind CGrammarManager::kind(std::int32_t id) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(id) ? slots_[static_cast<std::size_t>(id)].kind : kFree;
}

std::uint32_t CGrammarManager::options(std::int32_t id) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(id) ? slots_[static_cast<std::size_t>(id)].options : 0;
}

CGrammar* CGrammarManager::grammar(std::int32_t id) {
  Slot* slot = SlotOf(id);
  return slot == nullptr ? nullptr : slot->grammar.get();
}

VokStatus CGrammarManager::NewGrammar(const char* name_or_path, bool from_file, std::uint32_t options,
                                      Kind kind, std::int32_t* id) {
  if (id == nullptr || (from_file && name_or_path == nullptr)) return kVokBadArgument;
  std::lock_guard lock(mutex_);
  const auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) {
    return slot.grammar == nullptr && slot.kind == kFree;
  });
  if (free == slots_.end()) return kVokGrammarNotCreated;
  try {
    std::unique_ptr<CGrammar> grammar;
    if (from_file) {
      if (!vok::FileExists(name_or_path)) return kVokGrammarFileUnreadable;
      grammar = std::make_unique<CGrammar>(name_or_path, kBlockLimit, owner_);
      if (!grammar->ok()) return kVokGrammarFileUnreadable;
    } else if (name_or_path != nullptr) {
      grammar = std::make_unique<CGrammar>(CGrammar::NameOnly{}, name_or_path, kBlockLimit, owner_);
    } else {
      static std::mt19937 random{std::random_device{}()};
      const std::string name = std::to_string(static_cast<long>(random() & 0x7FFFFFFF));
      grammar = std::make_unique<CGrammar>(CGrammar::NameOnly{}, name.c_str(), kBlockLimit, owner_);
    }
    free->grammar = std::move(grammar);
  } catch (const std::bad_alloc&) {
    return kVokOutOfMemory;
  }
  free->kind = kind;
  free->options = options;
  free->parse.reset();
  *id = static_cast<std::int32_t>(free - slots_.begin());
  return kVokOk;
}

VokStatus CGrammarManager::AddGrammar(std::int32_t target, std::int32_t source) {
  std::lock_guard lock(mutex_);
  Slot* into = SlotOf(target);
  Slot* from = SlotOf(source);
  if (into == nullptr || from == nullptr) return kVokBadGrammarId;
  // A grammar merged into itself would grow while it is read.
  if (into == from || into->grammar->AddGrammar(*from->grammar) != 0) return kVokGrammarItemRefused;
  return kVokOk;
}

VokStatus CGrammarManager::AddItem(std::int32_t id, const char* unit, const char* item) {
  std::lock_guard lock(mutex_);
  Slot* slot = SlotOf(id);
  if (slot == nullptr) return kVokBadGrammarId;
  if (item == nullptr) return kVokBadArgument;
  if (unit == nullptr) return slot->grammar->AddItem(item, 0) == 0 ? kVokOk : kVokBadText;
  const PhraseOf phrase(*slot->grammar, {{item, 0}});
  return phrase.get() != nullptr && slot->grammar->AddPhraseToUnit(unit, phrase.get()) == 0 ? kVokOk
                                                                                            : kVokBadText;
}

VokStatus CGrammarManager::RemoveItem(std::int32_t id, const char* unit, const char* item) {
  std::lock_guard lock(mutex_);
  Slot* slot = SlotOf(id);
  if (slot == nullptr) return kVokBadGrammarId;
  if (item == nullptr) return kVokBadArgument;
  if (unit == nullptr) return slot->grammar->RemoveItem(item) == 0 ? kVokOk : kVokBadText;
  const PhraseOf phrase(*slot->grammar, {{item, 0}});
  return phrase.get() != nullptr && slot->grammar->RemovePhraseFromUnit(unit, phrase.get()) == 0
             ? kVokOk
             : kVokBadText;
}

VokStatus CGrammarManager::ClearUnit(std::int32_t id, const char* unit) {
  std::lock_guard lock(mutex_);
  Slot* slot = SlotOf(id);
  if (slot == nullptr) return kVokBadGrammarId;
  if (unit == nullptr) return kVokBadArgument;
  return slot->grammar->ClearUnit(unit) == 0 ? kVokOk : kVokGrammarItemRefused;
}

VokStatus CGrammarManager::FindEmptyUnits(std::int32_t id, char* buffer, std::uint32_t size) {
  std::lock_guard lock(mutex_);
  Slot* slot = SlotOf(id);
  if (slot == nullptr) return kVokBadGrammarId;
  if (buffer == nullptr) return kVokBadArgument;
  if (size < 2) return kVokOutOfMemory;
  const CGrammar& grammar = *slot->grammar;
  const int counted = grammar.FindEmptyUnits();
  std::vector<std::int32_t> list(static_cast<std::size_t>(std::max(counted, 0)) + 1);
  grammar.FindEmptyUnits(list.data(), static_cast<int>(list.size()));
  std::vector<std::string> names;
  for (std::size_t i = 1; i < list.size(); ++i) {
    const char* name = grammar.GetUnitName(list[i]);
    if (name != nullptr && std::find(names.begin(), names.end(), name) == names.end())
      names.emplace_back(name);
  }
  std::string out;
  for (const std::string& name : names) out.append(name).push_back('\0');
  out.push_back('\0');
  if (out.size() > size) return kVokOutOfMemory;
  std::memcpy(buffer, out.data(), out.size());
  return kVokOk;
}

VokStatus CGrammarManager::Delete(std::int32_t id) {
  std::lock_guard lock(mutex_);
  if (!ValidLocked(id)) return kVokBadGrammarId;
  slots_[static_cast<std::size_t>(id)] = Slot();
  return kVokOk;
}

VokStatus CGrammarManager::ApplyUnits(CGrammar& grammar, const std::vector<ExpressionUnit>& units) {
  std::vector<std::pair<const std::string*, const ExpressionItem*>> added;
  for (const ExpressionUnit& unit : units) {
    for (const ExpressionItem& item : unit.items) {
      const PhraseOf phrase(grammar, item);
      if (phrase.get() == nullptr || grammar.AddPhraseToUnit(unit.name.c_str(), phrase.get()) != 0) {
        // Take out again what this expression added.
        for (auto undo = added.rbegin(); undo != added.rend(); ++undo) {
          const PhraseOf again(grammar, *undo->second);
          if (again.get() != nullptr) grammar.RemovePhraseFromUnit(undo->first->c_str(), again.get());
        }
        return kVokGrammarItemRefused;
      }
      added.emplace_back(&unit.name, &item);
    }
  }
  return kVokOk;
}

VokStatus CGrammarManager::ReadExpressionFor(std::int32_t id, const char* unit, const char* expression,
                                             bool groups, Slot** slot, std::vector<ExpressionUnit>* units) {
  *slot = SlotOf(id);
  if (*slot == nullptr) return kVokBadGrammarId;
  if (unit == nullptr || expression == nullptr) return kVokBadArgument;
  return ReadItemExpression(unit, expression, groups, units);
}

VokStatus CGrammarManager::AddItemExpression(std::int32_t id, const char* unit, const char* expression) {
  std::lock_guard lock(mutex_);
  Slot* slot = nullptr;
  std::vector<ExpressionUnit> units;
  const VokStatus read = ReadExpressionFor(id, unit, expression, true, &slot, &units);
  return read == kVokOk ? ApplyUnits(*slot->grammar, units) : read;
}

VokStatus CGrammarManager::RemoveItemExpression(std::int32_t id, const char* unit, const char* expression) {
  std::lock_guard lock(mutex_);
  Slot* slot = nullptr;
  std::vector<ExpressionUnit> units;
  const VokStatus read = ReadExpressionFor(id, unit, expression, false, &slot, &units);
  if (read != kVokOk) return read;
  for (const ExpressionItem& item : units[0].items) {
    const PhraseOf phrase(*slot->grammar, item);
    if (phrase.get() == nullptr || slot->grammar->RemovePhraseFromUnit(unit, phrase.get()) != 0)
      return kVokGrammarItemRefused;
  }
  return kVokOk;
}

VokStatus CGrammarManager::CreateParseResult(std::int32_t id, const char* text, std::int32_t* handle) {
  std::lock_guard lock(mutex_);
  Slot* slot = SlotOf(id);
  if (slot == nullptr) return kVokBadGrammarId;
  if (text == nullptr || handle == nullptr) return kVokBadArgument;
  slot->parse.reset();
  auto tokens = std::make_unique<Tokens>();
  if (!slot->grammar->Parse(text, tokens->data())) return kVokInternalFailure;
  slot->parse = std::move(tokens);
  *handle = id;
  return kVokOk;
}

const CGrammarManager::Tokens* CGrammarManager::ParseOf(std::int32_t handle, std::int32_t* filled) const {
  if (handle < 0 || handle >= kSlots) return nullptr;
  const Tokens* tokens = slots_[static_cast<std::size_t>(handle)].parse.get();
  if (tokens == nullptr) return nullptr;
  *filled = std::clamp<std::int32_t>((*tokens)[0].subtree_size, 0, CGrammar::kParseTokens);
  return tokens;
}

VokStatus CGrammarManager::DeleteParseResult(std::int32_t handle) {
  std::lock_guard lock(mutex_);
  std::int32_t filled = 0;
  if (ParseOf(handle, &filled) == nullptr) return kVokUnknownParseResult;
  slots_[static_cast<std::size_t>(handle)].parse.reset();
  return kVokOk;
}

VokStatus CGrammarManager::RetrieveParseResult(std::int32_t handle, const char* token_name, char* text,
                                               std::int32_t first, std::int32_t count, std::int32_t* index,
                                               std::int32_t* child) {
  std::lock_guard lock(mutex_);
  std::int32_t filled = 0;
  const Tokens* tokens = ParseOf(handle, &filled);
  if (tokens == nullptr) return kVokUnknownParseResult;
  if (token_name == nullptr || index == nullptr || child == nullptr || first < 0 || count < 0)
    return kVokBadArgument;
  *index = *child = -1;
  const std::int32_t end =
      static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{first} + count, filled));
  for (std::int32_t i = first; i < end; ++i) {
    const vok::CParseToken& token = (*tokens)[static_cast<std::size_t>(i)];
    if (NameOf(token) != token_name) continue;
    if (text != nullptr && token.GetText(text, static_cast<int>(kTokenTextBytes)) != 0) text[0] = '\0';
    *index = i;
    *child = token.child_count > 0 ? i + 1 : -1;
    return kVokOk;
  }
  return kVokBadArgument;
}

VokStatus CGrammarManager::GetParseResultChildToken(std::int32_t handle, std::int32_t token,
                                                    std::int32_t child, char* name, std::int32_t* index) {
  std::lock_guard lock(mutex_);
  std::int32_t filled = 0;
  const Tokens* tokens = ParseOf(handle, &filled);
  if (tokens == nullptr) return kVokUnknownParseResult;
  if (name == nullptr || index == nullptr || token < 0 || token >= filled) return kVokBadArgument;
  vok::CParseToken found;
  int position = 0;
  if (child < 0 || !(*tokens)[static_cast<std::size_t>(token)].GetChild(child, &found, &position) ||
      token + position >= filled) {
    name[0] = '\0';
    *index = -1;
    return kVokOk;
  }
  if (found.GetName(name, static_cast<int>(kTokenNameBytes)) != 0) return kVokUnknownParseResult;
  *index = token + position;
  return kVokOk;
}

VokStatus CGrammarManager::GetToken(std::int32_t handle, std::int32_t index, std::uint32_t size,
                                    char* buffer) {
  if (buffer == nullptr || size == 0) return kVokBadArgument;
  std::lock_guard lock(mutex_);
  std::int32_t filled = 0;
  const Tokens* tokens = ParseOf(handle, &filled);
  if (tokens == nullptr) return kVokUnknownParseResult;
  if (index < 0 || index >= filled) return kVokBadArgument;
  const std::string name = NameOf((*tokens)[static_cast<std::size_t>(index)]);
  const std::size_t length = std::min<std::size_t>(name.size(), size - 1);
  std::memcpy(buffer, name.data(), length);
  buffer[length] = '\0';
  return kVokOk;
}

VokStatus CGrammarManager::GetCommandContext(std::int32_t id, const char* text, std::uint32_t* command,
                                             std::uint32_t* count, char* buffer) {
  std::lock_guard lock(mutex_);
  Slot* slot = SlotOf(id);
  if (slot == nullptr) return kVokBadGrammarId;
  if (text == nullptr || command == nullptr || count == nullptr || buffer == nullptr) return kVokBadArgument;
  slot->parse.reset();
  Tokens tokens;
  if (!slot->grammar->Parse(text, tokens.data())) return kVokInternalFailure;
  const vok::CParseToken& root = tokens[0];
  const std::string root_name = NameOf(root);
  // A root name too short to carry a number gives command 0.
  *command =
      root_name.size() > kCommandNumberOffset
          ? static_cast<std::uint32_t>(std::strtoul(root_name.c_str() + kCommandNumberOffset, nullptr, 16))
          : 0;
  *count = 0;
  std::size_t used = 0;
  vok::CParseToken child;
  int position = 0;
  for (int n = 0; root.GetChild(n, &child, &position); ++n) {
    if (NameOf(child).rfind('<', 0) != 0) continue;
    vok::CParseToken first;
    int first_position = 0;
    if (!child.GetChild(0, &first, &first_position)) continue;
    const std::string name = NameOf(first);
    if (used + name.size() + 1 > kCommandContextBytes) break;
    std::memcpy(buffer + used, name.c_str(), name.size() + 1);
    used += name.size() + 1;
    ++*count;
  }
  return kVokOk;
}

}  // namespace vok::api
