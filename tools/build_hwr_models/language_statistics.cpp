#include "tools/build_hwr_models/language_statistics.h"

#include <fstream>
#include <sstream>

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

}  // namespace build_hwr_models
