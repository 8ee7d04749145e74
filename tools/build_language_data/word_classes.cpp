#include "tools/build_language_data/word_classes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace build_language_data {

namespace {

// ln x for x > 0 to about 1e-9: the exponent, and 2 atanh((m - 1) / (m + 1))
// for the mantissa m in [sqrt(1/2), sqrt(2)). The criterion takes billions of
// logarithms; the library's is several times slower.
inline double FastLog(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
  double m;
  std::memcpy(&m, &bits, sizeof m);
  if (m > 1.4142135623730951) {
    m *= 0.5;
    ++exponent;
  }
  const double z = (m - 1) / (m + 1);
  const double z2 = z * z;
  const double series = 1 + z2 * (1.0 / 3 + z2 * (1.0 / 5 + z2 * (1.0 / 7 + z2 * (1.0 / 9))));
  return exponent * 0.6931471805599453 + 2 * z * series;
}

// x log x, 0 for x <= 0 (rounding leaves tiny negative counts behind).
inline double F(double x) { return x > 1e-12 ? x * FastLog(x) : 0.0; }
// a log b, 0 when either is not above 0.
inline double G(double a, double b) { return a > 1e-12 && b > 1e-12 ? a * FastLog(b) : 0.0; }

// The masses of every word: given, or the bigrams' totals.
WordMasses MassesOf(std::size_t words, const std::vector<WordBigram>& bigrams, const WordMasses* given) {
  if (given && given->history.size() == words && given->predicted.size() == words) return *given;
  WordMasses m{std::vector<double>(words, 0.0), std::vector<double>(words, 0.0)};
  for (const WordBigram& b : bigrams) {
    m.history[static_cast<std::size_t>(b.first)] += b.weight;
    m.predicted[static_cast<std::size_t>(b.second)] += b.weight;
  }
  return m;
}

// Bigram weights by word in both directions.
struct Adjacency {
  std::vector<int64_t> start;  // per word, into neighbours; one more at the end
  std::vector<std::pair<int32_t, double>> neighbours;

  Adjacency(int words, const std::vector<WordBigram>& bigrams, bool by_first) : start(words + 1, 0) {
    for (const WordBigram& b : bigrams) ++start[static_cast<std::size_t>(by_first ? b.first : b.second) + 1];
    for (int w = 0; w < words; ++w) start[w + 1] += start[w];
    neighbours.resize(bigrams.size());
    std::vector<int64_t> fill(start.begin(), start.end() - 1);
    for (const WordBigram& b : bigrams) {
      const int from = by_first ? b.first : b.second;
      neighbours[static_cast<std::size_t>(fill[from]++)] = {by_first ? b.second : b.first, b.weight};
    }
  }
  const std::pair<int32_t, double>* begin(int w) const { return neighbours.data() + start[w]; }
  const std::pair<int32_t, double>* end(int w) const { return neighbours.data() + start[w + 1]; }
};

class Exchange {
 public:
  Exchange(int classes, int first_free, std::vector<int> word_class, const std::vector<WordBigram>& bigrams,
           WordMasses masses)
      : c_(static_cast<std::size_t>(classes)),
        first_free_(first_free),
        word_class_(std::move(word_class)),
        right_(static_cast<int>(word_class_.size()), bigrams, true),
        left_(static_cast<int>(word_class_.size()), bigrams, false),
        out_(word_class_.size(), 0.0),
        in_(word_class_.size(), 0.0),
        masses_(std::move(masses)),
        pairs_(c_ * c_, 0.0),
        transposed_(c_ * c_, 0.0),
        class_out_(c_, 0.0),
        class_in_(c_, 0.0),
        class_history_(c_, 0.0),
        class_predicted_(c_, 0.0),
        members_(c_, 0) {
    for (const int k : word_class_) ++members_[static_cast<std::size_t>(k)];
    for (const WordBigram& b : bigrams) {
      out_[static_cast<std::size_t>(b.first)] += b.weight;
      in_[static_cast<std::size_t>(b.second)] += b.weight;
      Add(Of(b.first), Of(b.second), b.weight);
    }
    for (std::size_t w = 0; w < word_class_.size(); ++w) {
      const std::size_t k = static_cast<std::size_t>(word_class_[w]);
      class_out_[k] += out_[w];
      class_in_[k] += in_[w];
      class_history_[k] += masses_.history[w];
      class_predicted_[k] += masses_.predicted[w];
    }
  }

