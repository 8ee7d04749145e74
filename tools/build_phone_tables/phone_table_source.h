// The contents of a homophone table from the open sources: the character
// database's kMandarin and kXHC1983 readings of the characters of a code
// page, and a word list whose counts, summed per character, order the
// characters of each syllable and tone.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/core/related_data_writers.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/word_frequencies.h"

namespace build_phone_tables {

// Per character (UTF-8) its readings in the numbered form ("ZHONG1"): the
// kMandarin reading first, then kXHC1983's others, without repeats.
using CharacterReadings = std::map<std::string, std::vector<std::string>>;
CharacterReadings ParseUnihanReadings(const std::string& text);

// Per character (UTF-8) the summed counts of the words it occurs in.
std::map<std::string, std::int64_t> CharacterFrequencies(
    const std::vector<build_language_data::WordCount>& words);

struct BuildSummary {
  int characters = 0;     // characters of the code page with a reading
  int readings_left = 0;  // readings with no fields (m, n, ng, ...)
};

// The table of `language` (2000 Big5, 4000 GB2312): each character of the
// code page's Chinese ranges with its readings, and per syllable and tone
// its characters, most frequent first (equal counts in code order).
wrendle::app::PhoneTableContents BuildPhoneTable(const CharacterReadings& readings,
                                                 const std::map<std::string, std::int64_t>& frequencies,
                                                 const build_language_data::CodePageText& code_page,
                                                 int language, BuildSummary* summary = nullptr);

}  // namespace build_phone_tables
