// The converter stage: the script converter's files of the data folder,
// "G2bchar.tab" and the term map from the conversion tables, and the
// Traditional lexicon "PCSysLex" (with its text form) and class model
// "PCSysLM1" from Traditional word counts.
#pragma once

#include <string>
#include <vector>

#include "tools/build_language_data/script_tables.h"
#include "tools/build_language_data/word_frequencies.h"

namespace build_language_data {

struct ConverterOptions {
  // The most frequent Traditional words; fewer when the characters and terms
  // the converter adds at load time would not fit below the pseudo-words.
  int lexicon_words = 50000;
};

// The converter's confusion map holds this many keys: characters and terms.
inline constexpr int kConfusionKeys = 30000;

// Writes the files and checks them through the engine's converter: every
// line loads, nothing is refused, and each term converts to its Traditional
// form. Empty, or the reason of the failure.
std::string WriteConverterData(const ScriptTables& tables, const std::vector<WordCount>& traditional_counts,
                               const ConverterOptions& options, const std::string& folder);

}  // namespace build_language_data
