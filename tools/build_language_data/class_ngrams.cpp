#include "tools/build_language_data/class_ngrams.h"

#include <algorithm>
#include <numeric>

namespace build_language_data {

WordNgrams MapNgrams(const NgramStatistics& statistics, const std::vector<std::vector<int>>& pieces_of,
                     const std::vector<double>& counts, const TokenIds& tokens) {
  const std::size_t ids = statistics.unigrams.size();
  const std::vector<int> unknown_word{tokens.unknown};
  const std::vector<int> start_word{tokens.start};
  const std::vector<int> end_word{tokens.end};
  const auto boundary = [&](uint32_t id) {
    return id == NgramStatistics::kBoundary ||
           (id < pieces_of.size() && pieces_of[id].size() == 1 && pieces_of[id][0] == kBoundaryPiece);
  };
  const auto pieces = [&](uint32_t id) -> const std::vector<int>& {
    return id < pieces_of.size() && !pieces_of[id].empty() ? pieces_of[id] : unknown_word;
  };
  const auto as_history = [&](uint32_t id) -> const std::vector<int>& {
    return boundary(id) ? start_word : pieces(id);
  };
  const auto as_next = [&](uint32_t id) -> const std::vector<int>& {
    return boundary(id) ? end_word : pieces(id);
  };
  const auto whole = [&](uint32_t id) {
    return id < pieces_of.size() && pieces_of[id].size() == 1 && pieces_of[id][0] >= 0 ? pieces_of[id][0]
                                                                                       : -1;
  };
  // A lexicon word's count goes to the statistics' words that are that word,
  // in the proportion of their unigrams; the scale of the others (and of the
  // boundary) follows from the lexicon's total over that mass.
  std::vector<double> share(counts.size(), 0.0);
  double whole_mass = 0, lexicon_total = 0;
  for (uint32_t id = 1; id < ids; ++id)
    if (whole(id) >= 0) {
      share[static_cast<std::size_t>(whole(id))] += statistics.unigrams[id];
      whole_mass += statistics.unigrams[id];
    }
  for (std::size_t w = 0; w < counts.size(); ++w)
    if (share[w] > 0) lexicon_total += counts[w];
  const double scale = whole_mass > 0 ? lexicon_total / whole_mass : 0.0;
  std::vector<double> id_count(ids, 0.0);
  double boundaries = 0;
  for (uint32_t id = 0; id < ids; ++id) {
    const double p = statistics.unigrams[id];
    const int w = whole(id);
    id_count[id] =
        w >= 0 ? counts[static_cast<std::size_t>(w)] * p / share[static_cast<std::size_t>(w)] : p * scale;
    if (boundary(id)) boundaries += id_count[id];
  }
  WordNgrams out;
  out.unigrams = counts;
  out.leftovers.assign(counts.size(), 0.0);
  out.unigrams[static_cast<std::size_t>(tokens.start)] = boundaries;
  out.unigrams[static_cast<std::size_t>(tokens.end)] = boundaries;
  // The n-grams inside a word that the lexicon holds in pieces: each piece
  // is followed by the next as often as the word occurs.
  for (uint32_t id = 1; id < ids; ++id) {
    if (boundary(id)) continue;
    const std::vector<int>& p = pieces(id);
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
      out.bigrams.push_back({p[i], p[i + 1], id_count[id]});
      if (i + 2 < p.size()) out.trigrams.push_back({p[i], p[i + 1], p[i + 2], id_count[id]});
    }
    if (id >= pieces_of.size() || pieces_of[id].empty())
      out.unigrams[static_cast<std::size_t>(tokens.unknown)] += id_count[id];
  }