  void Run(const std::vector<int>& movable, const ExchangeOptions& options) {
    const std::size_t batch = static_cast<std::size_t>(std::max(1, options.batch));
    const int threads = std::max(1, options.threads);
    std::vector<Scratch> scratch(static_cast<std::size_t>(threads), Scratch(c_));
    std::vector<int> targets(batch);
    for (int pass = 0; pass < options.passes; ++pass) {
      for (std::size_t first = 0; first < movable.size(); first += batch) {
        const std::size_t n = std::min(batch, movable.size() - first);
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
          workers.emplace_back([&, t] {
            for (std::size_t i = static_cast<std::size_t>(t); i < n; i += static_cast<std::size_t>(threads))
              targets[i] = BestClass(movable[first + i], &scratch[static_cast<std::size_t>(t)]);
          });
        for (std::thread& worker : workers) worker.join();
        for (std::size_t i = 0; i < n; ++i) Move(movable[first + i], targets[i]);
      }
    }
  }

  const std::vector<int>& word_class() const { return word_class_; }

 private:
  // Per-thread arrays over the classes.
  struct Scratch {
    explicit Scratch(std::size_t classes) : right(classes, 0.0), left(classes, 0.0), gain(classes, 0.0) {}
    std::vector<double> right, left, gain;
    std::vector<int> touched;
  };

  int Of(int w) const { return word_class_[static_cast<std::size_t>(w)]; }
  double& Pair(std::size_t c1, std::size_t c2) { return pairs_[c1 * c_ + c2]; }
  void Add(int c1, int c2, double n) {
    pairs_[static_cast<std::size_t>(c1) * c_ + static_cast<std::size_t>(c2)] += n;
    transposed_[static_cast<std::size_t>(c2) * c_ + static_cast<std::size_t>(c1)] += n;
  }

