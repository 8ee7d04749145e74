// Reads the body of a character-bigram grammar into one unit: every line's
// first token is a string of double-byte characters, and the unit accepts the
// character sequences that follow the pairs seen in those lines. In the
// final-word form each line ends in a lexicon word reached through a hub.
#pragma once

#include <cstdio>

namespace vok {

class GrammarUnit;
class SymbolTable;

inline constexpr int kBigramTokenMaxBytes = 99;

// Characters and final words enter `words` and label the arcs. A character
// is a word arc only when it is a word of `lexicon` (every character is, when
// there is no lexicon); the separator A1 A4 and characters that are no
// lexicon word get an empty arc. With `final_word`, the longest suffix of two
// or more characters that is a lexicon word (else the last character) is the
// line's final word, reached from the hub node 2. False when reading stopped
// early at a full table or pool (what was read stays).
bool ReadBigramBody(std::FILE* stream, GrammarUnit* unit, SymbolTable* words, const SymbolTable* lexicon,
                    bool final_word);

}  // namespace vok
