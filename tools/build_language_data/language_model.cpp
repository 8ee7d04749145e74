#include "tools/build_language_data/language_model.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <unordered_map>

#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/log_score.h"
#include "engine/core/page_lm.h"
#include "engine/core/testing/lm_file_writers.h"
#include "platform/file_access.h"

namespace build_language_data {

namespace {

constexpr int kMaxShift = 16;

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return platform::WriteWholeFile(path, std::span<const uint8_t>(bytes.data(), bytes.size()));
}

// -LogValue(p): the cost of a probability.
int64_t Cost(double p) { return -int64_t{vok::LogValue(p)}; }

uint16_t Cost16(double p) { return static_cast<uint16_t>(std::clamp<int64_t>(Cost(p), 0, 65535)); }

// The cost below which `share` of the costs lie.
int64_t Quantile(std::vector<int64_t> costs, double share) {
  if (costs.empty()) return 0;
  const auto at = static_cast<std::size_t>(share * static_cast<double>(costs.size() - 1));
  std::nth_element(costs.begin(), costs.begin() + static_cast<std::ptrdiff_t>(at), costs.end());
  return costs[at];
}

// The bias that puts `share` of the shifted costs at or below byte 255, as the
// lexicon's score computation chooses its biases (never below 0, so the most
// probable costs keep their own bytes).
int32_t Bias(const std::vector<int64_t>& costs, int shift, double share) {
  vok::CostHistogram histogram(0.0f, 1.0f);
  for (const int64_t cost : costs) histogram.Add(static_cast<double>(cost >> shift));
  return std::max(0, static_cast<int32_t>(histogram.ValueAt(share)) - 255);
}

// The reader's requantisation of a cost to the trigram's byte scale, negated.
int Requantised(int64_t cost, int shift, int32_t bias) {
  return -static_cast<int>(std::clamp<int64_t>(-((-cost >> shift) + bias), 0, 255));
}

std::vector<double> ClassCounts(const std::vector<double>& counts, const std::vector<int>& classes, int n) {
  std::vector<double> totals(static_cast<std::size_t>(n), 0.0);
  for (std::size_t w = 0; w < counts.size(); ++w) totals[static_cast<std::size_t>(classes[w])] += counts[w];
  return totals;
}

// The older page model of the class trigram, pruned to the class n-grams
// that differ from their back-off, and the costs its checks need.
struct PageModelFile {
  vok_testing::OlderPageModel file;
  int trigrams = 0;
};

PageModelFile BuildPageModel(const ClassNgrams& page, int words, int shift,
                             const LanguageModelOptions& options) {
  const int c = page.classes();
  PageModelFile out;
  vok_testing::OlderPageModel& m = out.file;
  m.words = words;
  m.classes = c;
  m.person = 3;
  m.place = 4;
  std::vector<int64_t> unigram_costs;
  for (int k = 0; k < c; ++k)
    if (page.Unigram(k) > 0) unigram_costs.push_back(Cost(page.Unigram(k)));
  // The listed class pairs and triples that stay.
  struct Kept {
    int c1, c2, c3;
    double p;
  };
  std::vector<Kept> bigrams, trigrams;
  std::vector<int64_t> bigram_costs, trigram_costs;
  for (const ClassNgrams::ClassTrigram& t : page.trigrams()) {
    const double p = page.Trigram(t.c1, t.c2, t.c3);
    if (p < options.prune_ratio * page.TrigramBackoff(t.c1, t.c2) * page.Bigram(t.c2, t.c3)) continue;
    trigrams.push_back({t.c1, t.c2, t.c3, p});
    trigram_costs.push_back(Cost(p));
  }
  std::vector<bool> history(static_cast<std::size_t>(c) * static_cast<std::size_t>(c), false);
  for (const Kept& t : trigrams)
    history[static_cast<std::size_t>(t.c1) * c + static_cast<std::size_t>(t.c2)] = true;
  for (int c1 = 0; c1 < c; ++c1)
    for (int c2 = 0; c2 < c; ++c2) {
      if (!page.ListedBigram(c1, c2)) continue;
      const double p = page.Bigram(c1, c2);
      if (!history[static_cast<std::size_t>(c1) * c + static_cast<std::size_t>(c2)] &&
          p < options.prune_ratio * page.BigramBackoff(c1) * page.Unigram(c2))
        continue;
      bigrams.push_back({c1, c2, 0, p});
      bigram_costs.push_back(Cost(p));
    }
  m.biases[0] = Bias(unigram_costs, shift, options.covered_share);
  m.biases[1] = Bias(bigram_costs, shift, options.covered_share);
  m.biases[2] = Bias(trigram_costs, shift, options.covered_share);
  for (int32_t& s : m.shifts) s = shift;
  for (int k = 0; k < c; ++k) {
    m.unigrams.push_back(vok::ScoreByte(page.Unigram(k), shift, m.biases[0]));
    m.backoffs.push_back(Cost16(page.BigramBackoff(k)));
  }
  for (const Kept& b : bigrams) {
    vok_testing::OlderPageModel::Block& block = m.blocks[{b.c1, b.c2}];
    block.bigram = vok::ScoreByte(b.p, shift, m.biases[1]);
    block.backoff = Cost16(page.TrigramBackoff(b.c1, b.c2));
  }
  for (const Kept& t : trigrams)
    m.blocks[{t.c1, t.c2}].trigrams[static_cast<uint16_t>(t.c3)] = vok::ScoreByte(t.p, shift, m.biases[2]);
  out.trigrams = static_cast<int>(trigrams.size());
  return out;
}

// What the page model's reader must give for (c1, c2, c3), from the file's
// own fields.
int ExpectedTrigram(const vok_testing::OlderPageModel& m, int c1, int c2, int c3) {
  const auto block = m.blocks.find({c1, c2});
  int64_t backoff = 0;
  if (block != m.blocks.end()) {
    const auto t = block->second.trigrams.find(static_cast<uint16_t>(c3));
    if (t != block->second.trigrams.end()) return -t->second;
    backoff = block->second.backoff;
  }
  const auto bigram = m.blocks.find({c2, c3});
  const int s = m.shifts[2];
  if (bigram != m.blocks.end())
    return Requantised(backoff + ((int64_t{m.biases[1]} + bigram->second.bigram) << m.shifts[1]), s,
                       m.biases[2]);
  return Requantised(backoff +
                         ((int64_t{m.unigrams[static_cast<std::size_t>(c3)]} + m.biases[0]) << m.shifts[0]) +
                         m.backoffs[static_cast<std::size_t>(c2)],
                     s, m.biases[2]);
}

int ExpectedBigram(const vok_testing::OlderPageModel& m, int c1, int c2) {
  const auto block = m.blocks.find({c1, c2});
  if (block != m.blocks.end())
    return Requantised((int64_t{m.biases[1]} + block->second.bigram) << m.shifts[1], m.shifts[2],
                       m.biases[2]);
  return Requantised(((int64_t{m.unigrams[static_cast<std::size_t>(c2)]} + m.biases[0]) << m.shifts[0]) +
                         m.backoffs[static_cast<std::size_t>(c1)],
                     m.shifts[2], m.biases[2]);
}

// Every written trigram, every block's bigram and back-off, and the bigram
// and unigram levels of pairs without a block, through the product reader.
std::string CheckPageModel(const vok_testing::OlderPageModel& m, vok::PageLM* reader) {
  reader->StartUtterance();
  std::string error;
  const auto fail = [&](const char* what, int c1, int c2, int c3) {
    error = std::string("page model ") + what + " (" + std::to_string(c1) + ", " + std::to_string(c2) +
            (c3 >= 0 ? ", " + std::to_string(c3) : std::string()) + ") reads back wrong";
  };
  int level = 0;
  for (const auto& [pair, block] : m.blocks) {
    const auto [c1, c2] = pair;
    if (reader->ClassBigram(c1, c2, &level) != ExpectedBigram(m, c1, c2)) fail("bigram", c1, c2, -1);
    for (const auto& [c3, byte] : block.trigrams)
      if (reader->ClassTrigram(c1, c2, c3, &level) != -byte || level != vok::PageLM::kTrigram)
        fail("trigram", c1, c2, c3);
    // A class the block does not list takes its back-off.
    int c3 = 0;
    while (block.trigrams.count(static_cast<uint16_t>(c3))) ++c3;
    if (c3 < m.classes && reader->ClassTrigram(c1, c2, c3, &level) != ExpectedTrigram(m, c1, c2, c3))
      fail("trigram back-off", c1, c2, c3);
    // A pair without a block: the unigram level after its first class.
    const int other = (c2 * 7919 + 1) % m.classes;
    if (!m.blocks.count({c1, other}) &&
        reader->ClassBigram(c1, other, &level) != ExpectedBigram(m, c1, other))
      fail("bigram back-off", c1, other, -1);
    if (!error.empty()) break;
  }
  reader->EndUtterance();
  return error;
}

// The cache file: the commonest class keys of the statistics, trigram keys
// by their expected count and bigram keys by their pair's, scored by the
// product reader.
std::vector<vok_testing::PageCacheRecord> CacheRecords(const ClassNgrams& page, vok::PageLM* reader, int n) {
  struct Key {
    double weight;
    uint16_t key[3];
  };
  std::vector<Key> keys;
  for (const ClassNgrams::ClassTrigram& t : page.trigrams())
    keys.push_back(
        {t.weight, {static_cast<uint16_t>(t.c1), static_cast<uint16_t>(t.c2), static_cast<uint16_t>(t.c3)}});
  for (int c1 = 0; c1 < page.classes(); ++c1)
    for (int c2 = 0; c2 < page.classes(); ++c2)
      if (page.ListedBigram(c1, c2))
        keys.push_back({page.PairCount(c1, c2),
                        {vok::PageLM::kBigramKey, static_cast<uint16_t>(c1), static_cast<uint16_t>(c2)}});
  const std::size_t count = std::min(keys.size(), static_cast<std::size_t>(std::max(n, 0)));
  std::partial_sort(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count), keys.end(),
                    [](const Key& a, const Key& b) { return a.weight > b.weight; });
  std::vector<vok_testing::PageCacheRecord> records;
  reader->StartUtterance();
  int level = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const uint16_t* k = keys[i].key;
    const int score = k[0] == vok::PageLM::kBigramKey ? reader->ClassBigram(k[1], k[2], &level)
                                                      : reader->ClassTrigram(k[0], k[1], k[2], &level);
    records.push_back({static_cast<uint16_t>(score), {k[0], k[1], k[2]}});
  }
  reader->EndUtterance();
  return records;
}

}  // namespace

