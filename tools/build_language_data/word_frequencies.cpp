#include "tools/build_language_data/word_frequencies.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <unordered_map>

namespace build_language_data {

std::vector<WordCount> ReadWordCounts(const std::string& text) {
  std::vector<WordCount> words;
  std::unordered_map<std::string, std::size_t> index;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t cut = line.find_first_of(" \t");
    if (cut == 0 || cut == std::string::npos) continue;
    const std::size_t start = line.find_first_not_of(" \t", cut);
    if (start == std::string::npos) continue;
    int64_t count = 0;
    const char* end = line.data() + line.size();
    const auto [stop, error] = std::from_chars(line.data() + start, end, count);
    if (error != std::errc() || stop == line.data() + start || count < 0) continue;
    const std::string word = line.substr(0, cut);
    const auto [it, fresh] = index.emplace(word, words.size());
    if (fresh) {
      words.push_back({word, count});
    } else {
      words[it->second].count = std::max(words[it->second].count, count);
    }
  }
  std::stable_sort(words.begin(), words.end(),
                   [](const WordCount& a, const WordCount& b) { return a.count > b.count; });
  return words;
}

}  // namespace build_language_data
