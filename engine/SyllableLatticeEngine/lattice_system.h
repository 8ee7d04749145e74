// A system that decodes text: the word lattice engine turns a text into the
// lexicon words that end at each character, and the back end decodes that
// lattice into the best word sequence. It is also the segmenter of the
// grammars it owns: a grammar word that is no lexicon entry becomes the words
// of its best reading.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/SyllableLatticeEngine/system.h"
#include "engine/core/grammar_owner.h"

namespace vok {

class BackTraceTable;
class CLexicon;
class Resources;
class WordLatticeEngine;

class CLatticeSystem : public CSystem, public GrammarOwner {
 public:
  // The back-trace table: record blocks, maximum branching, hypothesis mode.
  static constexpr int kTableBlock = 1000;
  static constexpr int kTableBranching = 50;
  static constexpr int32_t kTableMode = 1;
  static constexpr int kDefaultNewWordPenalty = 240;

  // Reads the options and loads the word lattice engine; the back end (and
  // its lexicon and models) is shared, never deleted here.
  CLatticeSystem(const Resources& resources, CLMBackendEngine* back_end);
  ~CLatticeSystem() override;

  // The text through the engine, then the back end and the statistics.
  // Returns the engine's result: -1 when the text was cut at the engine's
  // limit.
  virtual int DecodeText(const char* text, bool rescore);
  // The lexicon of the system and of its engine (not owned).
  void SetLexicon(const CLexicon* lexicon);
  const CLexicon* lexicon() const { return lexicon_; }

  const SymbolTable* LexiconWords() const override;
  // The best reading's word ids, 0 when the text has none (or more words
  // than `capacity`).
  int DecodeWordIds(const char* text, uint16_t* ids, int capacity) override;

 protected:
  // Base and lexicon only; the derived system makes its own engine.
  explicit CLatticeSystem(CLMBackendEngine* back_end);
  // Makes the back-trace table and gives it to the base.
  void MakeTable();

  const CLexicon* lexicon_ = nullptr;
  std::unique_ptr<BackTraceTable> own_table_;
  std::unique_ptr<WordLatticeEngine> word_engine_;

 private:
  void Load(const Resources& resources);
};

}  // namespace vok