std::string WriteLanguageModel(const std::vector<LexiconWord>& lexicon, const std::vector<WordCount>& counts,
                               const NgramStatistics& statistics, const CodePageText& code_page,
                               const LanguageModelOptions& options, const std::string& folder) {
  LanguageModelInput input;
  std::unordered_map<std::string, int> ids;
  for (const LexiconWord& word : lexicon) {
    ids.emplace(word.text, static_cast<int>(input.words.size()));
    input.words.push_back(word.text);
  }
  input.counts.assign(input.words.size(), 0.0);
  for (const WordCount& c : counts) {
    const auto bytes = code_page.Convert(c.word);
    const auto it = bytes ? ids.find(*bytes) : ids.end();
    if (it != ids.end() && input.counts[static_cast<std::size_t>(it->second)] == 0)
      input.counts[static_cast<std::size_t>(it->second)] = static_cast<double>(c.count);
  }
  input.pieces_of.resize(statistics.words.size());
  for (std::size_t id = 0; id < statistics.words.size(); ++id) {
    const auto bytes = code_page.Convert(statistics.words[id]);
    const auto it = bytes ? ids.find(*bytes) : ids.end();
    if (it != ids.end()) input.pieces_of[id] = {it->second};
  }
  LanguageModelOptions core_only = options;
  core_only.page_name.clear();
  LanguageModel model;
  return WriteLanguageModel(input, statistics, core_only, folder, &model);
}

