#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/page_lm.h"
#include "tools/build_language_data/class_ngrams.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/held_out.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/script_conversion.h"
#include "tools/build_language_data/word_classes.h"
#include "tools/build_language_data/word_cutter.h"
#include "tools/build_language_data/word_frequencies.h"
#include "tools/text_codec/text_codec.h"

namespace {

namespace bld = build_language_data;

TEST(NgramStatistics, ListingAndWordTable) {
  bld::NgramStatistics statistics;
  ASSERT_EQ(
      bld::ReadNgramStatistics("\\0-gram\\1\n  0.1 0.2 (0,0)\n\\1-gram\\3\n 0 0.25 1.0 (0,0)\n"
                               " 70 0.5 1.0 (0,0)\n 71 0.25 1.0 (0,0)\n\\2-gram\\2\n 70 71 0.75 1.0 (1,0)\n"
                               " 0 70 0.5 1.0 (1,1)\n\\3-gram\\1\n 0 70 71 0.625 (1,0)\n",
                               "70\t\xE4\xBD\xA0\n71\t\xE5\xA5\xBD\n", &statistics),
      "");
  ASSERT_EQ(statistics.words.size(), 72u);
  EXPECT_EQ(statistics.words[71], "\xE5\xA5\xBD");
  EXPECT_DOUBLE_EQ(statistics.unigrams[70], 0.5);
  ASSERT_EQ(statistics.bigrams.size(), 2u);
  EXPECT_EQ(statistics.bigrams[0].first, 70u);
  EXPECT_EQ(statistics.bigrams[0].second, 71u);
  EXPECT_DOUBLE_EQ(statistics.bigrams[0].probability, 0.75);
  ASSERT_EQ(statistics.trigrams.size(), 1u);
  EXPECT_EQ(statistics.trigrams[0].third, 71u);
  EXPECT_DOUBLE_EQ(statistics.trigrams[0].probability, 0.625);
  struct Case {
    const char* name;
    const char* listing;
  } bad[] = {{"empty", ""},
             {"no bigrams", "\\1-gram\\1\n 0 0.5 1 (0,0)\n"},
             {"probability above 1", "\\1-gram\\1\n 0 1.5 1 (0,0)\n\\2-gram\\1\n 0 0 0.5 1 (1,0)\n"},
             {"missing id", "\\1-gram\\1\n 0 0.5 1 (0,0)\n\\2-gram\\1\n 0\n"}};
  for (const Case& c : bad) {
    bld::NgramStatistics s;
    EXPECT_NE(bld::ReadNgramStatistics(c.listing, "", &s), "") << c.name;
  }
}

// The vocabulary ranked by the statistics: Han words only, a word under
// several ids once with its largest count, the rarest still counted once.
TEST(NgramStatistics, HanWordsAsAFrequencyList) {
  bld::NgramStatistics statistics;
  const struct {
    const char* word;
    double unigram;
  } ids[] = {{"", 0.12},                           // the boundary
             {"\xEF\xBC\x8C", 0.06},               // a full-width comma
             {"\xE7\x9A\x84", 0.03},               // 的
             {"\xE4\xB8\xAD\xE5\x9B\xBD", 0.005},  // 中国
             {"B\xE8\xB6\x85", 0.001},             // B超
             {"\xE4\xB8\xAD\xE5\x9B\xBD", 0.007},  // 中国 again
             {"\xE3\x80\x87", 0.002},              // 〇, outside the unified block
             {"\xF0\xA0\x80\x80", 0.002},          // U+20000
             {"\xE7\xA8\x80", 1e-12}};             // 稀
  for (const auto& id : ids) {
    statistics.words.emplace_back(id.word);
    statistics.unigrams.push_back(id.unigram);
  }
  const std::vector<bld::WordCount> counts = bld::StatisticsWordCounts(statistics);
  ASSERT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts[0].word, "\xE7\x9A\x84");
  EXPECT_EQ(counts[0].count, std::llround(0.03 * bld::kStatisticsCountScale));
  EXPECT_EQ(counts[1].word, "\xE4\xB8\xAD\xE5\x9B\xBD");
  EXPECT_EQ(counts[1].count, std::llround(0.007 * bld::kStatisticsCountScale));
  EXPECT_EQ(counts[2].word, "\xE7\xA8\x80");
  EXPECT_EQ(counts[2].count, 1);
}

