// The text engine: one character per frame; every lexicon word that ends at
// a character enters the lattice, and spans that a new-word grammar accepts
// enter as named-entity class words.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/SyllableLatticeEngine/lattice_engine.h"
#include "engine/SyllableLatticeEngine/new_word_span_finder.h"

namespace vok {

class CLexicon;
class StringMap;

class WordLatticeEngine : public LatticeEngine {
 public:
  static constexpr int kMaxCharacters = 512;
  // Words span at most this many characters.
  static constexpr int kLookBack = 20;
  static constexpr int16_t kLexiconScore = 10;
  static constexpr int16_t kDictionaryScore = 0;
  // Stored as the unsigned value 37768.
  static constexpr int16_t kDefaultMinNewWordTransProb = -27768;
  static constexpr int kMemoryUsage = 616;
  // The class words a new word may stand for.
  static constexpr uint16_t kUnknownWord = 65500;
  static constexpr uint16_t kPersonWord = 65501;
  static constexpr uint16_t kPlaceWord = 65502;
  static constexpr uint16_t kOrganizationWord = 65503;
  static constexpr uint16_t kIdiomWord = 65504;
  static constexpr uint16_t kDateWord = 65505;
  static constexpr uint16_t kTimeWord = 65506;

  // Neither the table nor the lexicon is owned.
  WordLatticeEngine(BackTraceTable* table, const CLexicon* lexicon);

  int FinishUtterance() override;
  int ReadOptions(const Resources& resources) override;
  // The text through ProcessText; then the sorted lists that the new-word
  // matching built are freed.
  int ProcessString(const char* text) override;
  // One character (the current one): -1 once 512 are in the buffer.
  int ProcessInput() override;
  int64_t GetMemoryUsage() const override;
  virtual int ProcessText(const char* text);
  virtual int ProcessChar(uint8_t character);
  virtual void PrintHeaderTo(std::FILE* stream) const;

  // Enters a lexicon word with its id, a class token with its class word,
  // and any other text as the four class words "<UNK>" to "<ORGANIZATION>".
  // Returns the number of entries made.
  int AddClassWord(const char* text, int start, int16_t score);

  void set_lexicon(const CLexicon* lexicon) { lexicon_ = lexicon; }
  const CLexicon* lexicon() const { return lexicon_; }
  // The new-word grammars (not owned); an empty list switches the search off.
  void set_new_word_finders(std::vector<NewWordSpanFinder*> finders) { finders_ = std::move(finders); }
  // Text to word-id lists (values are decimal ids); not owned, null for none.
  void set_second_dictionary(const StringMap* dictionary) { second_dictionary_ = dictionary; }
  int16_t min_new_word_trans_prob() const { return min_new_word_trans_prob_; }
  const char* text() const { return buffer_; }
  int text_length() const { return length_; }

 protected:
  // Appends the current character and moves to a new frame; -1 at the limit
  // or when the table holds no further frame.
  int AppendCurrent();
  int AddEntry(uint16_t word, int16_t score, int start);
  // The spans of every new-word grammar that end at the current frame.
  int AddNewWords();

  uint8_t current_ = 0;
  char buffer_[kMaxCharacters + 1] = {};
  int length_ = 0;
  const CLexicon* lexicon_;
  std::vector<NewWordSpanFinder*> finders_;
  const StringMap* second_dictionary_ = nullptr;
  int16_t min_new_word_trans_prob_ = kDefaultMinNewWordTransProb;
};

}  // namespace vok