  // The class that most raises the criterion for word w, against the present
  // counts (which still hold w in its class o, so the terms of o are taken
  // as if w were out of it).
  int BestClass(int w, Scratch* s) const {
    const std::size_t o = static_cast<std::size_t>(Of(w));
    if (members_[o] <= 1) return static_cast<int>(o);  // classes never empty
    std::vector<double>& r = s->right;
    std::vector<double>& l = s->left;
    std::vector<double>& g = s->gain;
    s->touched.clear();
    double self = 0;
    const auto touch = [&](std::size_t k) {
      if (r[k] == 0 && l[k] == 0) s->touched.push_back(static_cast<int>(k));
    };
    for (auto p = right_.begin(w); p != right_.end(w); ++p) {
      if (p->first == w) {
        self += p->second;
        continue;
      }
      const std::size_t k = static_cast<std::size_t>(Of(p->first));
      touch(k);
      r[k] += p->second;
    }
    for (auto p = left_.begin(w); p != left_.end(w); ++p) {
      if (p->first == w) continue;
      const std::size_t k = static_cast<std::size_t>(Of(p->first));
      touch(k);
      l[k] += p->second;
    }
    const double out = out_[static_cast<std::size_t>(w)];
    const double in = in_[static_cast<std::size_t>(w)];
    const double history = masses_.history[static_cast<std::size_t>(w)];
    const double predicted = masses_.predicted[static_cast<std::size_t>(w)];
    for (std::size_t t = 0; t < c_; ++t)
      g[t] = G(class_out_[t], class_history_[t]) - G(class_out_[t] + out, class_history_[t] + history) +
             G(class_in_[t], class_predicted_[t]) - G(class_in_[t] + in, class_predicted_[t] + predicted);
    for (const int kk : s->touched) {
      const std::size_t k = static_cast<std::size_t>(kk);
      if (k == o) continue;
      const double* column = transposed_.data() + k * c_;  // N(t, k) over t
      const double* row = pairs_.data() + k * c_;          // N(k, t) over t
      if (r[k] > 0) {
        const double n = r[k];
        for (std::size_t t = 0; t < c_; ++t) g[t] += F(column[t] + n) - F(column[t]);
        g[k] -= F(column[k] + n) - F(column[k]);  // the diagonal term takes it
      }
      if (l[k] > 0) {
        const double n = l[k];
        for (std::size_t t = 0; t < c_; ++t) g[t] += F(row[t] + n) - F(row[t]);
        g[k] -= F(row[k] + n) - F(row[k]);
      }
    }
    // Arcs between w and the rest of its own class: N(t, o) and N(o, t) lose
    // the arcs of w first.
    if (r[o] > 0 || l[o] > 0) {
      const double* column = transposed_.data() + o * c_;
      const double* row = pairs_.data() + o * c_;
      for (std::size_t t = 0; t < c_; ++t) {
        if (r[o] > 0) {
          const double base = column[t] - l[t];
          g[t] += F(base + r[o]) - F(base);
        }
        if (l[o] > 0) {
          const double base = row[t] - r[t];
          g[t] += F(base + l[o]) - F(base);
        }
      }
    }
    // The diagonal: N(t, t) takes every arc between w and t, and its loop.
    const auto diagonal = [&](std::size_t t) {
      const double d = pairs_[t * c_ + t];
      g[t] += F(d + r[t] + l[t] + self) - F(d);
    };
    if (self > 0) {
      for (std::size_t t = 0; t < c_; ++t) diagonal(t);
    } else {
      for (const int t : s->touched) diagonal(static_cast<std::size_t>(t));
    }
    // Staying in o, exactly: what taking w out of o would lose.
    double stay = G(class_out_[o] - out, class_history_[o] - history) - G(class_out_[o], class_history_[o]) +
                  G(class_in_[o] - in, class_predicted_[o] - predicted) -
                  G(class_in_[o], class_predicted_[o]);
    for (const int kk : s->touched) {
      const std::size_t k = static_cast<std::size_t>(kk);
      if (k == o) continue;
      if (r[k] > 0) stay += F(pairs_[o * c_ + k]) - F(pairs_[o * c_ + k] - r[k]);
      if (l[k] > 0) stay += F(pairs_[k * c_ + o]) - F(pairs_[k * c_ + o] - l[k]);
    }
    const double d = pairs_[o * c_ + o];
    stay += F(d) - F(d - r[o] - l[o] - self);
    g[o] = stay;

    std::size_t best = o;
    for (std::size_t t = static_cast<std::size_t>(first_free_); t < c_; ++t)
      if (g[t] > g[best] + 1e-9 * std::fabs(g[best])) best = t;
    for (const int k : s->touched) r[static_cast<std::size_t>(k)] = l[static_cast<std::size_t>(k)] = 0;
    return static_cast<int>(best);
  }

  void Move(int w, int to) {
    const int from = Of(w);
    if (from == to || members_[static_cast<std::size_t>(from)] <= 1) return;
    --members_[static_cast<std::size_t>(from)];
    ++members_[static_cast<std::size_t>(to)];
    for (auto p = right_.begin(w); p != right_.end(w); ++p) {
      if (p->first == w) {
        Add(from, from, -p->second);
        Add(to, to, p->second);
      } else {
        Add(from, Of(p->first), -p->second);
        Add(to, Of(p->first), p->second);
      }
    }
    for (auto p = left_.begin(w); p != left_.end(w); ++p) {
      if (p->first == w) continue;
      Add(Of(p->first), from, -p->second);
      Add(Of(p->first), to, p->second);
    }
    const std::size_t k = static_cast<std::size_t>(w);
    class_out_[static_cast<std::size_t>(from)] -= out_[k];
    class_out_[static_cast<std::size_t>(to)] += out_[k];
    class_in_[static_cast<std::size_t>(from)] -= in_[k];
    class_in_[static_cast<std::size_t>(to)] += in_[k];
    class_history_[static_cast<std::size_t>(from)] -= masses_.history[k];
    class_history_[static_cast<std::size_t>(to)] += masses_.history[k];
    class_predicted_[static_cast<std::size_t>(from)] -= masses_.predicted[k];
    class_predicted_[static_cast<std::size_t>(to)] += masses_.predicted[k];
    word_class_[static_cast<std::size_t>(w)] = to;
  }

