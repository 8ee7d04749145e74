#include "engine/core/class_tokens.h"

#include "engine/core/symbol_table.h"

namespace vok {

namespace {

constexpr const char* kTokenNames[ClassTokenNames::kTokens] = {
    "<S>", "</S>", "<PERSON>", "<PLACE>", "<IDIOM>", "<ORGANIZATION>", "<DATE>", "<TIME>", nullptr, "<UNK>"};
constexpr int kPseudoIds[ClassTokenNames::kTokens] = {-1,    -1,    65501, 65502, 65504,
                                                      65503, 65505, 65506, -1,    65500};
constexpr uint16_t kNoWord = 65535;

}  // namespace

void BindClassTokens(const SymbolTable& words, const std::function<uint16_t(int)>& class_of,
                     uint16_t no_class, uint16_t (&ids)[ClassTokenNames::kTokens],
                     uint16_t (&classes)[ClassTokenNames::kTokens]) {
  using T = ClassTokenNames;
  const int unknown = words.Find(kTokenNames[T::kUnknown]);
  ids[T::kUnknown] = static_cast<uint16_t>(unknown >= 0 ? unknown : kPseudoIds[T::kUnknown]);
  classes[T::kUnknown] = unknown >= 0 ? class_of(unknown) : no_class;
  ids[T::kUnused] = kNoWord;
  classes[T::kUnused] = classes[T::kUnknown];
  for (int t = 0; t < T::kTokens; ++t) {
    if (t == T::kUnknown || t == T::kUnused) continue;
    const int id = words.Find(kTokenNames[t]);
    if (id >= 0) {
      ids[t] = static_cast<uint16_t>(id);
      classes[t] = class_of(id);
    } else {
      ids[t] = kPseudoIds[t] >= 0 ? static_cast<uint16_t>(kPseudoIds[t]) : kNoWord;
      classes[t] = classes[T::kUnknown];
    }
  }
}

}  // namespace vok