// Longest match over both tables, the phrase table's value first; text
// without a key stays.
TEST(ScriptConversion, LongestMatchOverPhrasesThenCharacters) {
  bld::ScriptConversion conversion;
  // Phrases: 头发 -> 頭髮; characters: 发 -> 發 (first of two), 头 -> 頭.
  ASSERT_EQ(conversion.AddTable("\xE5\xA4\xB4\xE5\x8F\x91\t\xE9\xA0\xAD\xE9\xAB\xAE\n"), 1);
  ASSERT_EQ(conversion.AddTable("\xE5\x8F\x91\t\xE7\x99\xBC \xE9\xAB\xAE\n\xE5\xA4\xB4\t\xE9\xA0\xAD\n"), 2);
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"\xE5\xA4\xB4\xE5\x8F\x91", "\xE9\xA0\xAD\xE9\xAB\xAE"},                          // 头发 -> 頭髮
      {"\xE5\x8F\x91\xE5\xA4\xB4", "\xE7\x99\xBC\xE9\xA0\xAD"},                          // 发头 -> 發頭
      {"\xE5\x8F\x91\xE5\xA4\xB4\xE5\x8F\x91", "\xE7\x99\xBC\xE9\xA0\xAD\xE9\xAB\xAE"},  // 发 + 头发
      {"a\xE5\x8F\x91"
       "b",
       "a\xE7\x99\xBC"
       "b"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(conversion.Convert(c.in), c.out) << c.in;
}

// Two kinds of words that follow each other: each kind must end in classes
// of its own, whatever the start and the number of threads.
TEST(WordClasses, ExchangeSeparatesWordsByTheirNeighbours) {
  // Words 0 and 1 are fixed tokens; 2..9 "determiners" (even) and "nouns"
  // (odd) alternate in the bigrams: determiner -> noun -> determiner.
  const int words = 10;
  std::vector<bld::WordBigram> bigrams;
  std::mt19937 random(5);
  for (int d = 2; d < words; d += 2)
    for (int n = 3; n < words; n += 2) {
      bigrams.push_back({d, n, 10.0 + static_cast<double>(random() % 5)});
      bigrams.push_back({n, d, 8.0 + static_cast<double>(random() % 5)});
    }
  bigrams.push_back({0, 2, 3.0});
  bigrams.push_back({9, 1, 3.0});
  std::vector<int> fixed(words, -1);
  fixed[0] = 0;
  fixed[1] = 1;
  // A frequency order that mixes the kinds in every starting band.
  const std::vector<int> order = {2, 3, 4, 5, 6, 7, 8, 9};
  bld::ExchangeOptions options;
  options.passes = 3;
  options.batch = 1;
  std::vector<int> initial = fixed;
  for (std::size_t r = 0; r < order.size(); ++r)
    initial[static_cast<std::size_t>(order[r])] = 2 + static_cast<int>(r) * 2 / 8;
  std::vector<int> first;
  for (const int threads : {1, 3}) {
    options.threads = threads;
    const std::vector<int> classes = bld::ExchangeClasses(4, fixed, order, bigrams, options);
    EXPECT_EQ(classes[0], 0);
    EXPECT_EQ(classes[1], 1);
    for (int w = 2; w < words; ++w) {
      EXPECT_GE(classes[static_cast<std::size_t>(w)], 2);
      EXPECT_EQ(classes[static_cast<std::size_t>(w)], classes[static_cast<std::size_t>(2 + w % 2)]) << w;
    }
    EXPECT_NE(classes[2], classes[3]);
    EXPECT_GT(bld::ClassBigramCriterion(4, classes, bigrams), bld::ClassBigramCriterion(4, initial, bigrams));
    if (first.empty()) first = classes;
    EXPECT_EQ(classes, first) << threads << " threads";
  }
}

