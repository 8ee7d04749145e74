#include "tools/build_hwr_models/language_statistics.h"

#include <fstream>
#include <sstream>

#include "tools/build_language_data/language_model.h"

namespace build_hwr_models {

std::vector<std::string> Utf8Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

bool ReadWordCounts(const std::string& path, LanguageStatistics* statistics) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string word;
    double count = 0;
    if (!(fields >> word >> count) || count <= 0) continue;
    const auto characters = Utf8Characters(word);
    for (std::size_t i = 0; i < characters.size(); ++i) {
      statistics->characters[characters[i]] += count;
      if (i > 0) statistics->bigrams[{characters[i - 1], characters[i]}] += count;
    }
  }
  return true;
}

void TakeNgramBigrams(const build_language_data::NgramStatistics& ngrams, LanguageStatistics* statistics) {
  statistics->bigrams.clear();
  std::vector<std::vector<std::string>> characters(ngrams.words.size());
  for (std::size_t id = 0; id < ngrams.words.size(); ++id) characters[id] = Utf8Characters(ngrams.words[id]);
  for (std::size_t id = 0; id < characters.size() && id < ngrams.unigrams.size(); ++id) {
    const auto& word = characters[id];
    for (std::size_t i = 1; i < word.size(); ++i)
      statistics->bigrams[{word[i - 1], word[i]}] += ngrams.unigrams[id];
  }
  for (const auto& b : ngrams.bigrams) {
    if (b.first >= characters.size() || b.second >= characters.size() || b.first >= ngrams.unigrams.size())
      continue;
    const auto& left = characters[b.first];
    const auto& right = characters[b.second];
    if (left.empty() || right.empty()) continue;
    statistics->bigrams[{left.back(), right.front()}] += ngrams.unigrams[b.first] * b.probability;
  }
}

}  // namespace build_hwr_models
