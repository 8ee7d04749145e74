#include "tools/build_language_data/language_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <span>
#include <sstream>
#include <unordered_map>

#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/log_score.h"
#include "platform/file_access.h"

namespace build_language_data {

namespace {

// The statistics' id of the sentence boundary.
constexpr uint32_t kBoundaryId = 0;
constexpr int kStart = 0;
constexpr int kEnd = 1;
constexpr int kUnknown = 2;

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return platform::WriteWholeFile(path, std::span<const uint8_t>(bytes.data(), bytes.size()));
}

double XLogX(double x) { return x > 0 ? x * std::log(x) : 0.0; }

// Word classes by the exchange algorithm on weighted word bigrams: each moved
// word goes to the class that most raises sum N(c1,c2) log N(c1,c2) - 2 sum
// N(c) log N(c).
class ExchangeClustering {
 public:
  ExchangeClustering(int words, int classes, std::vector<int>* word_class)
      : classes_(classes),
        word_class_(*word_class),
        right_(static_cast<std::size_t>(words)),
        left_(static_cast<std::size_t>(words)),
        totals_(static_cast<std::size_t>(words)) {}

  void AddBigram(int w1, int w2, double n) {
    right_[static_cast<std::size_t>(w1)].push_back({w2, n});
    left_[static_cast<std::size_t>(w2)].push_back({w1, n});
    totals_[static_cast<std::size_t>(w1)] += n;
  }

  void Run(const std::vector<int>& movable, int passes) {
    const std::size_t c = static_cast<std::size_t>(classes_);
    pairs_.assign(c * c, 0.0);
    class_totals_.assign(c, 0.0);
    for (std::size_t w = 0; w < right_.size(); ++w) {
      class_totals_[static_cast<std::size_t>(word_class_[w])] += totals_[w];
      for (const auto& [w2, n] : right_[w])
        Pair(word_class_[w], word_class_[static_cast<std::size_t>(w2)]) += n;
    }
    std::vector<double> to_right(c), to_left(c);
    std::vector<int> touched;
    for (int pass = 0; pass < passes; ++pass) {
      for (int w : movable) {
        const int old_class = word_class_[static_cast<std::size_t>(w)];
        Move(w, old_class, -1.0);
        // The word's bigrams by neighbour class, in both directions.
        touched.clear();
        double self = 0;
        for (const auto& [w2, n] : right_[static_cast<std::size_t>(w)]) {
          if (w2 == w) {
            self += n;
            continue;
          }
          const int k = word_class_[static_cast<std::size_t>(w2)];
          if (to_right[static_cast<std::size_t>(k)] == 0 && to_left[static_cast<std::size_t>(k)] == 0)
            touched.push_back(k);
          to_right[static_cast<std::size_t>(k)] += n;
        }
        for (const auto& [w1, n] : left_[static_cast<std::size_t>(w)]) {
          if (w1 == w) continue;
          const int k = word_class_[static_cast<std::size_t>(w1)];
          if (to_right[static_cast<std::size_t>(k)] == 0 && to_left[static_cast<std::size_t>(k)] == 0)
            touched.push_back(k);
          to_left[static_cast<std::size_t>(k)] += n;
        }
        const double total = totals_[static_cast<std::size_t>(w)];
        int best = old_class;
        double best_gain = -1e300;
        for (int target = kClassTokenCount; target < classes_; ++target) {
          double gain = -2 * (XLogX(class_totals_[static_cast<std::size_t>(target)] + total) -
                              XLogX(class_totals_[static_cast<std::size_t>(target)]));
          for (int k : touched) {
            const double r = to_right[static_cast<std::size_t>(k)];
            const double l = to_left[static_cast<std::size_t>(k)];
            if (r > 0) gain += XLogX(Pair(target, k) + r) - XLogX(Pair(target, k));
            if (l > 0) gain += XLogX(Pair(k, target) + l) - XLogX(Pair(k, target));
          }
          gain += XLogX(Pair(target, target) + self) - XLogX(Pair(target, target));
          if (gain > best_gain) {
            best_gain = gain;
            best = target;
          }
        }
        for (int k : touched)
          to_right[static_cast<std::size_t>(k)] = to_left[static_cast<std::size_t>(k)] = 0;
        word_class_[static_cast<std::size_t>(w)] = best;
        Move(w, best, 1.0);
      }
    }
  }

