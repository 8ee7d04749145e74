// The associated phrases of each character: the words of a frequency list
// that start with it, most frequent first, as code-page entries (the text
// after the key character).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/word_frequencies.h"

namespace build_phrase_files {

// A phrase continues its key by 1 to 9 characters.
inline constexpr int kMaxContinuation = 9;

// Per key character (lead byte in the low byte) its entries in the order of
// `words`; words with a character outside the code page are left out.
std::map<std::uint16_t, std::vector<std::string>> SelectPhrases(
    const std::vector<build_language_data::WordCount>& words,
    const build_language_data::CodePageText& code_page);

}  // namespace build_phrase_files
