// The lexicon workers' work on the shared data set: word ids and strings,
// pronunciations, lexicon edits kept in the user lexicon, and the prefix
// search. Text arguments have passed the text check of the workers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/api/vok_status.h"

namespace vok::api {

class CEngineData;

class LexiconCalls {
 public:
  // What the workers accept and give at most.
  static constexpr std::size_t kMaxWordBytes = 16;
  static constexpr std::size_t kMaxPronText = 200;
  static constexpr std::size_t kMaxWordResult = 255;  // VOKWordIDToStringP's buffer holds 256
  static constexpr int kAddedWordScore = 48;
  static constexpr int kMaxFileWords = 2000;
  static constexpr std::size_t kMaxSearchMatches = 500;
  static constexpr std::size_t kMaxSearchResults = 200;

  explicit LexiconCalls(CEngineData& data) : data_(data) {}

  VokStatus StringToWordID(const char* word, std::uint16_t* id) const;
  // At most 255 bytes and the zero.
  VokStatus WordIDToString(std::uint32_t id, char* buffer) const;
  // The text's words' first pronunciations, joined by "-", in lower case;
  // kVokBadText when a part of the text is no word with a pronunciation.
  VokStatus StringToPron(const char* text, char* buffer, std::int32_t size) const;
  // Every pronunciation of one double-byte character, joined by "/".
  VokStatus CharToProns(const char* character, char* buffer, std::int32_t size) const;
  // Applies a user-lexicon file (at most 2000 words) to the lexicon.
  VokStatus AddLexicon(const char* path);
  // Adds the word under the classes of its category (0 person, 1 place, 2
  // idiom, other unknown) with scores 48, its pronunciation (the characters'
  // when null) into the tree under its word id, and into the user lexicon.
  VokStatus AddWord(const char* word, std::uint16_t category, const char* pronunciation);
  // Records the word as deleted in the user lexicon.
  VokStatus DeleteWord(const char* word);
  // Writes the user lexicon when it changed (a new file replacing the old).
  VokStatus WriteUserLexicon();
  // Words that begin with the prefix (deleted ones left out), the first 500
  // found, best unigram score first, at most 200.
  std::vector<std::uint16_t> Search(const char* prefix) const;

 private:
  CEngineData& data_;
};

}  // namespace vok::api