 private:
  double& Pair(int c1, int c2) {
    return pairs_[static_cast<std::size_t>(c1) * static_cast<std::size_t>(classes_) +
                  static_cast<std::size_t>(c2)];
  }
  // Adds (sign 1) or takes away (-1) the word's bigrams as a member of class c.
  void Move(int w, int c, double sign) {
    class_totals_[static_cast<std::size_t>(c)] += sign * totals_[static_cast<std::size_t>(w)];
    for (const auto& [w2, n] : right_[static_cast<std::size_t>(w)])
      Pair(c, w2 == w ? c : word_class_[static_cast<std::size_t>(w2)]) += sign * n;
    for (const auto& [w1, n] : left_[static_cast<std::size_t>(w)])
      if (w1 != w) Pair(word_class_[static_cast<std::size_t>(w1)], c) += sign * n;
  }

  int classes_;
  std::vector<int>& word_class_;
  std::vector<std::vector<std::pair<int, double>>> right_;
  std::vector<std::vector<std::pair<int, double>>> left_;
  std::vector<double> totals_;
  std::vector<double> pairs_;
  std::vector<double> class_totals_;
};

void PutBe32(std::vector<uint8_t>* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<uint8_t>(v >> s));
}
void PutBe16(std::vector<uint8_t>* b, uint32_t v) {
  b->push_back(static_cast<uint8_t>(v >> 8));
  b->push_back(static_cast<uint8_t>(v));
}

}  // namespace

std::string ReadNgramStatistics(const std::string& ngram_text, const std::string& word_table,
                                NgramStatistics* statistics) {
  std::istringstream table(word_table);
  for (std::string line; std::getline(table, line);) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const unsigned long id = std::strtoul(line.c_str(), nullptr, 10);
    if (id > 10'000'000) return "word id out of range in the word table";
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
    char* cursor = nullptr;
    if (order == 1) {
      const unsigned long id = std::strtoul(line.c_str(), &cursor, 10);
      const double prob = std::strtod(cursor, nullptr);
      if (id > 10'000'000) return "unigram id out of range";
      if (statistics->unigrams.size() <= id) statistics->unigrams.resize(id + 1, 0.0);
      statistics->unigrams[id] = prob;
    } else if (order == 2) {
      const unsigned long first = std::strtoul(line.c_str(), &cursor, 10);
      const unsigned long second = std::strtoul(cursor, &cursor, 10);
      const double prob = std::strtod(cursor, nullptr);
      statistics->bigrams.push_back({static_cast<uint32_t>(first), static_cast<uint32_t>(second), prob});
    }
  }
  if (statistics->unigrams.empty() || statistics->bigrams.empty())
    return "no unigrams or bigrams in the statistics";
  return std::string();
}

