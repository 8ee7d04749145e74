#include "engine/api/lexicon_calls.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "engine/api/engine_data.h"
#include "engine/core/core_lm.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/symbol_table.h"
#include "engine/core/user_lexicon.h"

namespace vok::api {

namespace {

// Copies text into a caller's buffer of `size` bytes; false when it does not
// fit with its zero.
bool CopyOut(const std::string& text, char* buffer, std::int32_t size) {
  if (text.size() + 1 > static_cast<std::size_t>(size)) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

VokStatus LexiconCalls::StringToWordID(const char* word, std::uint16_t* id) const {
  if (id == nullptr) return kVokBadArgument;
  const std::uint16_t found = data_.lexicon()->StringToWordID(word);
  if (found == vok::CLexicon::kNoWord) return kVokUnknownWord;
  *id = found;
  return kVokOk;
}

VokStatus LexiconCalls::WordIDToString(std::uint32_t id, char* buffer) const {
  if (buffer == nullptr) return kVokBadArgument;
  *buffer = '\0';
  const char* word = data_.lexicon()->WordIDToString(static_cast<std::uint16_t>(id));
  if (word == nullptr || (id & 0xFFFF) == vok::CLexicon::kNoWord) return kVokUnknownWord;
  const std::size_t length = std::min(std::strlen(word), kMaxWordResult);
  std::memcpy(buffer, word, length);
  buffer[length] = '\0';
  return kVokOk;
}

VokStatus LexiconCalls::StringToPron(const char* text, char* buffer, std::int32_t size) const {
  if (buffer == nullptr || size < 1) return kVokBadArgument;
  *buffer = '\0';
  const vok::CLexicon& lexicon = *data_.lexicon();
  const vok::CLexTree* tree = lexicon.tree();
  if (tree == nullptr || *text == '\0') return kVokBadText;
  // Longest words from the left, each by its first pronunciation.
  std::string pron;
  const std::size_t length = std::strlen(text);
  for (std::size_t p = 0; p < length;) {
    const char* word_pron = nullptr;
    std::size_t taken = 0;
    for (std::size_t n = std::min(kMaxWordBytes, length - p) & ~std::size_t{1}; n >= 2 && !word_pron;
         n -= 2) {
      const std::uint16_t id = lexicon.StringToWordID(std::string(text + p, n).c_str());
      if (id == vok::CLexicon::kNoWord) continue;
      word_pron = tree->GetEntryPron(id);
      taken = n;
    }
    if (word_pron == nullptr) return kVokBadText;
    if (!pron.empty()) pron += '-';
    pron += word_pron;
    p += taken;
  }
  return CopyOut(Lower(pron), buffer, size) ? kVokOk : kVokBadArgument;
}

VokStatus LexiconCalls::CharToProns(const char* character, char* buffer, std::int32_t size) const {
  if (character == nullptr || std::strlen(character) != 2 || buffer == nullptr || size < 1)
    return kVokBadArgument;
  *buffer = '\0';
  const vok::CLexicon& lexicon = *data_.lexicon();
  const std::uint16_t id = lexicon.StringToWordID(character);
  const char* prons =
      id == vok::CLexicon::kNoWord || !lexicon.tree() ? nullptr : lexicon.tree()->GetEntryProns(id);
  if (prons == nullptr) return kVokUnknownWord;
  return CopyOut(prons, buffer, size) ? kVokOk : kVokBadArgument;
}

VokStatus LexiconCalls::AddLexicon(const char* path) {
  if (path == nullptr) return kVokBadArgument;
  vok::CUserLexicon file(kMaxFileWords);
  if (file.Read(path, 0) != 0) return kVokUserLexiconMissing;
  file.ApplyTo(data_.lexicon(), data_.pronunciations());
  data_.set_user_lexicon_changed(true);
  return kVokOk;
}

VokStatus LexiconCalls::AddWord(const char* word, std::uint16_t category, const char* pronunciation) {
  vok::CLexicon& lexicon = *data_.lexicon();
  std::string pron;
  if (pronunciation != nullptr && *pronunciation != '\0') {
    pron = Upper(pronunciation);  // syllable names are upper case
  } else if (lexicon.StringToPron(word, &pron) != 0) {
    return kVokUnknownWord;
  }
  std::uint16_t core_class = 0, page_class = 0;
  lexicon.CategoryClasses(category, &core_class, &page_class);
  const int added = lexicon.AddNewWord(word, core_class, page_class, kAddedWordScore, kAddedWordScore);
  if (added < 0) return kVokWordRefused;
  if (added == 1 && data_.pronunciations() != nullptr) {
    const std::uint16_t id = lexicon.StringToWordID(word);
    if (data_.pronunciations()->AddPronsAt(id, pron.c_str(), false) < 0) {
      data_.pronunciations()->RemoveEntry(id);
      lexicon.RemoveWord(word);
      return kVokPronunciationRefused;
    }
  }
  if (data_.user_lexicon()->AddWord(word, pron.c_str(), core_class, kAddedWordScore, page_class,
                                    kAddedWordScore) < 0)
    return kVokWordRefused;
  data_.set_user_lexicon_changed(true);
  return kVokOk;
}

VokStatus LexiconCalls::DeleteWord(const char* word) {
  if (data_.lexicon()->StringToWordID(word) == vok::CLexicon::kNoWord) return kVokUnknownWord;
  if (data_.user_lexicon()->DeleteWord(word) != 0) return kVokWordRefused;
  data_.set_user_lexicon_changed(true);
  return kVokOk;
}

VokStatus LexiconCalls::WriteUserLexicon() {
  if (!data_.user_lexicon_changed()) return kVokOk;
  const std::string path = data_.UserLexiconPath();
  if (path.empty() || data_.user_lexicon_unreadable()) return kVokInternalFailure;
  if (data_.user_lexicon()->Write(path.c_str(), 0, 0) != 0) return kVokInternalFailure;
  data_.set_user_lexicon_changed(false);
  return kVokOk;
}

std::vector<std::uint16_t> LexiconCalls::Search(const char* prefix) const {
  const vok::CLexicon& lexicon = *data_.lexicon();
  const vok::CUserLexicon* user = data_.user_lexicon();
  const std::size_t length = std::strlen(prefix);
  std::vector<std::uint16_t> found;
  for (int id = 0; id < lexicon.entry_count() && found.size() < kMaxSearchMatches; ++id) {
    const char* word = lexicon.WordIDToString(id);
    if (word == nullptr || std::strncmp(word, prefix, length) != 0) continue;
    if (user != nullptr && user->IsDeleted(word)) continue;
    found.push_back(static_cast<std::uint16_t>(id));
  }
  const vok::CoreLM* core = lexicon.core_lm();
  const auto score = [core](std::uint16_t id) { return core ? core->GetUnigramScore(id) : 0; };
  std::stable_sort(found.begin(), found.end(),
                   [&](std::uint16_t a, std::uint16_t b) { return score(a) > score(b); });
  if (found.size() > kMaxSearchResults) found.resize(kMaxSearchResults);
  return found;
}

}  // namespace vok::api
