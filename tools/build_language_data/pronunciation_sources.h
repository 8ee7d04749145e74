// Readings of words and characters from the open sources: the dictionary
// text (CC-CEDICT, "Trad Simp [pin1 yin1] /glosses/" lines) and the character
// database's kMandarin readings.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace build_language_data {

// A pronunciation: engine syllables, one per character.
using Pronunciation = std::vector<std::string>;

class PronunciationSources {
 public:
  enum class Script { kSimplified, kTraditional };

  // Adds the dictionary's entries: lines whose reading has one toned
  // syllable per character; others are skipped. Returns the lines taken.
  int AddDictionary(const std::string& text);
  // Adds "U+XXXX<TAB>kMandarin<TAB>reading ..." lines (the first reading).
  int AddCharacterReadings(const std::string& text);

  // The readings of a UTF-8 word in one script, the character database's
  // reading of a single character first; for a single character the
  // dictionary lacks, that reading alone. Empty when there is none.
  std::vector<Pronunciation> Lookup(const std::string& word, Script script) const;

 private:
  std::map<std::string, std::vector<Pronunciation>> simplified_;
  std::map<std::string, std::vector<Pronunciation>> traditional_;
  std::map<std::string, std::string> character_readings_;
};

// Number of characters of a UTF-8 text.
int CharacterCount(const std::string& utf8);

}  // namespace build_language_data
