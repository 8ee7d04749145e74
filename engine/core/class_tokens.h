// The class tokens of the class language models: sentence marks, the named
// entity classes and the unknown word, as the word table spells them, and
// the pseudo-word ids they take when the table lacks them.
#pragma once

#include <cstdint>
#include <functional>

namespace vok {

class SymbolTable;

struct ClassTokenNames {
  enum Token {
    kStart,
    kEnd,
    kPerson,
    kPlace,
    kIdiom,
    kOrganization,
    kDate,
    kTime,
    kUnused,
    kUnknown,
    kTokens
  };
};

// Fills `ids` and `classes` for every token from `words`. `class_of(id)` is
// the class of a word found there (no_class when its class is out of range);
// a token the table lacks takes its pseudo-word id (or 65535) and the
// unknown word's class.
void BindClassTokens(const SymbolTable& words, const std::function<uint16_t(int)>& class_of,
                     uint16_t no_class, uint16_t (&ids)[ClassTokenNames::kTokens],
                     uint16_t (&classes)[ClassTokenNames::kTokens]);

}  // namespace vok