  std::size_t c_;
  int first_free_;
  std::vector<int> word_class_;
  Adjacency right_;
  Adjacency left_;
  std::vector<double> out_;  // a word's weights as the first word
  std::vector<double> in_;   // and as the second
  WordMasses masses_;
  std::vector<double> pairs_;       // N(c1, c2), row c1
  std::vector<double> transposed_;  // the same, row c2
  std::vector<double> class_out_;
  std::vector<double> class_in_;
  std::vector<double> class_history_;
  std::vector<double> class_predicted_;
  std::vector<int> members_;
};

}  // namespace

std::vector<int> ExchangeClasses(int classes, const std::vector<int>& fixed_class,
                                 const std::vector<int>& order, const std::vector<WordBigram>& bigrams,
                                 const ExchangeOptions& options, const WordMasses* masses) {
  int first_free = 0;
  for (const int c : fixed_class) first_free = std::max(first_free, c + 1);
  std::vector<int> word_class = fixed_class;
  const int free_classes = classes - first_free;
  if (free_classes < 1) return word_class;
  // The most frequent words start in classes of their own (together they
  // would hold much of the bigram weight and hardly ever leave), the others
  // in bands of falling frequency over all free classes.
  const int64_t free_words = static_cast<int64_t>(order.size());
  const int64_t own = std::min<int64_t>(free_classes, free_words);
  for (int64_t rank = 0; rank < free_words; ++rank)
    word_class[static_cast<std::size_t>(order[static_cast<std::size_t>(rank)])] =
        first_free +
        static_cast<int>(rank < own ? rank
                                    : (rank - own) * free_classes / std::max<int64_t>(1, free_words - own));
  for (int& c : word_class)
    if (c < 0) c = first_free;  // a free word missing from the order
  Exchange exchange(classes, first_free, std::move(word_class), bigrams,
                    MassesOf(fixed_class.size(), bigrams, masses));
  const std::size_t movable =
      options.movable < 0 ? order.size() : std::min(order.size(), static_cast<std::size_t>(options.movable));
  exchange.Run(std::vector<int>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(movable)),
               options);
  return exchange.word_class();
}

double ClassBigramCriterion(int classes, const std::vector<int>& word_class,
                            const std::vector<WordBigram>& bigrams, const WordMasses* given) {
  const std::size_t c = static_cast<std::size_t>(classes);
  const WordMasses masses = MassesOf(word_class.size(), bigrams, given);
  std::vector<double> pairs(c * c, 0.0), out(c, 0.0), in(c, 0.0), history(c, 0.0), predicted(c, 0.0);
  for (std::size_t w = 0; w < word_class.size(); ++w) {
    history[static_cast<std::size_t>(word_class[w])] += masses.history[w];
    predicted[static_cast<std::size_t>(word_class[w])] += masses.predicted[w];
  }
  for (const WordBigram& b : bigrams) {
    const std::size_t c1 = static_cast<std::size_t>(word_class[static_cast<std::size_t>(b.first)]);
    const std::size_t c2 = static_cast<std::size_t>(word_class[static_cast<std::size_t>(b.second)]);
    pairs[c1 * c + c2] += b.weight;
    out[c1] += b.weight;
    in[c2] += b.weight;
  }
  double criterion = 0;
  const auto g = [](double a, double b) { return a > 0 && b > 0 ? a * std::log(b) : 0.0; };
  for (const double n : pairs) criterion += g(n, n);
  for (std::size_t k = 0; k < c; ++k) criterion -= g(out[k], history[k]) + g(in[k], predicted[k]);
  return criterion;
}

}  // namespace build_language_data