  // Bigrams join the last piece of the first word to the first piece of the
  // second; a piece before or after the join makes a trigram too. What each
  // word leaves to back-off follows its last piece.
  std::vector<double> listed(ids, 0.0);
  std::vector<std::size_t> by_pair(statistics.bigrams.size());
  std::iota(by_pair.begin(), by_pair.end(), std::size_t{0});
  const auto pair_key = [&](std::size_t i) {
    return (uint64_t{statistics.bigrams[i].first} << 32) | statistics.bigrams[i].second;
  };
  std::sort(by_pair.begin(), by_pair.end(),
            [&](std::size_t a, std::size_t b) { return pair_key(a) < pair_key(b); });
  for (const NgramStatistics::Bigram& b : statistics.bigrams) {
    if (b.first >= ids || b.second >= ids) continue;
    if (boundary(b.first) && boundary(b.second)) continue;
    listed[b.first] += b.probability;
    if (!(b.probability > 0)) continue;
    const std::vector<int>& a = as_history(b.first);
    const std::vector<int>& c = as_next(b.second);  // a then c
    const double weight = id_count[b.first] * b.probability;
    out.bigrams.push_back({a.back(), c.front(), weight});
    if (a.size() >= 2) out.trigrams.push_back({a[a.size() - 2], a.back(), c.front(), weight});
    if (c.size() >= 2) out.trigrams.push_back({a.back(), c[0], c[1], weight});
  }
  for (uint32_t id = 0; id < ids; ++id)
    out.leftovers[static_cast<std::size_t>(as_history(id).back())] +=
        id_count[id] * std::max(0.0, 1.0 - listed[id]);
  // A lexicon word the statistics know only inside longer words still
  // occurs on its own as often as its count says, followed by anything.
  for (std::size_t w = 0; w < counts.size(); ++w)
    if (share[w] == 0 && static_cast<int>(w) != tokens.start && static_cast<int>(w) != tokens.end)
      out.leftovers[w] += counts[w];
  SortAndMerge(&out.bigrams, [](const WordBigram& b) { return std::pair(b.first, b.second); });

  // Trigrams whose middle word is one piece (a longer middle word's last two
  // pieces are a history its bigrams already continue).
  for (const NgramStatistics::Trigram& t : statistics.trigrams) {
    if (t.first >= ids || t.second >= ids || t.third >= ids || boundary(t.second)) continue;
    if (pieces(t.second).size() != 1 || !(t.probability > 0)) continue;
    const uint64_t key = (uint64_t{t.first} << 32) | t.second;
    const auto it = std::lower_bound(by_pair.begin(), by_pair.end(), key,
                                     [&](std::size_t i, uint64_t k) { return pair_key(i) < k; });
    if (it == by_pair.end() || pair_key(*it) != key) continue;  // a history the bigrams do not list
    const double history = id_count[t.first] * statistics.bigrams[*it].probability;
    out.trigrams.push_back(
        {as_history(t.first).back(), pieces(t.second)[0], as_next(t.third).front(), history * t.probability});
  }
  SortAndMerge(&out.trigrams,
               [](const WordNgrams::Trigram& t) { return std::tuple(t.first, t.second, t.third); });
  return out;
}

ClassNgrams::ClassNgrams(const WordNgrams& ngrams, const std::vector<int>& word_class, int classes,
                         int no_prediction)
    : classes_(classes),
      unigram_(static_cast<std::size_t>(classes), 0.0),
      history_counts_(static_cast<std::size_t>(classes), 0.0),
      backoff_mass_(static_cast<std::size_t>(classes), 0.0),
      bigram_backoff_(static_cast<std::size_t>(classes), 1.0),
      pair_counts_(static_cast<std::size_t>(classes) * static_cast<std::size_t>(classes), 0.0) {
  const auto of = [&](int w) { return word_class[static_cast<std::size_t>(w)]; };
  for (std::size_t w = 0; w < ngrams.unigrams.size(); ++w) {
    unigram_[static_cast<std::size_t>(of(static_cast<int>(w)))] += ngrams.unigrams[w];
    backoff_mass_[static_cast<std::size_t>(of(static_cast<int>(w)))] += ngrams.leftovers[w];
  }
  unigram_[static_cast<std::size_t>(no_prediction)] = 0;
  const double total = std::accumulate(unigram_.begin(), unigram_.end(), 0.0);
  for (double& p : unigram_) p = total > 0 ? p / total : 0.0;
  for (const WordBigram& b : ngrams.bigrams) {
    pair_counts_[Index(of(b.first), of(b.second))] += b.weight;
    history_counts_[static_cast<std::size_t>(of(b.first))] += b.weight;
  }
  for (int c = 0; c < classes; ++c) {
    const std::size_t k = static_cast<std::size_t>(c);
    history_counts_[k] += backoff_mass_[k];
    if (history_counts_[k] > 0)
      bigram_backoff_[k] = std::max(kMinimumBackoff, backoff_mass_[k] / history_counts_[k]);
  }
  trigrams_.reserve(ngrams.trigrams.size());
  for (const WordNgrams::Trigram& t : ngrams.trigrams)
    trigrams_.push_back({of(t.first), of(t.second), of(t.third), t.weight});
  SortAndMerge(&trigrams_, [](const ClassTrigram& t) { return std::tuple(t.c1, t.c2, t.c3); });
  for (std::size_t i = 0; i < trigrams_.size(); ++i) {
    if (i == 0 || trigrams_[i].c1 != trigrams_[i - 1].c1 || trigrams_[i].c2 != trigrams_[i - 1].c2) {
      history_starts_.push_back(i);
      listed_mass_.push_back(0.0);
    }
    listed_mass_.back() += trigrams_[i].weight;
  }
  history_starts_.push_back(trigrams_.size());
}