double LanguageModel::InClass(int w, bool page_classes) const {
  const std::vector<int>& classes = page_classes ? page_class : core_class;
  const std::vector<double>& totals = page_classes ? page_class_counts : core_class_counts;
  const double total = totals[static_cast<std::size_t>(classes[static_cast<std::size_t>(w)])];
  return total > 0 ? counts[static_cast<std::size_t>(w)] / total : 0.0;
}

std::string WriteLanguageModel(const LanguageModelInput& input, const NgramStatistics& statistics,
                               const LanguageModelOptions& options, const std::string& folder,
                               LanguageModel* model) {
  const int n_words = static_cast<int>(input.words.size());
  const int n = n_words + kClassTokenCount;
  // The tokens' classes and the context-free class, then at least one class
  // for the clustered words.
  const int fewest_classes = kContextFreeClass + 2;
  if (n > 65500 || input.counts.size() != input.words.size() || options.core_classes < fewest_classes ||
      options.page_classes < fewest_classes || options.core_classes > 65534 || options.page_classes > 65534)
    return "bad sizes";
  model->words = n;
  const TokenIds tokens{model->token(kStartToken), model->token(kEndToken), model->token(kUnknownToken)};
  std::vector<double> counts(static_cast<std::size_t>(n), 1.0);
  for (int w = 0; w < n_words; ++w)
    counts[static_cast<std::size_t>(w)] = std::max(1.0, input.counts[static_cast<std::size_t>(w)]);
  WordNgrams ngrams = MapNgrams(statistics, input.pieces_of, counts, tokens);
  // The domain text's words count beside the statistics' in every model and
  // in the lexicon's counts.
  if (options.domain.weight > 0 && !input.domain_sentences.empty()) {
    AddDomainNgrams(input.domain_sentences, options.domain, tokens, &ngrams);
    for (int w = 0; w < n_words; ++w) {
      const std::size_t k = static_cast<std::size_t>(w);
      counts[k] = std::max(1.0, std::round(ngrams.unigrams[k]));
    }
  }
  // The lexicon text's counts: whole numbers, the tokens' from the statistics.
  for (int t = 0; t < kClassTokenCount; ++t) {
    const std::size_t w = static_cast<std::size_t>(model->token(t));
    counts[w] = std::clamp(std::round(ngrams.unigrams[w]), 1.0, 1.0e9);
  }
  model->counts = counts;

  std::vector<int> fixed(static_cast<std::size_t>(n), -1);
  for (int t = 0; t < kClassTokenCount; ++t) fixed[static_cast<std::size_t>(model->token(t))] = t;
  // A word without a listed bigram either way has no neighbours to be
  // clustered by: such words share one class that only the back-off reaches.
  std::vector<bool> in_bigrams(static_cast<std::size_t>(n), false);
  for (const WordBigram& b : ngrams.bigrams)
    in_bigrams[static_cast<std::size_t>(b.first)] = in_bigrams[static_cast<std::size_t>(b.second)] = true;
  std::vector<int> order;
  for (int w = 0; w < n_words; ++w) {
    if (in_bigrams[static_cast<std::size_t>(w)]) {
      order.push_back(w);
    } else {
      fixed[static_cast<std::size_t>(w)] = kContextFreeClass;
    }
  }
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return counts[static_cast<std::size_t>(a)] > counts[static_cast<std::size_t>(b)];
  });
  // The classes maximise the likelihood of the listed bigrams with their own
  // totals as the classes' masses. Weighed against the words' whole counts
  // instead (what the back-off takes included), nearly every word gathered
  // in two classes and the class bigram said little more than the unigram.
  model->core_class = ExchangeClasses(options.core_classes, fixed, order, ngrams.bigrams, options.exchange);
  const bool with_page = !options.page_name.empty();
  const bool word_page = with_page && options.page_of_words;
  if (word_page) {
    // The tokens keep their classes; word w takes the class after them.
    model->page_class.resize(static_cast<std::size_t>(n));
    for (int w = 0; w < n; ++w)
      model->page_class[static_cast<std::size_t>(w)] = w < n_words ? kClassTokenCount + w : w - n_words;
  } else {
    model->page_class =
        with_page ? ExchangeClasses(options.page_classes, fixed, order, ngrams.bigrams, options.exchange)
                  : model->core_class;
  }
  model->core_class_counts = ClassCounts(counts, model->core_class, options.core_classes);
  const int page_classes = word_page ? n : with_page ? options.page_classes : options.core_classes;
  model->page_class_counts = ClassCounts(counts, model->page_class, page_classes);
  model->core = std::make_unique<ClassNgrams>(ngrams, model->core_class, options.core_classes, kStartToken);
  if (word_page) {
    model->word_page = std::make_unique<WordTrigramModel>(ngrams, model->token(kStartToken));
  } else {
    model->page = std::make_unique<ClassNgrams>(ngrams, model->page_class, page_classes, kStartToken);
  }
  const ClassNgrams& core = *model->core;

  // One shift: the smallest whose 255 steps hold the share of the core costs.
  // Pairs never seen have no cost of their own (they take the last byte): in
  // a small model they may be most pairs, and would push the shift so far
  // that every byte saturated.
  const int c = options.core_classes;
  std::vector<int64_t> core_costs;
  core_costs.reserve(static_cast<std::size_t>(c) * static_cast<std::size_t>(c));
  for (int c1 = 0; c1 < c; ++c1)
    for (int c2 = 0; c2 < c; ++c2)
      if (core.Bigram(c1, c2) > 0) core_costs.push_back(Cost(core.Bigram(c1, c2)));
  const int64_t covered = Quantile(core_costs, options.covered_share);
  int shift = 0;
  while (shift < kMaxShift && (covered >> shift) > 255) ++shift;
  model->shift = shift;

  vok_testing::OlderClassBigramModel core_file;
  core_file.words = n;
  core_file.classes = c;
  core_file.bias = Bias(core_costs, shift, options.covered_share);
  core_file.shift = shift;
  core_file.person = 3;
  core_file.place = 4;
  for (int c1 = 0; c1 < c; ++c1)
    for (int c2 = 0; c2 < c; ++c2)
      core_file.Set(c1, c2, vok::ScoreByte(core.Bigram(c1, c2), shift, core_file.bias));
  const std::string core_path = folder + "/" + options.model_name;
  if (!WriteBytes(core_path, core_file.Write())) return "cannot write " + core_path;

  PageModelFile page_file;
  WordTrigramFile word_file;
  const std::string page_path = folder + "/" + options.page_name;
  if (word_page) {
    std::vector<std::string> texts(input.words);
    for (const char* token : kClassTokens) texts.emplace_back(token);
    word_file = BuildWordTrigramFile(*model->word_page, texts, model->page_class, n, options.prune_ratio);
    for (const auto& word : word_file.file.words) model->page_blocks += static_cast<int>(word.groups.size());
    model->page_trigrams = word_file.trigrams;
    if (!WriteBytes(page_path, word_file.file.Write())) return "cannot write " + page_path;
  } else if (with_page) {
    page_file = BuildPageModel(*model->page, n, shift, options);
    for (const int32_t bias : page_file.file.biases)
      if (bias > 255) return "the page model's costs need a larger shift";
    model->page_blocks = static_cast<int>(page_file.file.blocks.size());
    model->page_trigrams = page_file.trigrams;
    if (!WriteBytes(page_path, page_file.file.Write())) return "cannot write " + page_path;
  }

  // The lexicon text: words in "Pron" order, then the tokens.
  std::string text = "Words " + std::to_string(n) + "\nClasses " + std::to_string(c) + "\n";
  for (int w = 0; w < n; ++w) {
    const std::string& word =
        w < n_words ? input.words[static_cast<std::size_t>(w)] : std::string(kClassTokens[w - n_words]);
    text += std::to_string(w) + " " + word + " " +
            std::to_string(model->core_class[static_cast<std::size_t>(w)]) + " " +
            std::to_string(static_cast<int64_t>(counts[static_cast<std::size_t>(w)])) + " " +
            std::to_string(model->page_class[static_cast<std::size_t>(w)]) + "\n";
  }
  const std::string text_path = folder + "/" + options.lexicon_name + ".txt";
  if (!WriteBytes(text_path, std::vector<uint8_t>(text.begin(), text.end())))
    return "cannot write " + text_path;

  // The binary lexicon by the product's writer after a text load; then every
  // file read back through a fresh set of readers.
  vok::CoreLM core_reader(nullptr, core_path.c_str());
  vok::PageLM page_reader(with_page ? page_path.c_str() : nullptr, vok::PageLM::kOrder, 1.0f, 0);
  if (core_reader.status() != 0 || (with_page && page_reader.status() != 0)) return "the models do not load";
  vok::CLexicon from_text(nullptr, text_path.c_str(), &core_reader, with_page ? &page_reader : nullptr);
  if (from_text.status() != 0 || from_text.entry_count() != n) return "the lexicon text does not load";
  const std::string binary_path = folder + "/" + options.lexicon_name;
  if (from_text.WriteBinary(binary_path.c_str(), 0, 0) != 0) return "cannot write " + binary_path;
  vok::CoreLM core_check(nullptr, core_path.c_str());
  vok::PageLM page_check(with_page ? page_path.c_str() : nullptr, vok::PageLM::kOrder, 1.0f, 0);
  vok::CLexicon from_binary(binary_path.c_str(), &core_check, with_page ? &page_check : nullptr, 0);
  if (from_binary.status() != 0) return "the binary lexicon does not load";
  for (int c1 = 0; c1 < c; ++c1)
    for (int c2 = 0; c2 < c; ++c2) {
      const bool end_rule = c1 == kEndToken || (c1 == kStartToken && c2 == kEndToken);
      if (!end_rule &&
          core_check.table_byte(c1, c2) != core_file.table[static_cast<std::size_t>(c1) * c + c2])
        return "class bigram (" + std::to_string(c1) + ", " + std::to_string(c2) + ") reads back wrong";
    }
  for (int w = 0; w < n; ++w) {
    if (core_check.entry(w).word_class != model->core_class[static_cast<std::size_t>(w)] ||
        core_check.entry(w).unigram != core_reader.entry(w).unigram ||
        core_check.entry(w).in_class != core_reader.entry(w).in_class)
      return "core data of word " + std::to_string(w) + " reads back wrong";
    if (with_page && (page_check.entry(w).word_class != model->page_class[static_cast<std::size_t>(w)] ||
                      page_check.entry(w).in_class != page_reader.entry(w).in_class))
      return "page data of word " + std::to_string(w) + " reads back wrong";
  }
  if (!with_page) return std::string();
  std::string error =
      word_page ? CheckWordTrigramFile(word_file, &page_check) : CheckPageModel(page_file.file, &page_check);
  if (!error.empty()) return error;

  const auto records = word_page ? WordTrigramCacheRecords(*model->word_page, model->page_class, &page_check,
                                                           options.cache_entries)
                                 : CacheRecords(*model->page, &page_check, options.cache_entries);
  const std::string cache_path = folder + "/" + options.cache_name;
  if (!WriteBytes(cache_path, vok_testing::WritePageCache(records))) return "cannot write " + cache_path;
  vok::PageLM cached(page_path.c_str(), vok::PageLM::kOrder, 1.0f, vok::PageLM::kDefaultCacheSize);
  if (cached.LoadCache(cache_path.c_str()) != static_cast<int>(records.size()))
    return "the page cache does not load";
  int level = -1;
  // The word trigram's keys name words by their text in the lexicon.
  if (word_page) cached.BindClassTokens(*from_binary.words());
  for (const auto& r : records) {
    const int score = word_page ? cached.GetClassTrigramScore(r.key[0], r.key[1], r.key[2], &level)
                      : r.key[0] == vok::PageLM::kBigramKey
                          ? cached.ClassBigram(r.key[1], r.key[2], &level)
                          : cached.ClassTrigram(r.key[0], r.key[1], r.key[2], &level);
    if (level != vok::PageLM::kCacheHit || static_cast<uint16_t>(score) != r.score)
      return "page cache entry (" + std::to_string(r.key[0]) + ", " + std::to_string(r.key[1]) + ", " +
             std::to_string(r.key[2]) + ") reads back wrong";
  }
  model->cache_entries = static_cast<int>(records.size());
  return std::string();
}

}  // namespace build_language_data
