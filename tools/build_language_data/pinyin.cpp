#include "tools/build_language_data/pinyin.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace build_language_data {

namespace {

constexpr std::array<const char*, 23> kInitials = {"zh", "ch", "sh", "b", "p", "m", "f", "d",
                                                   "t",  "n",  "l",  "g", "k", "h", "j", "q",
                                                   "x",  "r",  "z",  "c", "s", "y", "w"};

bool AllLetters(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Marked vowels of the character database and their tones.
struct MarkedVowel {
  const char* utf8;
  char letter;  // upper case; 'V' for u-umlaut
  int tone;
};

constexpr MarkedVowel kMarked[] = {
    {"ā", 'A', 1}, {"á", 'A', 2}, {"ǎ", 'A', 3}, {"à", 'A', 4}, {"ē", 'E', 1}, {"é", 'E', 2},
    {"ě", 'E', 3}, {"è", 'E', 4}, {"ī", 'I', 1}, {"í", 'I', 2}, {"ǐ", 'I', 3}, {"ì", 'I', 4},
    {"ō", 'O', 1}, {"ó", 'O', 2}, {"ǒ", 'O', 3}, {"ò", 'O', 4}, {"ū", 'U', 1}, {"ú", 'U', 2},
    {"ǔ", 'U', 3}, {"ù", 'U', 4}, {"ǖ", 'V', 1}, {"ǘ", 'V', 2}, {"ǚ", 'V', 3}, {"ǜ", 'V', 4},
    {"ü", 'V', 0}, {"ń", 'N', 2}, {"ň", 'N', 3}, {"ǹ", 'N', 4}, {"ḿ", 'M', 2}, {"ê", 'E', 0},
};

}  // namespace

std::optional<std::string> SyllableFromNumbered(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  const char tone = text.back();
  if (tone < '1' || tone > '5') return std::nullopt;
  std::string letters;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const char c = text[i];
    if (c == 'u' && i + 2 < text.size() && text[i + 1] == ':') {
      letters += 'V';
      ++i;
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else {
      return std::nullopt;
    }
  }
  if (!AllLetters(letters)) return std::nullopt;
  return letters + tone;
}

std::optional<std::string> SyllableFromMarked(std::string_view utf8) {
  std::string letters;
  int tone = 5;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      if (!std::isalpha(c)) return std::nullopt;
      letters += static_cast<char>(std::toupper(c));
      ++i;
      continue;
    }
    bool known = false;
    for (const MarkedVowel& v : kMarked) {
      const std::string_view mark = v.utf8;
      if (utf8.substr(i, mark.size()) == mark) {
        letters += v.letter;
        if (v.tone > 0) tone = v.tone;
        i += mark.size();
        known = true;
        break;
      }
    }
    if (!known) return std::nullopt;
  }
  if (!AllLetters(letters)) return std::nullopt;
  return letters + static_cast<char>('0' + tone);
}

SyllableParts SplitSyllable(const std::string& syllable) {
  std::string lower;
  for (char c : syllable) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* initial : kInitials) {
    const std::string_view i = initial;
    // A syllable that is only an initial and a tone (m2, n2) has no initial.
    if (lower.compare(0, i.size(), i) == 0 && lower.size() > i.size() + 1) {
      return {std::string(i), lower.substr(i.size())};
    }
  }
  return {"", lower};
}

std::vector<std::string> SyllablePhones(const std::string& syllable) {
  const SyllableParts parts = SplitSyllable(syllable);
  std::vector<std::string> phones;
  if (!parts.initial.empty()) phones.push_back(parts.initial);
  phones.push_back(parts.final);
  return phones;
}

std::vector<std::string> ContextNames(const std::string& syllable) {
  const std::vector<std::string> phones = SyllablePhones(syllable);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < phones.size(); ++i) {
    const std::string left = i > 0 ? phones[i - 1] : "#";
    const std::string right = i + 1 < phones.size() ? phones[i + 1] : "#";
    names.push_back(phones[i] + "(" + left + "," + right + ")");
  }
  return names;
}

std::optional<std::vector<std::string>> SpellSyllable(const std::string& syllable,
                                                      const std::vector<std::string>* models) {
  const std::vector<std::string> phones = SyllablePhones(syllable);
  if (!models) return phones;
  const std::vector<std::string> contexts = ContextNames(syllable);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < phones.size(); ++i) {
    if (std::find(models->begin(), models->end(), contexts[i]) != models->end()) {
      names.push_back(contexts[i]);
    } else if (std::find(models->begin(), models->end(), phones[i]) != models->end()) {
      names.push_back(phones[i]);
    } else {
      return std::nullopt;
    }
  }
  return names;
}

}  // namespace build_language_data
