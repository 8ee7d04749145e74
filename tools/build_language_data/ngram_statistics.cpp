#include "tools/build_language_data/ngram_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <unordered_set>

namespace build_language_data {

namespace {

// Ids beyond this are taken for a corrupt listing.
constexpr unsigned long kMaxId = 1'000'000;

// Every character of the UTF-8 text a three-byte one of U+4E00 to U+9FFF.
bool AllUnifiedHan(const std::string& utf8) {
  if (utf8.empty() || utf8.size() % 3 != 0) return false;
  for (std::size_t i = 0; i < utf8.size(); i += 3) {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
    const auto b2 = static_cast<unsigned char>(utf8[i + 2]);
    if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return false;
    const unsigned code = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
    if (code < 0x4E00 || code > 0x9FFF) return false;
  }
  return true;
}

}  // namespace

std::string ReadNgramStatistics(const std::string& ngram_text, const std::string& word_table,
                                NgramStatistics* statistics) {
  std::istringstream table(word_table);
  for (std::string line; std::getline(table, line);) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const unsigned long id = std::strtoul(line.c_str(), nullptr, 10);
    if (id > kMaxId) return "word id out of range in the word table";
    if (statistics->words.size() <= id) statistics->words.resize(id + 1);
    statistics->words[id] = line.substr(tab + 1);
  }
  int order = 0;
  const char* p = ngram_text.c_str();
  while (*p) {
    const char* end = std::strchr(p, '\n');
    const std::string line(p, end ? static_cast<std::size_t>(end - p) : std::strlen(p));
    p = end ? end + 1 : p + line.size();
    if (line.rfind("\\", 0) == 0) {
      order = line.size() > 1 ? line[1] - '0' : 0;
      continue;
    }
    if (order < 1 || order > 3) continue;
    char* cursor = const_cast<char*>(line.c_str());
    unsigned long ids[3] = {};
    for (int k = 0; k < order; ++k) {
      char* next = nullptr;
      ids[k] = std::strtoul(cursor, &next, 10);
      if (next == cursor || ids[k] > kMaxId)
        return "bad id in the " + std::to_string(order) + "-gram section";
      cursor = next;
    }
    char* after = nullptr;
    const double probability = std::strtod(cursor, &after);
    if (after == cursor || !(probability >= 0 && probability <= 1))
      return "bad probability in the " + std::to_string(order) + "-gram section";
    if (order == 1) {
      if (statistics->unigrams.size() <= ids[0]) statistics->unigrams.resize(ids[0] + 1, 0.0);
      statistics->unigrams[ids[0]] = probability;
    } else if (order == 2) {
      statistics->bigrams.push_back(
          {static_cast<uint32_t>(ids[0]), static_cast<uint32_t>(ids[1]), probability});
    } else {
      statistics->trigrams.push_back({static_cast<uint32_t>(ids[0]), static_cast<uint32_t>(ids[1]),
                                      static_cast<uint32_t>(ids[2]), probability});
    }
  }
  if (statistics->unigrams.empty() || statistics->bigrams.empty())
    return "no unigrams or bigrams in the statistics";
  return std::string();
}

std::vector<WordCount> StatisticsWordCounts(const NgramStatistics& statistics) {
  std::vector<WordCount> counts;
  const std::size_t ids = std::min(statistics.words.size(), statistics.unigrams.size());
  for (std::size_t id = 0; id < ids; ++id) {
    if (!AllUnifiedHan(statistics.words[id])) continue;
    const auto count = static_cast<int64_t>(std::llround(statistics.unigrams[id] * kStatisticsCountScale));
    counts.push_back({statistics.words[id], std::max<int64_t>(1, count)});
  }
  std::stable_sort(counts.begin(), counts.end(),
                   [](const WordCount& a, const WordCount& b) { return a.count > b.count; });
  // A word listed under several ids keeps its largest count.
  std::unordered_set<std::string> seen;
  std::erase_if(counts, [&](const WordCount& c) { return !seen.insert(c.word).second; });
  return counts;
}

}  // namespace build_language_data
