// The vocabulary stage of a dialect folder: the lexicon's words in word-id
// order with their pronunciations, and the files made from them: "Syllable"
// (syllables and their HMM spellings), the pronunciation text "Pron.txt" and
// its binary form "Pron".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/pronunciation_sources.h"
#include "tools/build_language_data/word_frequencies.h"

namespace build_language_data {

struct LexiconWord {
  std::string text;  // in the dialect's code page
  std::vector<Pronunciation> prons;
};

// Word ids stop below the engine's pseudo-words (65500); the lexicon leaves
// room for the words users add.
inline constexpr int kDefaultLexiconWords = 60000;

// The most frequent words that have a pronunciation whose every syllable
// `spellable` accepts and that the code page holds, at most `max_words`, most
// frequent first (their word ids).
std::vector<LexiconWord> SelectLexicon(const std::vector<WordCount>& counts,
                                       const PronunciationSources& sources,
                                       PronunciationSources::Script script, const CodePageText& code_page,
                                       int max_words,
                                       const std::function<bool(const std::string&)>& spellable);

// The syllables of the lexicon, sorted.
std::vector<std::string> LexiconSyllables(const std::vector<LexiconWord>& lexicon);

// "Syllable" text: each syllable with its HMM names.
std::string SyllableText(const std::vector<std::string>& syllables, const std::vector<std::string>* models);
// The pronunciation text: "Pronunciations N", a comment line, then one line
// per word: alternatives joined by "/", syllables by "-", then the word.
std::string PronunciationText(const std::vector<LexiconWord>& lexicon);

// The words of a pronunciation text (after its header and comments), in id
// order.
std::vector<std::string> PronunciationWords(const std::string& pron_text);

// Writes "Syllable", "Pron.txt" and "Pron" into the folder. Empty, or the
// reason of the failure.
std::string WriteVocabulary(const std::vector<LexiconWord>& lexicon, const std::vector<std::string>* models,
                            const std::string& folder);

}  // namespace build_language_data
