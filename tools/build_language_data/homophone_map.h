// The "\HMap" stage of a dialect folder: the single characters of the
// lexicon grouped by toned syllable, most frequent first, as the engine's
// homophone map reads them: the number of entries on the first line, then
// one lower-case syllable and its characters (code-page bytes) per line.
#pragma once

#include <string>
#include <vector>

#include "tools/build_language_data/vocabulary.h"

namespace build_language_data {

// The engine reads lines of at most 512 bytes: a syllable keeps the most
// frequent characters that fit.
inline constexpr std::size_t kHomophoneLineBytes = 510;

std::string HomophoneMapText(const std::vector<LexiconWord>& lexicon);

// Writes "HMap" into the folder. Empty, or the reason of the failure.
std::string WriteHomophoneMap(const std::vector<LexiconWord>& lexicon, const std::string& folder);

}  // namespace build_language_data
