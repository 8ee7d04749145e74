// What a grammar needs from the recognition system that owns it: the
// lexicon's word table, and the system's decoding of a text into lexicon
// words for grammar words that are not lexicon entries themselves.
#pragma once

#include <cstdint>

namespace vok {

class SymbolTable;

class GrammarOwner {
 public:
  virtual ~GrammarOwner() = default;
  // The lexicon's word table, or null.
  virtual const SymbolTable* LexiconWords() const = 0;
  // Decodes the text and writes the best reading's lexicon word ids into
  // `ids` (`capacity` elements); the number written, 0 when the text cannot
  // be decoded.
  virtual int DecodeWordIds(const char* text, uint16_t* ids, int capacity) = 0;
};

// An owner that is only a lexicon: grammar words that are no lexicon entry
// are left to the grammar's segmenter.
class LexiconOwner : public GrammarOwner {
 public:
  explicit LexiconOwner(const SymbolTable* words) : words_(words) {}
  const SymbolTable* LexiconWords() const override { return words_; }
  int DecodeWordIds(const char*, uint16_t*, int) override { return 0; }

 private:
  const SymbolTable* words_;
};

}  // namespace vok