double ClassNgrams::Bigram(int c1, int c2) const {
  const std::size_t k = static_cast<std::size_t>(c1);
  const double listed = history_counts_[k] - backoff_mass_[k];
  if (!(listed > 1e-9 * history_counts_[k])) return Unigram(c2);
  const double b = BigramBackoff(c1);
  return (1 - b) * pair_counts_[Index(c1, c2)] / listed + b * Unigram(c2);
}

std::pair<std::size_t, std::size_t> ClassNgrams::History(int c1, int c2) const {
  const auto it = std::lower_bound(history_starts_.begin(), history_starts_.end() - 1, std::pair(c1, c2),
                                   [&](std::size_t i, const std::pair<int, int>& key) {
                                     return std::pair(trigrams_[i].c1, trigrams_[i].c2) < key;
                                   });
  if (it == history_starts_.end() - 1 || trigrams_[*it].c1 != c1 || trigrams_[*it].c2 != c2) return {0, 0};
  return {*it, *(it + 1)};
}

double ClassNgrams::HistoryCount(int c1, int c2) const {
  return pair_counts_[Index(c1, c2)] + backoff_mass_[static_cast<std::size_t>(c1)] * Unigram(c2);
}

double ClassNgrams::TrigramBackoff(int c1, int c2) const {
  const auto [first, last] = History(c1, c2);
  if (first == last) return 1.0;
  const std::size_t h = static_cast<std::size_t>(
      std::upper_bound(history_starts_.begin(), history_starts_.end(), first) - history_starts_.begin() - 1);
  const double n = HistoryCount(c1, c2);
  return n > 0 ? std::clamp(1.0 - listed_mass_[h] / n, kMinimumBackoff, 1.0) : 1.0;
}

double ClassNgrams::ListedTrigramMass(int c1, int c2) const {
  const auto [first, last] = History(c1, c2);
  double mass = 0;
  for (std::size_t i = first; i < last; ++i) mass += trigrams_[i].weight;
  return mass;
}

double ClassNgrams::Trigram(int c1, int c2, int c3) const {
  const double backoff = TrigramBackoff(c1, c2) * Bigram(c2, c3);
  const auto [first, last] = History(c1, c2);
  const auto it = std::lower_bound(trigrams_.begin() + static_cast<std::ptrdiff_t>(first),
                                   trigrams_.begin() + static_cast<std::ptrdiff_t>(last), c3,
                                   [](const ClassTrigram& t, int c) { return t.c3 < c; });
  if (it == trigrams_.begin() + static_cast<std::ptrdiff_t>(last) || it->c3 != c3) return backoff;
  const std::size_t h = static_cast<std::size_t>(
      std::upper_bound(history_starts_.begin(), history_starts_.end(), first) - history_starts_.begin() - 1);
  return listed_mass_[h] > 0 ? (1 - TrigramBackoff(c1, c2)) * it->weight / listed_mass_[h] + backoff
                             : backoff;
}

}  // namespace build_language_data
