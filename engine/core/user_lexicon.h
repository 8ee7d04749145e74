// The user's personal change list: words added (with their entries in both
// language models and a pronunciation text) and words deleted, read from and
// written to the user lexicon file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/symbol_table.h"

namespace vok {

class CLexicon;
class CLexTree;

class CUserLexicon {
 public:
  // A word's entry in one language model as the user lexicon keeps it.
  struct ModelEntry {
    uint16_t word_class = 65535;
    uint8_t in_class = 255;
    uint8_t unigram = 255;
  };
  // A pronunciation slot: 49 characters and the terminating NUL.
  static constexpr int kPronSlotBytes = 50;

  // Holds at most `capacity` added and `capacity` deleted words (capacity
  // below 0 counts as 0).
  explicit CUserLexicon(int capacity);
  CUserLexicon(const CUserLexicon&) = delete;
  CUserLexicon& operator=(const CUserLexicon&) = delete;

  // Adds the word (or finds it), stores both entries with the score in both
  // bytes and copies the pronunciation; the word's index. -1 without any
  // change when capacity words are present (even for a word already there),
  // the pronunciation has kPronSlotBytes bytes or more, or the word cannot be
  // stored.
  int AddWord(const char* word, const char* pron, uint16_t core_class, uint8_t core_score,
              uint16_t page_class, uint8_t page_score);
  // Removes the word from the added words (later indices move down by one)
  // and records it as deleted. 0, or -1 when the deleted-word table is full
  // and the word is not in it yet (nothing is changed then).
  int DeleteWord(const char* word);
  int HasWord(const char* word) const { return added_->Find(word) >= 0 ? 1 : 0; }
  int IsDeleted(const char* word) const { return deleted_->Find(word) >= 0 ? 1 : 0; }

  // ApplyDeletions, then AddWordsTo; 0. The tree (may be null) holds the
  // lexicon's pronunciations under word ids.
  int ApplyTo(CLexicon* lexicon, CLexTree* tree);
  // Removes every deleted word the lexicon holds from the lexicon and its
  // entry from the tree; deleted words the lexicon does not hold are
  // forgotten. The number removed from the lexicon.
  int ApplyDeletions(CLexicon* lexicon, CLexTree* tree);
  // Adds every added word to the lexicon with its classes and in-class bytes;
  // a word new to the lexicon gets its pronunciation in the tree under its
  // word id (unknown syllables not added). 0.
  int AddWordsTo(CLexicon* lexicon, CLexTree* tree) const;

  // Reads the file; all or nothing: on failure the object keeps what it held.
  // 0, or a negative value.
  int Read(const char* path, uint16_t tag);
  // Writes a new file that replaces the old one only when all of it is
  // written. 0, or -1 (the old file is then untouched).
  int Write(const char* path, uint16_t tag, uint8_t flag) const;

  int capacity() const { return capacity_; }
  int added_count() const { return added_->GetCount(); }
  int deleted_count() const { return deleted_->GetCount(); }
  const char* added_word(int index) const { return added_->GetName(index); }
  const char* deleted_word(int index) const { return deleted_->GetName(index); }
  const ModelEntry& core_entry(int index) const { return core_[static_cast<std::size_t>(index)]; }
  const ModelEntry& page_entry(int index) const { return page_[static_cast<std::size_t>(index)]; }
  const char* pron(int index) const { return prons_[static_cast<std::size_t>(index)].c_str(); }
  // Removes a deleted word from the deleted-word table (later ones move down).
  void ForgetDeletion(const char* word) { deleted_->Remove(word); }

 private:
  int ReadFrom(std::FILE* stream, uint16_t tag);

  int capacity_;
  std::unique_ptr<SymbolTable> added_;
  std::unique_ptr<SymbolTable> deleted_;
  std::vector<ModelEntry> core_;
  std::vector<ModelEntry> page_;
  std::vector<std::string> prons_;
};

}  // namespace vok