// Batches of moves chosen in parallel give the same classes as one thread,
// and a class never loses its last word.
TEST(WordClasses, ParallelBatchesMatchOneThreadAndKeepClasses) {
  const int words = 300;
  std::mt19937 random(11);
  std::vector<bld::WordBigram> bigrams;
  for (int k = 0; k < 3000; ++k)
    bigrams.push_back({static_cast<int>(random() % words), static_cast<int>(random() % words),
                       1.0 + static_cast<double>(random() % 100)});
  std::vector<int> fixed(words, -1);
  std::vector<int> order(words);
  std::iota(order.begin(), order.end(), 0);
  bld::ExchangeOptions options;
  options.batch = 16;
  options.threads = 1;
  const std::vector<int> one = bld::ExchangeClasses(40, fixed, order, bigrams, options);
  options.threads = 5;
  EXPECT_EQ(bld::ExchangeClasses(40, fixed, order, bigrams, options), one);
  std::vector<int> members(40, 0);
  for (const int c : one) ++members[static_cast<std::size_t>(c)];
  for (int c = 0; c < 40; ++c) EXPECT_GT(members[static_cast<std::size_t>(c)], 0) << c;
}

// One move of one word goes to the class a brute-force evaluation of the
// criterion prefers (with masses apart from the bigrams, and self loops).
TEST(WordClasses, EachMoveIsTheBestByTheCriterion) {
  const int words = 40, classes = 6;
  std::mt19937 random(7);
  std::vector<bld::WordBigram> bigrams;
  for (int k = 0; k < 400; ++k)
    bigrams.push_back({static_cast<int>(random() % words), static_cast<int>(random() % words),
                       1.0 + static_cast<double>(random() % 100)});
  bld::WordMasses masses{std::vector<double>(words, 0.0), std::vector<double>(words, 0.0)};
  for (const bld::WordBigram& b : bigrams) {
    masses.history[static_cast<std::size_t>(b.first)] += b.weight;
    masses.predicted[static_cast<std::size_t>(b.second)] += b.weight;
  }
  for (int w = 0; w < words; ++w) {
    masses.history[static_cast<std::size_t>(w)] += static_cast<double>(random() % 500);
    masses.predicted[static_cast<std::size_t>(w)] += static_cast<double>(random() % 800);
  }
  const std::vector<int> fixed(words, -1);
  const bld::WordMasses* const with_and_without[] = {nullptr, &masses};
  for (const bld::WordMasses* m : with_and_without) {
    for (int w = 0; w < words; ++w) {
      std::vector<int> order(words);
      std::iota(order.begin(), order.end(), 0);
      std::swap(order[0], order[static_cast<std::size_t>(w)]);  // w moves first, alone
      bld::ExchangeOptions options;
      options.threads = 1;
      options.passes = 0;
      const std::vector<int> start = bld::ExchangeClasses(classes, fixed, order, bigrams, options, m);
      options.passes = 1;
      options.movable = 1;
      const std::vector<int> moved = bld::ExchangeClasses(classes, fixed, order, bigrams, options, m);
      double best = bld::ClassBigramCriterion(classes, start, bigrams, m);
      int best_class = start[static_cast<std::size_t>(w)];
      for (int t = 0; t < classes; ++t) {
        std::vector<int> x = start;
        x[static_cast<std::size_t>(w)] = t;
        const double v = bld::ClassBigramCriterion(classes, x, bigrams, m);
        if (v > best + 1e-6 * std::fabs(best)) {
          best = v;
          best_class = t;
        }
      }
      if (std::count(start.begin(), start.end(), start[static_cast<std::size_t>(w)]) == 1)
        best_class = start[static_cast<std::size_t>(w)];  // its class may not empty
      EXPECT_EQ(moved[static_cast<std::size_t>(w)], best_class) << "word " << w << (m ? " with masses" : "");
    }
  }
}

