// The grammar files of a dialect folder from open word lists: a personal-name
// grammar in the character-bigram form ("CName") from the names of a word
// list, and a spelling grammar ("Spell") that names each common character by
// a common word holding it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace build_grammars {

// A personal name in the code page: the surname character and the given-name
// characters.
struct PersonalName {
  std::string surname;
  std::string given;
};

// The names of jieba-form lines ("word count tag", UTF-8) tagged "nr", most
// frequent first, converted by `convert` (empty when a character has no
// code): two- and three-character names whose first character begins at
// least `min_names` distinct names (the surnames).
std::vector<PersonalName> PersonalNames(const std::string& jieba_text,
                                        std::string (*convert)(const std::string& utf8), int min_names);

// The "%BIGRAM" grammar text: one line per name, surname, the separator
// A1 A4, given name; names are taken in order while the character and pair
// tables of the reader (2000 and 5000 entries) hold them.
std::string NameGrammar(const std::vector<PersonalName>& names, const std::string& grammar_name);

// The unit-form grammar text of unit `unit_name`: for each of the first
// `characters` one-character words, the first word of two to four characters
// that holds it, as the alternative "word <of> character" (`of` is the code
// page's possessive particle).
std::string SpellGrammar(const std::vector<std::string>& words, int characters, const std::string& of,
                         const std::string& unit_name);

}  // namespace build_grammars
