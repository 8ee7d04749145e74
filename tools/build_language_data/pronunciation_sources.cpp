#include "tools/build_language_data/pronunciation_sources.h"

#include <algorithm>
#include <sstream>

#include "tools/build_language_data/pinyin.h"

namespace build_language_data {

namespace {

void AddUnique(std::vector<Pronunciation>* list, const Pronunciation& pron) {
  if (std::find(list->begin(), list->end(), pron) == list->end()) list->push_back(pron);
}

std::string UnicodeToUtf8(unsigned long code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

}  // namespace

int CharacterCount(const std::string& utf8) {
  int count = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

int PronunciationSources::AddDictionary(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  int taken = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t space1 = line.find(' ');
    const std::size_t space2 = space1 == std::string::npos ? space1 : line.find(' ', space1 + 1);
    const std::size_t open = line.find('[');
    const std::size_t close = open == std::string::npos ? open : line.find(']', open);
    if (space2 == std::string::npos || close == std::string::npos || open != space2 + 1) continue;
    const std::string traditional = line.substr(0, space1);
    const std::string simplified = line.substr(space1 + 1, space2 - space1 - 1);
    std::istringstream reading(line.substr(open + 1, close - open - 1));
    Pronunciation pron;
    bool valid = true;
    for (std::string piece; reading >> piece;) {
      const auto syllable = SyllableFromNumbered(piece);
      if (!syllable) {
        valid = false;
        break;
      }
      pron.push_back(*syllable);
    }
    const int length = static_cast<int>(pron.size());
    if (!valid || length == 0 || CharacterCount(traditional) != length ||
        CharacterCount(simplified) != length) {
      continue;
    }
    AddUnique(&simplified_[simplified], pron);
    AddUnique(&traditional_[traditional], pron);
    ++taken;
  }
  return taken;
}

int PronunciationSources::AddCharacterReadings(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  int taken = 0;
  while (std::getline(lines, line)) {
    if (line.compare(0, 2, "U+") != 0) continue;
    std::istringstream fields(line);
    std::string code, key, reading;
    if (!(fields >> code >> key >> reading) || key != "kMandarin") continue;
    const auto syllable = SyllableFromMarked(reading);
    if (!syllable) continue;
    character_readings_[UnicodeToUtf8(std::stoul(code.substr(2), nullptr, 16))] = *syllable;
    ++taken;
  }
  return taken;
}

std::vector<Pronunciation> PronunciationSources::Lookup(const std::string& word, Script script) const {
  const auto& table = script == Script::kSimplified ? simplified_ : traditional_;
  std::vector<Pronunciation> prons;
  const auto found = table.find(word);
  if (found != table.end()) prons = found->second;
  if (CharacterCount(word) == 1) {
    const auto reading = character_readings_.find(word);
    if (reading != character_readings_.end()) {
      const Pronunciation preferred = {reading->second};
      prons.erase(std::remove(prons.begin(), prons.end(), preferred), prons.end());
      prons.insert(prons.begin(), preferred);
    }
  }
  return prons;
}

}  // namespace build_language_data