// Lexicon words 0 "a", 1 "b", 2 "c" and the tokens 3 <S>, 4 </S>, 5 <UNK>;
// the statistics know "a", "b", "bc" (spelt "b" "c") and a mark.
struct SmallStatistics {
  bld::NgramStatistics statistics;
  std::vector<std::vector<int>> pieces;
  std::vector<double> counts = {60, 30, 10, 1, 1, 1};
  bld::TokenIds tokens{3, 4, 5};

  SmallStatistics() {
    statistics.unigrams = {0.2, 0.4, 0.2, 0.1, 0.1};  // boundary, a, b, bc, mark
    statistics.bigrams = {{0, 1, 0.5}, {1, 2, 0.25}, {1, 3, 0.25}, {3, 4, 1.0}, {2, 0, 0.5}};
    statistics.trigrams = {{0, 1, 2, 0.5}};
    pieces = {{}, {0}, {1}, {1, 2}, {bld::kBoundaryPiece}};
  }
};

TEST(ClassNgrams, StatisticsCarriedOntoTheLexiconWords) {
  SmallStatistics s;
  const bld::WordNgrams n = bld::MapNgrams(s.statistics, s.pieces, s.counts, s.tokens);
  // "a" and "b" are whole: their counts stay theirs; the scale of the rest is
  // (60 + 30) / (0.4 + 0.2) = 150.
  const double scale = 150;
  EXPECT_DOUBLE_EQ(n.unigrams[0], 60);
  EXPECT_DOUBLE_EQ(n.unigrams[3], (0.2 + 0.1) * scale);  // boundary and mark
  EXPECT_DOUBLE_EQ(n.unigrams[4], (0.2 + 0.1) * scale);
  const auto bigram = [&](int a, int b) {
    for (const bld::WordBigram& x : n.bigrams)
      if (x.first == a && x.second == b) return x.weight;
    return 0.0;
  };
  EXPECT_DOUBLE_EQ(bigram(3, 0), 0.2 * scale * 0.5);      // boundary then "a"
  EXPECT_DOUBLE_EQ(bigram(0, 1), 60 * 0.25 + 60 * 0.25);  // "a b" and "a bc" both join a to b
  EXPECT_DOUBLE_EQ(bigram(1, 2), 0.1 * scale);            // inside "bc"
  EXPECT_DOUBLE_EQ(bigram(2, 3), 0.0);  // "bc" then the mark would end the sentence: c -> </S>
  EXPECT_DOUBLE_EQ(bigram(2, 4), 0.1 * scale * 1.0);
  EXPECT_DOUBLE_EQ(bigram(1, 4), 30 * 0.5);  // "b" then the boundary
  // What the first words leave to back-off.
  EXPECT_DOUBLE_EQ(n.leftovers[0], 60 * 0.5);
  EXPECT_DOUBLE_EQ(n.leftovers[3], 0.2 * scale * 0.5 + 0.1 * scale * 1.0);  // boundary, and the mark
  ASSERT_FALSE(n.trigrams.empty());
  const auto trigram = [&](int a, int b, int c) {
    for (const bld::WordNgrams::Trigram& t : n.trigrams)
      if (t.first == a && t.second == b && t.third == c) return t.weight;
    return 0.0;
  };
  EXPECT_DOUBLE_EQ(trigram(3, 0, 1), 0.2 * scale * 0.5 * 0.5);  // the listed trigram
  EXPECT_DOUBLE_EQ(trigram(0, 1, 2), 60 * 0.25);                // "a" then "bc": both pieces follow a
}

