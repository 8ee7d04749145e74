// A phrase waiting to be added to or removed from a grammar unit: a list of
// tokens, each a label with the flags of its word.
#pragma once

#include <cstdint>

namespace vok {

struct GrammarToken {
  int32_t label = 0;
  GrammarToken* next = nullptr;
  int32_t flags = 0;
  int32_t id = -1;  // index in the grammar's token pool
};

struct GrammarPhrase {
  int32_t count = 0;
  GrammarToken* first = nullptr;
  int32_t id = -1;  // index in the grammar's phrase pool
};

}  // namespace vok
