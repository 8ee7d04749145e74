#include "tools/build_language_data/domain_ngrams.h"

#include <map>
#include <tuple>
#include <utility>

namespace build_language_data {

std::vector<std::vector<int>> WithoutExcluded(std::vector<std::vector<int>> sentences,
                                              const std::set<std::vector<int>>& excluded, int64_t* dropped) {
  std::vector<std::vector<int>> kept;
  kept.reserve(sentences.size());
  for (std::vector<int>& sentence : sentences) {
    if (excluded.count(sentence)) {
      ++*dropped;
    } else {
      kept.push_back(std::move(sentence));
    }
  }
  return kept;
}

void AddDomainNgrams(const std::vector<std::vector<int>>& sentences, const DomainOptions& options,
                     const TokenIds& tokens, WordNgrams* ngrams) {
  if (!(options.weight > 0) || sentences.empty()) return;
  std::map<std::pair<int, int>, double> bigrams;
  std::map<std::tuple<int, int, int>, double> trigrams;
  double words = 0;
  for (const std::vector<int>& sentence : sentences) {
    int w1 = -1, w2 = tokens.start;
    for (std::size_t i = 0; i <= sentence.size(); ++i) {
      const int w = i < sentence.size() ? sentence[i] : tokens.end;
      ++words;
      bigrams[{w2, w}] += 1;
      if (w1 >= 0) trigrams[{w1, w2, w}] += 1;
      w1 = w2;
      w2 = w;
    }
  }
  double statistics_words = 0;
  for (std::size_t w = 0; w < ngrams->unigrams.size(); ++w)
    if (static_cast<int>(w) != tokens.start) statistics_words += ngrams->unigrams[w];
  const double scale = options.weight * statistics_words / words;
  const double d = options.discount;
  ngrams->unigrams[static_cast<std::size_t>(tokens.start)] += scale * static_cast<double>(sentences.size());
  for (const auto& [pair, count] : bigrams) {
    ngrams->unigrams[static_cast<std::size_t>(pair.second)] += scale * count;
    ngrams->leftovers[static_cast<std::size_t>(pair.first)] += scale * d;
    ngrams->bigrams.push_back({pair.first, pair.second, scale * (count - d)});
  }
  for (const auto& [triple, count] : trigrams) {
    const auto [w1, w2, w3] = triple;
    const double history = bigrams.at({w1, w2});
    ngrams->trigrams.push_back({w1, w2, w3, scale * (count - d) * (history - d) / history});
  }
  SortAndMerge(&ngrams->bigrams, [](const WordBigram& b) { return std::pair(b.first, b.second); });
  SortAndMerge(&ngrams->trigrams,
               [](const WordNgrams::Trigram& t) { return std::tuple(t.first, t.second, t.third); });
}

}  // namespace build_language_data