// Every history's distributions sum to 1 and the listed mass is where the
// statistics put it.
TEST(ClassNgrams, DistributionsAreNormalised) {
  SmallStatistics s;
  const bld::WordNgrams n = bld::MapNgrams(s.statistics, s.pieces, s.counts, s.tokens);
  const std::vector<int> classes = {3, 3, 4, 0, 1, 2};  // "a", "b" one class, "c" another
  const bld::ClassNgrams model(n, classes, 5, 0);
  EXPECT_EQ(model.Unigram(0), 0.0);
  for (int c1 = 0; c1 < 5; ++c1) {
    double bigrams = 0;
    for (int c2 = 0; c2 < 5; ++c2) bigrams += model.Bigram(c1, c2);
    EXPECT_NEAR(bigrams, 1.0, 1e-12) << c1;
    for (int c2 = 0; c2 < 5; ++c2) {
      double trigrams = 0;
      for (int c3 = 0; c3 < 5; ++c3) trigrams += model.Trigram(c1, c2, c3);
      EXPECT_NEAR(trigrams, 1.0, 1e-12) << c1 << " " << c2;
    }
  }
  EXPECT_TRUE(model.ListedBigram(0, 3));
  EXPECT_FALSE(model.ListedBigram(4, 3));
  EXPECT_GT(model.Trigram(0, 3, 3), model.TrigramBackoff(0, 3) * model.Bigram(3, 3));
  EXPECT_DOUBLE_EQ(model.TrigramBackoff(4, 4), 1.0);  // no listed triple
}

TEST(WordCutter, LongestWordsAndSentences) {
  const bld::CodePageText gb("GB2312");
  ASSERT_TRUE(gb.valid());
  // 中 国 中国 人 : lexicon; 们 is in no word.
  const std::vector<std::string> words = {*gb.Convert("\xE4\xB8\xAD"), *gb.Convert("\xE5\x9B\xBD"),
                                          *gb.Convert("\xE4\xB8\xAD\xE5\x9B\xBD"),
                                          *gb.Convert("\xE4\xBA\xBA")};
  bld::WordCutter cutter(words, 99, gb);
  EXPECT_EQ(cutter.Words(*gb.Convert("\xE4\xB8\xAD\xE5\x9B\xBD\xE4\xBA\xBA\xE4\xBB\xAC")),
            (std::vector<int>{2, 3, 99}));
  EXPECT_EQ(cutter.Words(*gb.Convert("\xE5\x9B\xBD\xE4\xB8\xAD")), (std::vector<int>{1, 0}));
  std::vector<std::vector<int>> sentences;
  // "中国，人 x 国" and a character outside GB2312 (U+9F98) cuts too.
  EXPECT_EQ(cutter.AddSentences(
                "\xE4\xB8\xAD\xE5\x9B\xBD\xEF\xBC\x8C\xE4\xBA\xBA x \xE5\x9B\xBD\xE9\xBE\x98\xE4\xB8\xAD",
                &sentences),
            6);
  EXPECT_EQ(sentences, (std::vector<std::vector<int>>{{2}, {3}, {1}, {0}}));
  EXPECT_TRUE(bld::HasHanCharacter("x\xE4\xB8\xAD"));
  EXPECT_FALSE(
      bld::HasHanCharacter("\xEF\xBC\x8C"
                           "12"));
}

