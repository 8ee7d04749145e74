// One compiled grammar: named units (nonterminals), each a network of word
// arcs, read from a grammar file (text unit form, the two character-bigram
// forms, or the binary form) or built item by item; the expanded network of
// lexicon words for the searches, and parsing of double-byte texts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/grammar_phrase.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/label_tree.h"
#include "engine/core/object_mem_mgr.h"

namespace vok {

class GrammarOwner;
class SymbolTable;

class CGrammar {
 public:
  static constexpr int kUnitSlots = 500;
  static constexpr int kWordTableSize = 8192;
  static constexpr int kUnitNameTableSize = 1024;
  static constexpr int kMaxUnitNameLength = 51;
  static constexpr int kParseTokens = 200;
  // Characters of the parse lattice: texts of up to 49 double-byte characters.
  static constexpr int kParseLattice = 50;
  static constexpr int kParseCandidates = 100;
  static constexpr int kPhraseBlock = 100;
  static constexpr int kFindEmptyBadUnit = -1;
  static constexpr char kBinaryMagic[] = "Binary Grammar v1.0";
  static constexpr int kBinaryMagicLength = 19;

  // Reads the grammar file at `name_or_path` when it exists, otherwise makes
  // one empty top unit of that name; then merges each grammar of the
  // null-terminated list. `block_limit` limits every unit's pools (the grammar
  // manager passes 600). The lexicon word table is taken from the owner.
  CGrammar(const char* name_or_path, int block_limit, GrammarOwner* owner = nullptr,
           CGrammar* const* others = nullptr);
  // One empty top unit of that name, whatever files exist.
  struct NameOnly {};
  CGrammar(NameOnly, const char* name, int block_limit, GrammarOwner* owner = nullptr);
  ~CGrammar();
  CGrammar(const CGrammar&) = delete;
  CGrammar& operator=(const CGrammar&) = delete;

  // False when the grammar file was refused (the grammar is then empty).
  bool ok() const { return ok_; }

  // Items of the top unit: 0, -1 when the unit cannot be found or made, -2
  // when the token cannot be made.
  int AddItem(const char* text, int32_t flags);
  // Removes the arcs of the item's path from the start to the end node that
  // no other path of the unit uses; nothing when the path is missing or all
  // its arcs are shared. 0, or -2 when the token cannot be made.
  int RemoveItem(const char* text);
  // The same for a phrase in the named unit (made when absent).
  int AddPhraseToUnit(const char* unit_name, const GrammarPhrase* phrase);
  int RemovePhraseFromUnit(const char* unit_name, const GrammarPhrase* phrase);

  // An empty phrase from the pool, or null when the pool is exhausted.
  GrammarPhrase* NewPhrase();
  // Returns the phrase and its tokens to their pools.
  void FreePhrase(GrammarPhrase* phrase);
  // Appends the token made from the text; 0, or -1 when it cannot be made.
  int AppendToPhrase(GrammarPhrase* phrase, const char* text, int32_t flags);

  // Empties the named unit down to its start and end node and marks the
  // grammar changed; 0, or -1 for an unknown unit.
  int ClearUnit(const char* unit_name);
  // Rebuilds the word table from the words some unit still carries.
  void RemoveUnusedSymbols();
  // Counts the units without items, and for every unit with items each
  // nonterminal arc to a unit without items (-1 for an arc to a unit that
  // does not exist). With a list (`capacity` elements), the counted units'
  // indexes are appended after a leading count, as far as they fit.
  int FindEmptyUnits(int32_t* list = nullptr, int capacity = 0) const;
  // Merges another grammar; 0, or -1 when a word, a unit name or a unit
  // cannot be added.
  int AddGrammar(const CGrammar& other);

  // The expanded network (nonterminals replaced, words split into lexicon
  // words), built when none exists or the grammar changed; null when the
  // expansion fails.
  GrammarUnit* GetNetwork();
  // Parses a double-byte text; non-zero on success, with the parse tree in
  // pre-order in `tokens` (kParseTokens entries) when given.
  int Parse(const char* text, CParseToken* tokens);

  // A unit's name; null for a bad index.
  const char* GetUnitName(int index) const;
  // Splits grammar words that are not lexicon entries with greedy longest
  // match over `words` (words of at most `max_length` bytes).
  void AttachSegmenter(const SymbolTable* words, int max_length);

  int unit_count() const { return unit_count_; }
  const GrammarUnit* unit(int index) const;
  const SymbolTable& words() const { return *words_; }
  const SymbolTable& unit_names() const { return *unit_names_; }
  const SymbolTable* lexicon_words() const { return lexicon_; }
  bool changed() const { return changed_; }
  int block_limit() const { return block_limit_; }
  const ParseNodePool& parse_nodes() const { return parse_nodes_; }

 private:
  // The empty tables and pools, before any unit.
  CGrammar(int block_limit, GrammarOwner* owner);
  void MakeEmpty(const char* name);
  bool ReadFile(const char* path);
  bool ReadText(const char* path);
  bool ReadUnitForm(std::FILE* stream);
  bool ReadBigramForm(std::FILE* stream, const std::string& name, bool final_word);
  bool ReadBinary(const char* path);

  // The slot of the unit name (entered when absent); -1 when the name is
  // too long or no slot is left.
  int UnitIndexForName(const char* name);
  // The unit of that name, made when absent; null when it cannot be.
  GrammarUnit* UnitForName(const char* name);
  bool StoreUnit(int index, std::unique_ptr<GrammarUnit> unit);
  // The label of a token text; false when it cannot be made.
  bool MakeLabel(const char* text, int32_t* label);
  int RemovePhrase(GrammarUnit* unit, const int32_t* labels, int count);

  std::unique_ptr<GrammarUnit> Expand();
  bool SegmentArcs(GrammarUnit* network);
  bool SegmentText(const char* text, uint16_t* ids, int capacity, int* count);

  int unit_count_ = 0;
  int block_limit_;
  bool ok_ = true;
  bool changed_ = false;
  std::unique_ptr<SymbolTable> words_;
  std::unique_ptr<SymbolTable> unit_names_;
  std::unique_ptr<GrammarUnit> units_[kUnitSlots];
  std::unique_ptr<GrammarUnit> expanded_;
  GrammarOwner* owner_;
  const SymbolTable* lexicon_ = nullptr;
  const SymbolTable* segmenter_words_ = nullptr;
  int segmenter_max_length_ = 0;
  ParseNodePool parse_nodes_;
  ObjectMemMgr<GrammarToken> tokens_;
  ObjectMemMgr<GrammarPhrase> phrases_;
};

}  // namespace vok
