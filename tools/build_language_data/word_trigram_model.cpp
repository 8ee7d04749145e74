#include "tools/build_language_data/word_trigram_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <tuple>

#include "engine/core/log_score.h"
#include "engine/core/page_lm.h"

namespace build_language_data {

namespace {

// -LogValue(p): the cost of a probability in log units.
int64_t Cost(double p) { return -int64_t{vok::LogValue(p)}; }

// A cost in units of 2^shift, rounded, at most `limit`.
int64_t Scaled(int64_t cost, int shift, int64_t limit) {
  const int64_t half = shift > 0 ? int64_t{1} << (shift - 1) : 0;
  return std::clamp<int64_t>((cost + half) >> shift, 0, limit);
}

}  // namespace

WordTrigramModel::WordTrigramModel(const WordNgrams& ngrams, int no_prediction)
    : unigram_(ngrams.unigrams.size(), 0.0),
      bigram_listed_(ngrams.unigrams.size(), 0.0),
      bigram_backoff_(ngrams.unigrams.size(), 1.0),
      bigrams_(ngrams.bigrams),
      trigrams_(ngrams.trigrams) {
  double total = 0;
  for (std::size_t w = 0; w < unigram_.size(); ++w)
    if (static_cast<int>(w) != no_prediction) total += ngrams.unigrams[w];
  for (std::size_t w = 0; w < unigram_.size(); ++w)
    if (static_cast<int>(w) != no_prediction && total > 0) unigram_[w] = ngrams.unigrams[w] / total;
  for (const WordBigram& b : bigrams_) bigram_listed_[static_cast<std::size_t>(b.first)] += b.weight;
  double leftover_total = 0, leftover_log = 0;
  for (std::size_t w = 0; w < unigram_.size(); ++w) {
    const double leftover = ngrams.leftovers[w];
    const double history = bigram_listed_[w] + leftover;
    if (!(history > 0) || !(bigram_listed_[w] > 0)) continue;
    bigram_backoff_[w] = std::max(kMinimumBackoff, leftover / history);
    leftover_total += leftover;
    leftover_log += leftover * std::log(bigram_backoff_[w]);
  }
  if (leftover_total > 0) average_bigram_backoff_ = std::exp(leftover_log / leftover_total);

  // Each history's listed mass and back-off, from the pair that leads to it.
  trigram_listed_.assign(trigrams_.size(), 0.0);
  trigram_backoff_.assign(trigrams_.size(), kMinimumBackoff);
  for (std::size_t begin = 0; begin < trigrams_.size();) {
    std::size_t end = begin;
    double listed = 0;
    for (; end < trigrams_.size() && trigrams_[end].first == trigrams_[begin].first &&
           trigrams_[end].second == trigrams_[begin].second;
         ++end)
      listed += trigrams_[end].weight;
    const std::ptrdiff_t pair = FindBigram(trigrams_[begin].first, trigrams_[begin].second);
    const double history = pair >= 0 ? bigrams_[static_cast<std::size_t>(pair)].weight : 0.0;
    const double backoff =
        history > listed ? std::max(kMinimumBackoff, 1.0 - listed / history) : kMinimumBackoff;
    for (std::size_t t = begin; t < end; ++t) {
      trigram_listed_[t] = listed;
      trigram_backoff_[t] = backoff;
    }
    begin = end;
  }
}

std::ptrdiff_t WordTrigramModel::FindBigram(int w1, int w2) const {
  const auto it = std::lower_bound(
      bigrams_.begin(), bigrams_.end(), std::pair(w1, w2),
      [](const WordBigram& b, const std::pair<int, int>& key) { return std::pair(b.first, b.second) < key; });
  if (it == bigrams_.end() || it->first != w1 || it->second != w2) return -1;
  return it - bigrams_.begin();
}

std::size_t WordTrigramModel::LowerTrigram(int w1, int w2, int w3) const {
  const auto key = std::tuple(w1, w2, w3);
  const auto it = std::lower_bound(trigrams_.begin(), trigrams_.end(), key,
                                   [](const WordNgrams::Trigram& t, const std::tuple<int, int, int>& k) {
                                     return std::tuple(t.first, t.second, t.third) < k;
                                   });
  return static_cast<std::size_t>(it - trigrams_.begin());
}

double WordTrigramModel::Bigram(int w1, int w2) const {
  const std::size_t h = static_cast<std::size_t>(w1);
  const double listed = bigram_listed_[h];
  if (!(listed > 0)) return Unigram(w2);
  const std::ptrdiff_t pair = FindBigram(w1, w2);
  const double own = pair >= 0 ? bigrams_[static_cast<std::size_t>(pair)].weight / listed : 0.0;
  return (1 - bigram_backoff_[h]) * own + bigram_backoff_[h] * Unigram(w2);
}

double WordTrigramModel::ListedTrigram(std::size_t t) const {
  const WordNgrams::Trigram& g = trigrams_[t];
  const double b3 = trigram_backoff_[t];
  return (1 - b3) * g.weight / trigram_listed_[t] + b3 * Bigram(g.second, g.third);
}

double WordTrigramModel::Trigram(int w1, int w2, int w3) const {
  const std::size_t at = LowerTrigram(w1, w2, w3);
  if (at < trigrams_.size() && trigrams_[at].first == w1 && trigrams_[at].second == w2) {
    if (trigrams_[at].third == w3) return ListedTrigram(at);
    return trigram_backoff_[at] * Bigram(w2, w3);
  }
  // The history's triples may all lie before w3.
  if (at > 0 && trigrams_[at - 1].first == w1 && trigrams_[at - 1].second == w2)
    return trigram_backoff_[at - 1] * Bigram(w2, w3);
  return Bigram(w2, w3);
}

std::vector<WordNgrams::Trigram> WordTrigramModel::KeptTrigrams(double ratio) const {
  std::vector<WordNgrams::Trigram> kept;
  for (std::size_t t = 0; t < trigrams_.size(); ++t) {
    const WordNgrams::Trigram& g = trigrams_[t];
    const double p = ListedTrigram(t);
    const double q = Bigram(g.second, g.third);
    if (p > ratio * q || p * ratio < q) kept.push_back({g.first, g.second, g.third, p});
  }
  return kept;
}

WordTrigramFile BuildWordTrigramFile(const WordTrigramModel& model, const std::vector<std::string>& texts,
                                     const std::vector<int>& word_class, int classes, double prune_ratio) {
  const int n = model.words();
  const double average = model.average_bigram_backoff();
  // The shift: the unigram level's costs in 16 bits.
  int64_t largest = 0;
  for (int w = 0; w < n; ++w)
    if (model.Unigram(w) > 0) largest = std::max(largest, Cost(model.Unigram(w) * average));
  int shift = 0;
  while (shift < WordTrigramFile::kMaxShift && (largest >> shift) > 65535) ++shift;

  WordTrigramFile out;
  vok_testing::SemiClassTrigramModel& f = out.file;
  f.version = 2;
  f.classes = classes;
  f.shift = shift;
  f.words.resize(static_cast<std::size_t>(n));
  f.class_words.assign(static_cast<std::size_t>(classes), 0);
  for (int w = 0; w < n; ++w) {
    vok_testing::SemiClassTrigramModel::Word& word = f.words[static_cast<std::size_t>(w)];
    word.text = texts[static_cast<std::size_t>(w)];
    word.unigram = static_cast<uint16_t>(
        model.Unigram(w) > 0 ? Scaled(Cost(model.Unigram(w) * average), shift, 65535) : 65535);
    f.class_words[static_cast<std::size_t>(word_class[static_cast<std::size_t>(w)])] =
        static_cast<uint16_t>(w);
  }
  const auto class_of = [&](int w) { return static_cast<uint16_t>(word_class[static_cast<std::size_t>(w)]); };
  // Each word's histories, most probable first, as many as its group table
  // holds; the others take the unigram level.
  std::vector<std::vector<std::pair<double, int>>> histories(static_cast<std::size_t>(n));
  for (const WordBigram& b : model.bigrams())
    histories[static_cast<std::size_t>(b.second)].emplace_back(b.weight, b.first);
  for (int w = 0; w < n; ++w) {
    auto& h = histories[static_cast<std::size_t>(w)];
    const std::size_t keep = std::min<std::size_t>(h.size(), WordTrigramFile::kMaxGroups);
    std::partial_sort(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(keep), h.end(), std::greater<>());
    h.resize(keep);
    auto& groups = f.words[static_cast<std::size_t>(w)].groups;
    for (const auto& [weight, w1] : h)
      groups[class_of(w1)].bigram = static_cast<uint16_t>(Scaled(Cost(model.Bigram(w1, w)), shift, 65535));
  }
  // A triple whose pair has a group keeps its own byte, as many as a group
  // holds (the most probable).
  std::vector<WordNgrams::Trigram> kept = model.KeptTrigrams(prune_ratio);
  std::stable_sort(kept.begin(), kept.end(), [](const WordNgrams::Trigram& a, const WordNgrams::Trigram& b) {
    return a.weight > b.weight;
  });
  for (const WordNgrams::Trigram& t : kept) {
    auto& groups = f.words[static_cast<std::size_t>(t.third)].groups;
    const auto group = groups.find(class_of(t.second));
    if (group == groups.end() || group->second.records.size() >= WordTrigramFile::kMaxRecords) continue;
    const int64_t byte = Scaled(Cost(t.weight), shift + 8, 256);
    if (byte > 255) continue;
    group->second.records[class_of(t.first)] = static_cast<uint8_t>(byte);
    ++out.trigrams;
  }
  return out;
}

std::string CheckWordTrigramFile(const WordTrigramFile& written, vok::PageLM* reader) {
  const vok_testing::SemiClassTrigramModel& f = written.file;
  const int down = WordTrigramFile::kMaxShift - f.shift;
  std::string error;
  // The back-off levels go through the reader's floating-point powers and
  // logarithms: one unit either way.
  const auto check = [&](int a, int b, int w, int expected, bool exact, const char* what) {
    const int score = reader->GetClassTrigramScore(a, b, w);
    if (exact ? score != expected : std::abs(score - expected) > 1)
      error = std::string(what) + " (" + std::to_string(a) + ", " + std::to_string(b) + ", word " +
              std::to_string(w) + ") reads back wrong";
  };
  reader->StartUtterance();
  for (std::size_t w = 0; w < f.words.size() && error.empty(); ++w) {
    const auto& groups = f.words[w].groups;
    const int word = static_cast<int>(w);
    std::vector<uint16_t> checked;
    if (!groups.empty()) {
      checked = {groups.begin()->first,
                 std::next(groups.begin(), static_cast<std::ptrdiff_t>(groups.size() / 2))->first,
                 groups.rbegin()->first};
    }
    for (const uint16_t b : checked) {
      const vok_testing::SemiClassTrigramModel::Group& g = groups.at(b);
      if (!g.records.empty()) {
        check(g.records.begin()->first, b, word, -(g.records.begin()->second << f.shift), true, "trigram");
        check(g.records.rbegin()->first, b, word, -(g.records.rbegin()->second << f.shift), true, "trigram");
      }
      int a = 0;
      while (g.records.count(static_cast<uint16_t>(a))) ++a;
      check(a, b, word, -(g.bigram >> down), false, "trigram back-off");
    }
    int b = 0;
    while (groups.count(static_cast<uint16_t>(b))) ++b;
    if (b < f.classes) check(0, b, word, -(f.words[w].unigram >> down), false, "bigram back-off");
  }
  reader->EndUtterance();
  return error;
}

std::vector<vok_testing::PageCacheRecord> WordTrigramCacheRecords(const WordTrigramModel& model,
                                                                  const std::vector<int>& word_class,
                                                                  vok::PageLM* reader, int n) {
  std::vector<WordNgrams::Trigram> keys = model.trigrams();
  const std::size_t count = std::min(keys.size(), static_cast<std::size_t>(std::max(n, 0)));
  std::partial_sort(
      keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count), keys.end(),
      [](const WordNgrams::Trigram& a, const WordNgrams::Trigram& b) { return a.weight > b.weight; });
  const auto class_of = [&](int w) { return static_cast<uint16_t>(word_class[static_cast<std::size_t>(w)]); };
  std::vector<vok_testing::PageCacheRecord> records;
  reader->StartUtterance();
  for (std::size_t i = 0; i < count; ++i) {
    const WordNgrams::Trigram& t = keys[i];
    const int score = reader->GetClassTrigramScore(class_of(t.first), class_of(t.second), t.third);
    records.push_back({static_cast<uint16_t>(score),
                       {class_of(t.first), class_of(t.second), static_cast<uint16_t>(t.third)}});
  }
  reader->EndUtterance();
  return records;
}

}  // namespace build_language_data