std::string WriteLanguageModel(const std::vector<LexiconWord>& lexicon, const std::vector<WordCount>& counts,
                               const NgramStatistics& statistics, const CodePageText& code_page,
                               const LanguageModelOptions& options, const std::string& folder) {
  const int n_words = static_cast<int>(lexicon.size());
  const int n = n_words + kClassTokenCount;
  const int classes = options.core_classes;
  if (classes <= kClassTokenCount || classes > 65534 || n > 65500) return "bad sizes";
  std::unordered_map<std::string, int> ids;
  for (int i = 0; i < n_words; ++i) ids.emplace(lexicon[static_cast<std::size_t>(i)].text, i);
  // The tokens follow the words, so word ids stay those of "Pron".
  const auto token_id = [n_words](int token) { return n_words + token; };

  // Unigram counts: the frequency list's, mapped onto the lexicon.
  std::vector<double> word_counts(static_cast<std::size_t>(n), 0.0);
  for (const WordCount& c : counts) {
    const auto bytes = code_page.Convert(c.word);
    if (!bytes) continue;
    const auto it = ids.find(*bytes);
    if (it != ids.end() && word_counts[static_cast<std::size_t>(it->second)] == 0)
      word_counts[static_cast<std::size_t>(it->second)] = static_cast<double>(c.count);
  }
  const double total = std::accumulate(word_counts.begin(), word_counts.end(), 0.0);
  const double boundary = statistics.unigrams.size() > kBoundaryId ? statistics.unigrams[kBoundaryId] : 0.05;
  word_counts[static_cast<std::size_t>(token_id(kStart))] = std::max(1.0, boundary * total);
  word_counts[static_cast<std::size_t>(token_id(kEnd))] = std::max(1.0, boundary * total);
  for (int t = kUnknown; t < kClassTokenCount; ++t) word_counts[static_cast<std::size_t>(token_id(t))] = 1;

  // The statistics' ids as lexicon ids (-1: not a lexicon word).
  std::vector<int> mapped(statistics.words.size(), -1);
  for (std::size_t id = 0; id < statistics.words.size(); ++id) {
    if (statistics.words[id].empty()) continue;
    const auto bytes = code_page.Convert(statistics.words[id]);
    if (!bytes) continue;
    const auto it = ids.find(*bytes);
    if (it != ids.end()) mapped[id] = it->second;
  }
  const auto lexicon_id = [&](uint32_t id, bool first) {
    if (id == kBoundaryId) return token_id(first ? kStart : kEnd);
    return id < mapped.size() && mapped[id] >= 0 ? mapped[id] : token_id(kUnknown);
  };

  // Initial classes by frequency rank, spread over the word classes; the
  // tokens keep classes of their own.
  std::vector<int> word_class(static_cast<std::size_t>(n));
  std::vector<int> by_count(static_cast<std::size_t>(n_words));
  std::iota(by_count.begin(), by_count.end(), 0);
  std::stable_sort(by_count.begin(), by_count.end(), [&](int a, int b) {
    return word_counts[static_cast<std::size_t>(a)] > word_counts[static_cast<std::size_t>(b)];
  });
  const int word_classes = classes - kClassTokenCount;
  for (int rank = 0; rank < n_words; ++rank)
    word_class[static_cast<std::size_t>(by_count[static_cast<std::size_t>(rank)])] =
        kClassTokenCount + static_cast<int>(static_cast<int64_t>(rank) * word_classes / n_words);
  for (int t = 0; t < kClassTokenCount; ++t) word_class[static_cast<std::size_t>(token_id(t))] = t;

  ExchangeClustering clustering(n, classes, &word_class);
  for (const NgramStatistics::Bigram& b : statistics.bigrams) {
    const int w1 = lexicon_id(b.first, true);
    const int w2 = lexicon_id(b.second, false);
    const double weight = b.probability * word_counts[static_cast<std::size_t>(w1)];
    if (weight > 0) clustering.AddBigram(w1, w2, weight);
  }
  std::vector<int> movable(by_count.begin(), by_count.begin() + std::min(options.exchange_words, n_words));
  clustering.Run(movable, options.exchange_passes);

  // Class bigram probabilities: the mapped bigrams' mass interpolated with the
  // class unigram, so every cell has a probability.
  const std::size_t c = static_cast<std::size_t>(classes);
  std::vector<double> pair_mass(c * c, 0.0), class_mass(c, 0.0), history_mass(c, 0.0);
  for (int w = 0; w < n; ++w)
    class_mass[static_cast<std::size_t>(word_class[static_cast<std::size_t>(w)])] +=
        word_counts[static_cast<std::size_t>(w)];
  for (const NgramStatistics::Bigram& b : statistics.bigrams) {
    const int w1 = lexicon_id(b.first, true);
    const int w2 = lexicon_id(b.second, false);
    const double weight = b.probability * word_counts[static_cast<std::size_t>(w1)];
    const std::size_t c1 = static_cast<std::size_t>(word_class[static_cast<std::size_t>(w1)]);
    pair_mass[c1 * c + static_cast<std::size_t>(word_class[static_cast<std::size_t>(w2)])] += weight;
    history_mass[c1] += weight;
  }
  const double class_total = std::accumulate(class_mass.begin(), class_mass.end(), 0.0);
  constexpr double kUnigramShare = 0.1;
  std::vector<double> cost(c * c);
  vok::CostHistogram histogram(0.0f, 1.0f);
  for (std::size_t c1 = 0; c1 < c; ++c1)
    for (std::size_t c2 = 0; c2 < c; ++c2) {
      const double bigram = history_mass[c1] > 0 ? pair_mass[c1 * c + c2] / history_mass[c1] : 0.0;
      const double p = (1 - kUnigramShare) * bigram + kUnigramShare * class_mass[c2] / class_total;
      cost[c1 * c + c2] = p;
      histogram.Add(static_cast<double>((-int64_t{vok::LogValue(p)}) >> options.shift));
    }
  // 255 << shift spans the useful costs: the bias puts the 97th percentile at the floor.
  const int32_t bias = std::max(0, static_cast<int32_t>(histogram.ValueAt(0.97)) - 255);
  std::vector<uint8_t> model;
  PutBe32(&model, 512);
  model.insert(model.end(), 252, 0);
  for (uint32_t v : {static_cast<uint32_t>(n), static_cast<uint32_t>(classes), static_cast<uint32_t>(bias),
                     static_cast<uint32_t>(options.shift), 0x3F800347u})
    PutBe32(&model, v);
  PutBe16(&model, 3);  // "<PERSON>"
  PutBe16(&model, 4);  // "<PLACE>"
  PutBe16(&model, 0);
  model.resize(512, 0);
  for (double p : cost) model.push_back(vok::ScoreByte(p, options.shift, bias));
  const std::string core_path = folder + "/" + options.model_name;
  if (!WriteBytes(core_path, model)) return "cannot write " + core_path;

  // The lexicon text: words in "Pron" order, then the tokens.
  std::string text = "Words " + std::to_string(n) + "\nClasses " + std::to_string(classes) + "\n";
  for (int w = 0; w < n; ++w) {
    const std::string& word =
        w < n_words ? lexicon[static_cast<std::size_t>(w)].text : std::string(kClassTokens[w - n_words]);
    const double count = std::min(word_counts[static_cast<std::size_t>(w)], 2.0e9);
    text += std::to_string(w) + " " + word + " " + std::to_string(word_class[static_cast<std::size_t>(w)]) +
            " " + std::to_string(std::max<int64_t>(1, static_cast<int64_t>(count))) + "\n";
  }
  const std::string text_path = folder + "/" + options.lexicon_name + ".txt";
  if (!WriteBytes(text_path, std::vector<uint8_t>(text.begin(), text.end())))
    return "cannot write " + text_path;

  // The binary lexicon by the product's writer after a text load, then every
  // class bigram checked through a reload.
  vok::CoreLM core(nullptr, core_path.c_str());
  if (core.status() != 0) return "the core model does not load";
  vok::CLexicon from_text(nullptr, text_path.c_str(), &core, nullptr);
  if (from_text.status() != 0 || from_text.entry_count() != n) return "the lexicon text does not load";
  const std::string binary_path = folder + "/" + options.lexicon_name;
  if (from_text.WriteBinary(binary_path.c_str(), 0, 0) != 0) return "cannot write " + binary_path;
  vok::CoreLM reloaded(nullptr, core_path.c_str());
  vok::CLexicon from_binary(binary_path.c_str(), &reloaded, nullptr, 0);
  if (from_binary.status() != 0) return "the binary lexicon does not load";
  for (int c1 = 0; c1 < classes; ++c1)
    for (int c2 = 0; c2 < classes; ++c2) {
      const uint8_t expected = vok::ScoreByte(
          cost[static_cast<std::size_t>(c1) * c + static_cast<std::size_t>(c2)], options.shift, bias);
      const bool end_row = c1 == kEnd;  // the sentence-end rule rewrites this row
      if (!end_row && !(c1 == kStart && c2 == kEnd) && reloaded.table_byte(c1, c2) != expected)
        return "class bigram (" + std::to_string(c1) + ", " + std::to_string(c2) + ") reads back wrong";
    }
  for (int w = 0; w < n; ++w)
    if (reloaded.entry(w).word_class != core.entry(w).word_class ||
        reloaded.entry(w).unigram != core.entry(w).unigram)
      return "word " + std::to_string(w) + " reads back wrong";
  return std::string();
}

}  // namespace build_language_data
