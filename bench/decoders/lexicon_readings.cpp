#include "bench/decoders/lexicon_readings.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::string piece;
  std::istringstream in(text);
  while (std::getline(in, piece, separator)) pieces.push_back(piece);
  return pieces;
}

// "ZHONG1" -> "zhong".
std::string Toneless(std::string syllable) {
  while (!syllable.empty() && syllable.back() >= '0' && syllable.back() <= '9') syllable.pop_back();
  for (char& c : syllable) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return syllable;
}

}  // namespace

bool LexiconReadings::Load(const std::string& folder) {
  std::ifstream prons(folder + "/Pron.txt", std::ios::binary);
  std::ifstream lexicon(folder + "/Lexicon.txt", std::ios::binary);
  if (!prons || !lexicon) return false;
  std::unordered_map<std::string, int64_t> counts;
  std::string line;
  for (int n = 0; std::getline(lexicon, line); ++n) {
    if (n < 2) continue;  // the word and class counts
    std::istringstream fields(line);
    std::string id, word;
    int word_class = 0;
    int64_t count = 0;
    if (fields >> id >> word >> word_class >> count) counts.emplace(word, count);
  }
  for (int n = 0; std::getline(prons, line); ++n) {
    if (n < 2) continue;  // the count line and the comment
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    const std::string word = line.substr(blank + 1);
    const std::vector<std::string> alternatives = Split(line.substr(0, blank), '/');
    if (alternatives.empty() || word.empty()) continue;
    std::vector<std::string> syllables;
    for (const std::string& s : Split(alternatives[0], '-')) syllables.push_back(Toneless(s));
    first_reading_.emplace(word, syllables);
    longest_ = std::max(longest_, word.size());
    if (word.size() != 2) continue;
    const auto count = counts.find(word);
    for (const std::string& alternative : alternatives) {
      auto& best = commonest_[Toneless(alternative)];
      if (count != counts.end() && count->second > best.first) best = {count->second, word};
    }
  }
  return !first_reading_.empty();
}

std::optional<std::vector<std::string>> LexiconReadings::Syllables(const std::string& text) const {
  std::vector<std::string> syllables;
  for (std::size_t pos = 0; pos < text.size();) {
    bool found = false;
    for (std::size_t length = std::min(longest_, text.size() - pos); length >= 2 && !found; length -= 2) {
      const auto it = first_reading_.find(text.substr(pos, length));
      if (it == first_reading_.end()) continue;
      syllables.insert(syllables.end(), it->second.begin(), it->second.end());
      pos += length;
      found = true;
    }
    if (!found) return std::nullopt;
  }
  return syllables;
}

std::string LexiconReadings::Baseline(const std::vector<std::string>& syllables) const {
  std::string text;
  for (const std::string& s : syllables) {
    const auto it = commonest_.find(s);
    if (it != commonest_.end()) text += it->second.second;
  }
  return text;
}

std::string JoinedKeys(const std::vector<std::string>& syllables) {
  std::string keys;
  for (const std::string& s : syllables) keys += s;
  return keys;
}

}  // namespace bench