// A small lexicon through the whole stage: the files load into the engine,
// the binary lexicon carries both classes, and the page model's reader
// gives every class triple the model's probability within its quantisation.
TEST(LanguageModel, WrittenFilesLoadAndScoreAsTheModel) {
  const bld::CodePageText gb("GB2312");
  ASSERT_TRUE(gb.valid());
  bld::LanguageModelInput input;
  const char* words[] = {"\xE4\xBD\xA0", "\xE5\xA5\xBD", "\xE6\x88\x91", "\xE4\xBB\xAC",
                         "\xE4\xBA\xBA"};  // 你 好 我 们 人
  for (const char* w : words) input.words.push_back(*gb.Convert(w));
  input.counts = {90, 50, 30, 10, 20};
  bld::NgramStatistics statistics;
  ASSERT_EQ(bld::ReadNgramStatistics(
                "\\1-gram\\2\n 0 0.2 1 (0,0)\n 70 0.3 1 (0,0)\n 71 0.2 1 (0,0)\n"
                " 72 0.2 1 (0,0)\n 73 0.1 1 (0,0)\n\\2-gram\\5\n"
                " 70 71 0.6 1 (1,0)\n 0 70 0.5 1 (1,1)\n 71 0 0.7 1 (1,2)\n"
                " 0 72 0.3 1 (1,3)\n 72 73 0.8 1 (1,4)\n\\3-gram\\2\n 0 70 71 0.9 (1,0)\n"
                " 0 72 73 0.7 (1,0)\n",
                "70\t\xE4\xBD\xA0\n71\t\xE5\xA5\xBD\n72\t\xE6\x88\x91\xE4\xBB\xAC\n73\t,\n", &statistics),
            "");
  // 我们 is spelt by two words; "," is a mark.
  input.pieces_of = {{}, {}, {}};
  input.pieces_of.resize(74);
  input.pieces_of[70] = {0};
  input.pieces_of[71] = {1};
  input.pieces_of[72] = {2, 3};
  input.pieces_of[73] = {bld::kBoundaryPiece};
  bld::LanguageModelOptions options;
  options.core_classes = 12;
  options.page_classes = 14;
  options.cache_entries = 5;
  const std::string folder = testing::TempDir() + "language_model";
  std::filesystem::create_directories(folder);
  bld::LanguageModel model;
  // The tokens' classes and the context-free class leave no class to the
  // clustered words: refused, not written with words out of every class.
  options.core_classes = bld::kContextFreeClass + 1;
  EXPECT_EQ(bld::WriteLanguageModel(input, statistics, options, folder, &model), "bad sizes");
  options.core_classes = 12;
  ASSERT_EQ(bld::WriteLanguageModel(input, statistics, options, folder, &model), "");
  const int n = 5 + bld::kClassTokenCount;
  EXPECT_EQ(model.words, n);
  vok::CoreLM core(nullptr, (folder + "/LM1").c_str());
  vok::PageLM page((folder + "/LM2").c_str(), vok::PageLM::kOrder, 1.0f, 0);
  ASSERT_EQ(core.status(), 0);
  ASSERT_EQ(page.status(), 0);
  EXPECT_EQ(core.class_count(), 12);
  EXPECT_EQ(page.class_count(), 14);
  vok::CLexicon lexicon((folder + "/Lexicon").c_str(), &core, &page, 0);
  ASSERT_EQ(lexicon.status(), 0);
  EXPECT_EQ(lexicon.entry_count(), n);
  EXPECT_EQ(lexicon.StringToWordID(input.words[1].c_str()), 1);
  EXPECT_EQ(lexicon.StringToWordID("<S>"), 5);
  EXPECT_EQ(core.token_class(vok::CoreLM::kTime), 8);
  EXPECT_EQ(page.token_class(vok::PageLM::kEnd), 1);
  for (int w = 0; w < n; ++w) {
    EXPECT_EQ(core.entry(w).word_class, model.core_class[static_cast<std::size_t>(w)]) << w;
    EXPECT_EQ(page.entry(w).word_class, model.page_class[static_cast<std::size_t>(w)]) << w;
  }
  EXPECT_EQ(core.word_count_of(0), 90);
  // 人 is in no listed bigram: it has the class only the back-off reaches,
  // which no word with neighbours shares.
  for (const std::vector<int>* classes : {&model.core_class, &model.page_class}) {
    EXPECT_EQ((*classes)[4], bld::kContextFreeClass);
    for (int w = 0; w < 4; ++w)
      EXPECT_NE((*classes)[static_cast<std::size_t>(w)], bld::kContextFreeClass) << w;
  }
  // Every class triple: the reader's cost within a quantisation step (and
  // the pruning ratio) of the model's, unless floored.
  const int s = page.shift(2);
  const double step = static_cast<double>(1 << s) + std::log(options.prune_ratio) * 10000.5 + 1;
  page.StartUtterance();
  for (int c1 = 0; c1 < 14; ++c1)
    for (int c2 = 0; c2 < 14; ++c2)
      for (int c3 = 1; c3 < 14; ++c3) {
        int level = 0;
        const int byte = -page.ClassTrigram(c1, c2, c3, &level);
        const double cost = static_cast<double>((byte + page.bias(2)) << s);
        const double expected = -std::log(model.page->Trigram(c1, c2, c3)) * 10000.5;
        if (byte < 255)
          EXPECT_NEAR(cost, expected, step) << c1 << " " << c2 << " " << c3;
        else
          EXPECT_GE(expected + step, cost) << c1 << " " << c2 << " " << c3;
      }
  page.EndUtterance();
  vok::PageLM cached((folder + "/LM2").c_str(), vok::PageLM::kOrder, 1.0f, vok::PageLM::kDefaultCacheSize);
  EXPECT_EQ(cached.LoadCache((folder + "/PLMCache").c_str()), 5);
  std::filesystem::remove_all(folder);
}

