// The grammars that clients build through the grammar exports: 100 slots,
// ids 0 to 99, each with its grammar, its kind, the client's options word and
// the last parse result (200 tokens; the handle of a parse result is its
// grammar's id). Every operation holds the manager's lock, which the speech
// side takes too while it searches a grammar's network.
//
// Caller buffers that carry no size are filled to fixed bounds: a token's
// text at most kTokenTextBytes bytes with its zero, a token or child name at
// most kTokenNameBytes, the command context at most kCommandContextBytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/api/grammar_item_expression.h"
#include "engine/api/vok_status.h"
#include "engine/core/grammar.h"
#include "engine/core/label_tree.h"

namespace vok::api {

class CGrammarManager {
 public:
  static constexpr std::int32_t kSlots = 100;
  static constexpr int kBlockLimit = 600;
  static constexpr std::size_t kTokenTextBytes = 2 * vok::CGrammar::kParseLattice;  // 49 characters + zero
  static constexpr std::size_t kTokenNameBytes = 128;
  static constexpr std::size_t kCommandContextBytes = 1024;
  // A root token's name carries its command number from this byte on.
  static constexpr std::size_t kCommandNumberOffset = 5;

  enum Kind : std::uint8_t { kFree = 0, kSingleResultCommand = 1, kPlain = 2, kMultiResultCommand = 3 };

  explicit CGrammarManager(vok::GrammarOwner* owner = nullptr) : owner_(owner) {}

  // Takes the first free slot (8193 when none is left). With `from_file` the
  // grammar is read from the file at `name_or_path` (8195 when it is not
  // readable); otherwise it is an empty grammar of that name, whatever files
  // exist. Null `name_or_path` gives a random name.
  VokStatus NewGrammar(const char* name_or_path, bool from_file, std::uint32_t options, Kind kind,
                       std::int32_t* id);
  // Ids 0-99 whose slot holds a grammar or a kind.
  bool IsValid(std::int32_t id) const;
  Kind kind(std::int32_t id) const;
  std::uint32_t options(std::int32_t id) const;

  VokStatus AddGrammar(std::int32_t target, std::int32_t source);
  // One word (or unit reference) as an item of the unit (the top unit for a
  // null unit): 4353 when the grammar refuses it.
  VokStatus AddItem(std::int32_t id, const char* unit, const char* item);
  VokStatus RemoveItem(std::int32_t id, const char* unit, const char* item);
  VokStatus ClearUnit(std::int32_t id, const char* unit);
  VokStatus FindEmptyUnits(std::int32_t id, char* buffer, std::uint32_t size);
  VokStatus Delete(std::int32_t id);
  // The item expressions; the grammar is edited only when the whole
  // expression reads, and an edit the grammar refuses (8197) is undone.
  VokStatus AddItemExpression(std::int32_t id, const char* unit, const char* expression);
  VokStatus RemoveItemExpression(std::int32_t id, const char* unit, const char* expression);

  VokStatus CreateParseResult(std::int32_t id, const char* text, std::int32_t* handle);
  VokStatus DeleteParseResult(std::int32_t handle);
  VokStatus RetrieveParseResult(std::int32_t handle, const char* token_name, char* text, std::int32_t first,
                                std::int32_t count, std::int32_t* index, std::int32_t* child);
  VokStatus GetParseResultChildToken(std::int32_t handle, std::int32_t token, std::int32_t child, char* name,
                                     std::int32_t* index);
  VokStatus GetToken(std::int32_t handle, std::int32_t index, std::uint32_t size, char* buffer);
  VokStatus GetCommandContext(std::int32_t id, const char* text, std::uint32_t* command, std::uint32_t* count,
                              char* buffer);

  std::mutex& lock() { return mutex_; }
  // The grammar of a valid id, for the holder of lock().
  vok::CGrammar* grammar(std::int32_t id);

 private:
  using Tokens = std::array<vok::CParseToken, vok::CGrammar::kParseTokens>;
  struct Slot {
    std::unique_ptr<vok::CGrammar> grammar;
    Kind kind = kFree;
    std::uint32_t options = 0;
    std::unique_ptr<Tokens> parse;
  };

  bool ValidLocked(std::int32_t id) const;
  Slot* SlotOf(std::int32_t id);
  // The tokens of a parse result and how many the parse filled.
  const Tokens* ParseOf(std::int32_t handle, std::int32_t* filled) const;
  // The slot of a valid id and the units of an expression that reads.
  VokStatus ReadExpressionFor(std::int32_t id, const char* unit, const char* expression, bool groups,
                              Slot** slot, std::vector<ExpressionUnit>* units);
  VokStatus ApplyUnits(vok::CGrammar& grammar, const std::vector<ExpressionUnit>& units);

  vok::GrammarOwner* owner_;
  mutable std::mutex mutex_;
  std::array<Slot, kSlots> slots_;
};

}  // namespace vok::api
