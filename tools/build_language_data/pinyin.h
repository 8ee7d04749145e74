// Toned pinyin syllables as the engine spells them: upper case, the tone as a
// digit 1 to 5 (5 neutral), "V" for u-umlaut; and their split into an initial
// and a toned final.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace build_language_data {

// A syllable of the dictionary's numbered form ("Zhong1", "nu:3", "de5"), or
// nullopt for anything that is not one toned syllable of letters.
std::optional<std::string> SyllableFromNumbered(std::string_view text);

// A syllable of the character database's marked form ("zhōng", "lǜ", "de"
// is neutral), or nullopt.
std::optional<std::string> SyllableFromMarked(std::string_view utf8);

struct SyllableParts {
  std::string initial;  // lower case, empty for none
  std::string final;    // lower case with the tone digit
};

// "ZHONG1" -> {"zh", "ong1"}; "ER2" -> {"", "er2"}; "M2" -> {"", "m2"}.
SyllableParts SplitSyllable(const std::string& syllable);

// The phones of a syllable, the units of the acoustic models: its initial
// (when it has one) and its toned final. "ZHONG1" -> {"zh", "ong1"}.
std::vector<std::string> SyllablePhones(const std::string& syllable);

// The context names of the syllable's phones, center(left,right) with "#" at
// the syllable's edges: "ZHONG1" -> {"zh(#,ong1)", "ong1(zh,#)"}.
std::vector<std::string> ContextNames(const std::string& syllable);

// The HMM names that spell a syllable: without context names the initial and
// the toned final; with them center(left,right), "#" at the edges. Names not
// in `models` (when given) fall back to the plain name; nullopt when neither
// is listed.
std::optional<std::vector<std::string>> SpellSyllable(const std::string& syllable,
                                                      const std::vector<std::string>* models);

}  // namespace build_language_data