// Word counts alone, under other file names: the lexicon and the core
// model, no page model.
TEST(LanguageModel, CountsAloneMakeTheLexiconAndTheCoreModel) {
  const bld::CodePageText big5("BIG5");
  ASSERT_TRUE(big5.valid());
  std::vector<bld::LexiconWord> lexicon;
  for (const char* w : {"\xE4\xBD\xA0", "\xE5\xA5\xBD"}) lexicon.push_back({*big5.Convert(w), {}});
  const auto counts = bld::ReadWordCounts("\xE5\xA5\xBD\t50\n\xE4\xBD\xA0\t90\n");
  bld::LanguageModelOptions options;
  options.core_classes = 12;
  options.lexicon_name = "PCLex";
  options.model_name = "PCLM";
  const std::string folder = testing::TempDir() + "counts_alone";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(bld::WriteLanguageModel(lexicon, counts, bld::NgramStatistics(), big5, options, folder), "");
  EXPECT_FALSE(std::filesystem::exists(folder + "/LM2"));
  vok::CoreLM core(nullptr, (folder + "/PCLM").c_str());
  ASSERT_EQ(core.status(), 0);
  vok::CLexicon read((folder + "/PCLex").c_str(), &core, nullptr, 0);
  ASSERT_EQ(read.status(), 0);
  EXPECT_EQ(read.entry_count(), 2 + bld::kClassTokenCount);
  EXPECT_EQ(core.word_count_of(0), 90);
  std::filesystem::remove_all(folder);
}

// Counts that fall by a fifth from word to word: the most frequent words
// score apart, each a little worse than the one before (bytes that saturated
// would make them all alike).
TEST(LanguageModel, ScoreBytesTellFrequentWordsApart) {
  const bld::CodePageText gb("GB2312");
  const tools::TextCodec to_utf8("GB2312", "UTF-8");
  std::vector<bld::LexiconWord> lexicon;
  std::vector<bld::WordCount> counts;
  double count = 1e5;
  for (int lead = 0xB0; lead < 0xB0 + 40; ++lead, count *= 0.8) {
    lexicon.push_back({std::string{static_cast<char>(lead), '\xA1'}, {}});
    counts.push_back({*to_utf8.Convert(lexicon.back().text), static_cast<int64_t>(count)});
  }
  const std::string folder = testing::TempDir() + "language_model_bytes";
  std::filesystem::create_directories(folder);
  bld::LanguageModelOptions options;
  options.core_classes = 12;
  ASSERT_EQ(bld::WriteLanguageModel(lexicon, counts, bld::NgramStatistics(), gb, options, folder), "");
  vok::CoreLM core(nullptr, (folder + "/LM1").c_str());
  vok::CLexicon read((folder + "/Lexicon").c_str(), &core, nullptr, 0);
  ASSERT_EQ(read.status(), 0);
  for (int w = 1; w < 6; ++w) {
    EXPECT_LT(core.entry(w - 1).unigram, core.entry(w).unigram) << w;
    EXPECT_LT(core.entry(w).unigram, 255) << w;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
