// The engine's word list: word strings to 16-bit word ids and back, with each
// word's entry in the class bigram core model.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/symbol_table.h"

namespace vok {

class CLexTree;
class CoreLM;
class Hypothesis;
class NBestList;
class PageLM;
class Resources;
class Scoring;

class CLexicon {
 public:
  static constexpr uint16_t kNoWord = 65535;
  // Ids from 65500 up are the models' pseudo-words.
  static constexpr int kMaxEntries = 65500;
  static constexpr int kTextCapacity = 65535;
  static constexpr int kLineBytes = 512;
  // Ids TextToWordIDs returns at most.
  static constexpr int kMaxTextIds = 200;

  CLexicon();
  ~CLexicon();
  // The text form; `PrintLMScores` from section "LMBackend" when a store is
  // given. status() tells whether the file was read. Either model may be null.
  CLexicon(const Resources* resources, const char* text_path, CoreLM* core, PageLM* page);
  // The binary form.
  CLexicon(const char* binary_path, CoreLM* core, PageLM* page, uint16_t tag);
  CLexicon(const CLexicon&) = delete;
  CLexicon& operator=(const CLexicon&) = delete;

  int status() const { return status_; }
  // Reads the binary form and binds the models; 0 or a negative value (the
  // lexicon is then empty). A stored core class count, or a page class count
  // above 0, that differs from the bound model's is refused.
  int Load(const char* binary_path, CoreLM* core, PageLM* page, uint16_t tag);
  // Writes the binary form through a new file that replaces the old one. 0,
  // or -1 (no core model bound, or the file could not be written; the old
  // file is then untouched).
  int WriteBinary(const char* path, uint16_t tag, uint8_t flag) const;

  // 65535 when absent.
  uint16_t StringToWordID(const char* word) const;
  // Null when the id has no word.
  const char* WordIDToString(int id) const;
  // 1 when added, 0 when the word existed (then boosted by 10), -1 when it
  // cannot be added (the word table or the ids below 65500 are full).
  int AddWord(const char* word, int core_class, int core_score, int page_class, int page_score);
  int AddNewWord(const char* word, int core_class, int page_class, int core_score, int page_score) {
    return AddWord(word, core_class, core_score, page_class, page_score);
  }
  // The classes of a client's word category in both models: 0 "<PERSON>",
  // 1 "<PLACE>", 2 "<IDIOM>", any other "<UNK>" (65535 without the model).
  void CategoryClasses(int category, uint16_t* core_class, uint16_t* page_class) const;
  int BoostWord(int id, int amount);
  // The id, or -1 when absent; later ids keep theirs.
  int RemoveWord(const char* word);
  // {count, ids..., 65535} in this thread's buffer; null (with a warning) when
  // a piece is not a word or there are more than kMaxTextIds pieces.
  const uint16_t* TextToWordIDs(const char* text) const;
  // Each id's string and the separator; a final blank is removed. -1 when an
  // id has no string.
  int WordIDsToText(const uint16_t* list, std::string* out, const char* separator) const;

  // The ids' strings each followed by the separator (ids without a string
  // skipped, a final blank kept).
  void HypothesisToText(const Hypothesis& hypothesis, std::string* out, const char* separator) const;
  // Each character's first pronunciation in the tree, joined by "-". 0, or
  // -1 without a tree or when a character is not a word.
  int StringToPron(const char* text, std::string* out) const;
  // A tree of every word's character codes (WordToCodePron) under its word
  // id; words without a string or beginning with '<' or '_' get the text
  // "XX". Null when the tree cannot be made.
  std::unique_ptr<CLexTree> BuildCodeTree(const char* separator, bool backward) const;
  // The N-best listing through the log, with model 1 (core) or 2 (core
  // unigrams plus the page model) scores; `reference` is {count, ids...} or
  // null. With a reference: the reference's rank is counted in the list's
  // statistics, the texts go to `scoring` (may be null) and 0 is returned;
  // without: the number of hypotheses listed.
  int PrintNBest(const uint16_t* reference, int utterance, NBestList* list, Scoring* scoring, int n,
                 int model) const;

  // The pronunciation tree whose entry ids are word ids; not owned.
  void set_tree(CLexTree* tree) { tree_ = tree; }
  CLexTree* tree() const { return tree_; }
  int entry_count() const { return entry_count_; }
  const SymbolTable* words() const { return words_.get(); }
  CoreLM* core_lm() const { return core_; }
  PageLM* page_lm() const { return page_; }
  int print_lm_scores() const { return print_lm_scores_; }
  int64_t GetMemoryUsage() const;
  void PrintHeader() const;

 private:
  int ReadText(const char* path);
  int ReadBinary(std::FILE* stream, uint16_t tag);
  void BindAfterText();
  void BindAfterBinary();
  bool CoreUsable() const;
  bool PageUsable() const;
  // The models keep the word list for word strings: they let go of it
  // before it is replaced or freed.
  void ReleaseWords();
  // The language-model score of a sentence for the listing; with model 1 and
  // `PrintLMScores` set its per-word terms follow after `prefix`.
  int16_t ListingScore(const uint16_t* ids, int n, int model, const char* prefix) const;

  int entry_count_ = 0;
  std::unique_ptr<SymbolTable> words_;
  CoreLM* core_ = nullptr;
  PageLM* page_ = nullptr;
  CLexTree* tree_ = nullptr;
  int print_lm_scores_ = 0;
  int status_ = 0;
};

// Removes every blank, then writes each pair of bytes followed by the
// separator.
void SplitIntoCharacters(const char* text, std::string* out, const char* separator);
// Each pair of bytes as "%02x%02x", joined by "-" (an odd last byte pairs with
// 0).
void WordToCodePron(const char* word, std::string* out);

}  // namespace vok
