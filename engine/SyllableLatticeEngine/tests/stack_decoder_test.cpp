#include "engine/SyllableLatticeEngine/stack_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/resources.h"

namespace {

using vok::BackTraceTable;
using vok::CoreLM;
using vok::NBestList;
using vok::StackDecoder;

struct LatticeEntry {
  int frame;
  int start;
  uint16_t word;
  int16_t score;
};

// A table of the entries (frames 1 to last) and the finishing frame after
// them, as the text engines leave it.
void FillTable(BackTraceTable* table, int last, const std::vector<LatticeEntry>& entries) {
  table->Reset(0);
  for (int t = 1; t <= last; ++t) {
    ASSERT_EQ(table->EndFrame(), 0);
    for (const LatticeEntry& e : entries) {
      if (e.frame == t) table->AddRecord(e.word, e.score, e.start);
    }
  }
  if (last < BackTraceTable::kMaxFrame) table->EndFrame();
}

// The decoder's scoring, computed independently in 64 bits: each word adds its
// entry score relative to the best of its frame, its unigram score and the
// insertion penalty, and the class bigram score towards the word after it.
class Oracle {
 public:
  Oracle(const CoreLM& core, int last, const std::vector<LatticeEntry>& entries, int penalty)
      : core_(core), last_(last), entries_(entries), penalty_(penalty) {
    std::map<int, int> best;
    for (const LatticeEntry& e : entries) {
      auto [it, inserted] = best.emplace(e.frame, e.score);
      if (!inserted) it->second = std::max(it->second, static_cast<int>(e.score));
    }
    for (LatticeEntry& e : entries_) e.score = static_cast<int16_t>(e.score - best[e.frame]);
  }

  int64_t Item(const LatticeEntry& e) const { return e.score + core_.GetUnigramScore(e.word) + penalty_; }
  // Forbidden transitions give no score.
  // The older-form model of these tests needs no next word; the walk gives it.
  bool Link(uint16_t word, int next_class, int64_t* score, uint16_t next_word = CoreLM::kNoWord) const {
    const int lm = core_.GetContinuationScore(word, next_class, next_word);
    if (lm < -27767) return false;
    *score = lm;
    return true;
  }

  // Every sentence from frame 0 to the last with its scores.
  std::map<std::vector<uint16_t>, std::set<int64_t>> AllPaths() const {
    std::map<std::vector<uint16_t>, std::set<int64_t>> paths;
    std::vector<uint16_t> words;
    Walk(0, 0, &words, &paths);
    return paths;
  }

  // The best sentence score by dynamic programming over (frame, class).
  int64_t Best() const {
    const int classes = core_.class_count();
    std::vector<std::vector<int64_t>> left(last_ + 1, std::vector<int64_t>(classes, INT64_MIN));
    for (int c = 0; c < classes; ++c) {
      int64_t lm;
      if (Link(core_.token_id(CoreLM::kStart), c, &lm)) left[0][c] = lm;
    }
    for (int f = 1; f <= last_; ++f) {
      for (const LatticeEntry& e : entries_) {
        if (e.frame != f) continue;
        const int64_t before = left[e.start][core_.ScoringClass(e.word)];
        if (before == INT64_MIN) continue;
        for (int c = 0; c < classes; ++c) {
          int64_t lm;
          if (Link(e.word, c, &lm)) left[f][c] = std::max(left[f][c], before + Item(e) + lm);
        }
      }
    }
    return left[last_][core_.ScoringClass(core_.token_id(CoreLM::kEnd))];
  }

 private:
  void Walk(int frame, int64_t score, std::vector<uint16_t>* words,
            std::map<std::vector<uint16_t>, std::set<int64_t>>* paths) const {
    if (frame == last_) {
      int64_t total = score;
      uint16_t previous = core_.token_id(CoreLM::kStart);
      bool allowed = true;
      for (uint16_t w : *words) {
        int64_t lm;
        allowed = allowed && Link(previous, core_.ScoringClass(w), &lm, w);
        if (allowed) total += lm;
        previous = w;
      }
      int64_t lm;
      const uint16_t end = core_.token_id(CoreLM::kEnd);
      if (allowed && Link(previous, core_.ScoringClass(end), &lm, end)) {
        (*paths)[*words].insert(total + lm);
      }
      return;
    }
    for (const LatticeEntry& e : entries_) {
      if (e.start != frame) continue;
      words->push_back(e.word);
      Walk(e.frame, score + Item(e), words, paths);
      words->pop_back();
    }
  }

  const CoreLM& core_;
  int last_;
  std::vector<LatticeEntry> entries_;
  int penalty_;
};

std::vector<uint8_t> RandomModel(std::mt19937* rng, int classes) {
  std::uniform_int_distribution<int> byte(0, 60);
  std::vector<uint8_t> bytes(classes * classes);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(*rng));
  return bytes;
}

std::vector<vok_testing::FixtureWord> RandomWords(std::mt19937* rng, int n, int first_class, int classes) {
  std::uniform_int_distribution<int> word_class(first_class, classes - 1), count(1, 40);
  std::vector<vok_testing::FixtureWord> words;
  for (int i = 0; i < n; ++i) words.push_back({"w" + std::to_string(i), word_class(*rng), count(*rng)});
  return vok_test::WithSentenceWords(words);
}

// Entries 0-2 of the backward tree stand for the sentence tokens ("q"),
// then the word "a" spelled with syllables x then y: returns its entry.
int AddTokensAndWordXY(vok::CLexTree* tree) {
  for (int i = 0; i < 3; ++i) tree->AddPron("q", true, false);
  return tree->AddPron("x-y", true, false);
}

std::unique_ptr<vok::Resources> DecoderOptions(int penalty) {
  auto resources = std::make_unique<vok::Resources>();
  resources->PutInt("LMBackend", "WordInsertionPenalty", penalty);
  return resources;
}

class StackDecoderTest : public ::testing::Test {
 protected:
  vok_test::CapturedMessages messages_;
};

TEST_F(StackDecoderTest, AgreesWithBruteForceOnRandomLattices) {
  std::mt19937 rng(2121);
  for (int round = 0; round < 40; ++round) {
    vok_test::SmallLanguage language;
    ASSERT_TRUE(language.Load(6, RandomModel(&rng, 6), RandomWords(&rng, 8, 3, 6)));
    std::uniform_int_distribution<int> frames(1, 10), per_frame(0, 4), word(3, 10), score(-30, 30);
    const int last = frames(rng);
    std::vector<LatticeEntry> entries;
    for (int t = 1; t <= last; ++t) {
      std::uniform_int_distribution<int> start(std::max(0, t - 4), t - 1);
      for (int k = per_frame(rng); k > 0; --k) {
        entries.push_back(
            {t, start(rng), static_cast<uint16_t>(word(rng)), static_cast<int16_t>(score(rng))});
      }
    }
    BackTraceTable table(1000, 10, 1);
    FillTable(&table, last, entries);
    const int penalty = (round % 2) ? -50 : 0;
    auto options = DecoderOptions(penalty);
    StackDecoder decoder(options.get(), language.core.get());
    decoder.set_lexicon(language.lexicon.get());
    ASSERT_EQ(decoder.Decode(&table, nullptr, 30000, 30000), 0);

    const Oracle oracle(*language.core, last, entries, penalty);
    const auto paths = oracle.AllPaths();
    NBestList list(50);
    list.Reset(0, 1);
    const int found = decoder.GetNBest(&list, -10000);
    if (paths.empty()) {
      EXPECT_EQ(found, -1) << "round " << round;
      continue;
    }
    int64_t best = INT64_MIN;
    for (const auto& [words, scores] : paths) best = std::max(best, *scores.rbegin());
    ASSERT_EQ(found, 0) << "round " << round;
    EXPECT_EQ(list.best_score(), best) << "round " << round;
    EXPECT_EQ(oracle.Best(), best);
    for (int i = 0; i < list.count(); ++i) {
      const vok::Hypothesis& h = list.Get(i);
      const std::vector<uint16_t> words(h.ids, h.ids + h.count);
      ASSERT_TRUE(paths.count(words)) << "round " << round << " record " << i << " is no path";
      EXPECT_TRUE(paths.at(words).count(best + h.score)) << "round " << round << " record " << i;
      if (i == 0) {
        EXPECT_EQ(h.score, 0);
      } else {
        EXPECT_LE(h.score, list.Get(i - 1).score);
      }
    }
    const vok::Hypothesis& top = list.Get(0);
    std::vector<uint16_t> reference = {top.count};
    reference.insert(reference.end(), top.ids, top.ids + top.count);
    EXPECT_EQ(decoder.GetReferenceScore(reference.data()), best);
  }
}

TEST_F(StackDecoderTest, LongLatticeKeepsItsScoresBeyondSixteenBits) {
  std::mt19937 rng(300);
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(6, RandomModel(&rng, 6), RandomWords(&rng, 300, 3, 6)));
  const int last = 250;
  std::uniform_int_distribution<int> word(3, 302), score(-30, 30), span(1, 3);
  std::vector<LatticeEntry> entries;
  for (int t = 1; t <= last; ++t) {
    for (int k = 0; k < 3; ++k) {
      entries.push_back({t, std::max(0, t - span(rng)), static_cast<uint16_t>(word(rng)),
                         static_cast<int16_t>(score(rng))});
    }
  }
  BackTraceTable table(2000, 10, 1);
  FillTable(&table, last, entries);
  auto options = DecoderOptions(-100);
  StackDecoder decoder(options.get(), language.core.get());
  decoder.set_lexicon(language.lexicon.get());
  ASSERT_EQ(decoder.Decode(&table, nullptr, 30000, 30000), 0);
  const int64_t best = Oracle(*language.core, last, entries, -100).Best();
  ASSERT_LT(best, -32768);  // a 16-bit sum would have wrapped
  EXPECT_EQ(decoder.StackAt(-1)->best(), best);
}

// A speech search whose utterance ends in silence leaves frames without word
// ends after the last word and names that word's record as final.
TEST_F(StackDecoderTest, SentencesEndAtTheFinalRecord) {
  std::mt19937 rng(77);
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(6, RandomModel(&rng, 6), RandomWords(&rng, 8, 3, 6)));
  const std::vector<LatticeEntry> entries = {{2, 0, 3, -5}, {4, 2, 4, -3}, {4, 0, 5, -9}};
  BackTraceTable table(1000, 10, 1);
  FillTable(&table, 7, entries);
  auto options = DecoderOptions(0);
  StackDecoder decoder(options.get(), language.core.get());
  decoder.set_lexicon(language.lexicon.get());
  NBestList list(10);
  ASSERT_EQ(decoder.Decode(&table, nullptr, 30000, 30000), 0);
  EXPECT_EQ(decoder.GetNBest(&list, -10000), -1);

  table.SetFinal(table.BestRecordInFrame(4), 0);
  ASSERT_EQ(decoder.Decode(&table, nullptr, 30000, 30000), 0);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  const auto paths = Oracle(*language.core, 4, entries, 0).AllPaths();
  ASSERT_EQ(list.count(), static_cast<int>(paths.size()));
  for (int i = 0; i < list.count(); ++i) {
    const vok::Hypothesis& h = list.Get(i);
    EXPECT_TRUE(paths.count(std::vector<uint16_t>(h.ids, h.ids + h.count))) << i;
  }
}

TEST_F(StackDecoderTest, LongestTableDecodesAndLongPathsAreRefused) {
  std::mt19937 rng(2000);
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(6, RandomModel(&rng, 6), RandomWords(&rng, 8, 3, 6)));
  const int last = BackTraceTable::kMaxFrame - 1;  // the finishing frame is 2000
  std::vector<LatticeEntry> entries;
  for (int t = 1; t <= last; ++t) {
    entries.push_back({t, t - 1, static_cast<uint16_t>(3 + t % 8), 0});
    if (t >= 2) entries.push_back({t, t - 2, static_cast<uint16_t>(3 + (t * 7) % 8), 5});
  }
  BackTraceTable table(5000, 10, 1);
  FillTable(&table, last, entries);
  ASSERT_EQ(table.frames_completed(), BackTraceTable::kMaxFrame);
  auto options = DecoderOptions(0);
  StackDecoder decoder(options.get(), language.core.get());
  decoder.set_lexicon(language.lexicon.get());
  ASSERT_EQ(decoder.Decode(&table, nullptr, 32767, 32767), 0);
  EXPECT_EQ(decoder.last_frame(), last);
  EXPECT_EQ(decoder.StackAt(-1)->best(), Oracle(*language.core, last, entries, 0).Best());
  // Every sentence has 1000 words or more: more than a hypothesis holds.
  NBestList list(10);
  list.Reset(0, 1);
  EXPECT_EQ(decoder.GetNBest(&list, -10000), -1);
  EXPECT_EQ(list.count(), 0);
}

TEST_F(StackDecoderTest, FailuresAreReported) {
  std::mt19937 rng(1);
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(6, RandomModel(&rng, 6), RandomWords(&rng, 8, 3, 6)));
  auto options = DecoderOptions(0);
  BackTraceTable table(100, 10, 1);
  NBestList list(10);
  {
    StackDecoder decoder(options.get(), language.core.get());  // no lexicon
    FillTable(&table, 1, {{1, 0, 3, 0}});
    EXPECT_EQ(decoder.Decode(&table, nullptr, 100, 100), -1);
    EXPECT_TRUE(vok::ErrorRecorded("errNoLanguageModel"));
  }
  StackDecoder decoder(options.get(), language.core.get());
  decoder.set_lexicon(language.lexicon.get());
  FillTable(&table, 1, {{1, 0, 3, 0}});
  ASSERT_EQ(decoder.Decode(&table, nullptr, 100, 100), 0);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  // An empty table: -1, and the earlier sentences are gone.
  table.Reset(0);
  EXPECT_EQ(decoder.Decode(&table, nullptr, 100, 100), -1);
  list.Reset(0, 1);
  EXPECT_EQ(decoder.GetNBest(&list, -10000), -1);
  // Starts outside 0 <= s < t are skipped.
  BackTraceTable bad(100, 10, 1);
  FillTable(&bad, 2, {{1, 1, 3, 0}, {2, 5, 4, 0}, {2, 0, 5, 0}});
  ASSERT_EQ(decoder.Decode(&bad, nullptr, 100, 100), 0);
  list.Reset(0, 1);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.Get(0).count, 1);
  EXPECT_EQ(list.Get(0).ids[0], 5);
}

TEST_F(StackDecoderTest, RequiresTheInsertionPenalty) {
  vok::Resources empty;
  StackDecoder decoder(&empty, nullptr);
  EXPECT_EQ(decoder.ReadOptions(empty, false), -1);
  EXPECT_NE(messages_.Output().find("ERROR -1: LMBackend: Parameter \"WordInsertionPenalty\" not set!\n"),
            std::string::npos);
  EXPECT_EQ(vok::ErrorCount(), 0);
  auto options = DecoderOptions(-70);
  options->PutInt("LMBackend", "WordStartOffsetPen", -3);
  EXPECT_EQ(decoder.ReadOptions(*options, true), 0);
  EXPECT_EQ(decoder.word_insertion_penalty(), -70);
  EXPECT_EQ(decoder.word_start_offset_pen(), -3);
  EXPECT_EQ(vok::ErrorCount(), 0);
}

// Words 3 and 4 share class 3; word 5 has class 4.
class SharedStateTest : public StackDecoderTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(language_.Load(5, std::vector<uint8_t>(25, 10),
                               vok_test::WithSentenceWords({{"a", 3, 20}, {"b", 3, 20}, {"c", 4, 20}})));
  }
  vok_test::SmallLanguage language_;
  std::unique_ptr<vok::Resources> options_ = DecoderOptions(0);
};

TEST_F(SharedStateTest, OnlyTheBetterTheoryOfAStateIsExtended) {
  BackTraceTable table(100, 10, 1);
  FillTable(&table, 2, {{2, 1, 3, 0}, {2, 1, 4, -20}, {1, 0, 5, 0}});
  StackDecoder decoder(options_.get(), language_.core.get());
  decoder.set_lexicon(language_.lexicon.get());
  ASSERT_EQ(decoder.Decode(&table, nullptr, 1000, 1000), 0);
  // "a" and "b" enter stack 1; only "a" is extended to "c", then to the start.
  EXPECT_EQ(decoder.theories_extended(), 4);
  NBestList list(10);
  list.Reset(0, 1);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(std::vector<uint16_t>(list.Get(0).ids, list.Get(0).ids + 2), (std::vector<uint16_t>{5, 3}));
  EXPECT_EQ(std::vector<uint16_t>(list.Get(1).ids, list.Get(1).ids + 2), (std::vector<uint16_t>{5, 4}));
  const int unigram_gap = language_.core->GetUnigramScore(4) - language_.core->GetUnigramScore(3);
  const int lm_gap = language_.core->GetContinuationScore(4, 1) - language_.core->GetContinuationScore(3, 1);
  EXPECT_EQ(list.Get(1).score, -20 + unigram_gap + lm_gap);
}

TEST_F(SharedStateTest, AlternativesAreReadWithoutConsumingTheStacks) {
  // 250 words of one span: the record holds the spoken word first and at most
  // 200 words.
  std::vector<vok_testing::FixtureWord> words;
  for (int i = 0; i < 250; ++i) words.push_back({"w" + std::to_string(i), 3 + i % 2, 10});
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(5, std::vector<uint8_t>(25, 10), vok_test::WithSentenceWords(words)));
  std::vector<LatticeEntry> entries = {{1, 0, 3, 0}};
  for (int i = 0; i < 250; ++i)
    entries.push_back({2, 1, static_cast<uint16_t>(3 + i), static_cast<int16_t>(-i)});
  entries.push_back({2, 0, 7, -3000});
  BackTraceTable table(1000, 10, 1);
  FillTable(&table, 2, entries);
  StackDecoder decoder(options_.get(), language.core.get());
  decoder.set_lexicon(language.lexicon.get());
  ASSERT_EQ(decoder.Decode(&table, nullptr, 30000, 30000), 0);
  NBestList list(10);
  list.Reset(0, 1);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  const uint16_t spoken[] = {2, 3, 3};  // the best sentence: w0 twice
  ASSERT_EQ(list.Get(0).count, 2);
  ASSERT_EQ(list.Get(0).ids[1], 3);
  std::vector<vok::CAlternativeList> records(3);
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(decoder.GetAlternatives(spoken, records.data()), 0);
    EXPECT_EQ(records[0].Get(0).word, 3);
    EXPECT_EQ(records[0].Get(0).score, 0);
    EXPECT_EQ(records[1].Get(0).word, 3);
    EXPECT_EQ(records[1].Get(0).score, 0);
    EXPECT_EQ(records[1].count(), 200);  // of the 250 words in stack 1 and its chains
    EXPECT_EQ(records[2].count(), 0);
    // Word 7 starts at frame 0 but ends where no second word starts: 300 lower.
    const vok::CAlternativeList::Entry* seven = records[0].Find(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_LT(seven->score, -300 + 1);
  }
  // The stacks are still there for a second read-out.
  NBestList again(10);
  again.Reset(0, 1);
  ASSERT_EQ(decoder.GetNBest(&again, -10000), 0);
  EXPECT_EQ(again.count(), list.count());
  const uint16_t unknown[] = {1, 9};
  EXPECT_EQ(decoder.GetAlternatives(unknown, records.data()), -1);
}

TEST_F(SharedStateTest, RightWindowStopsSixFramesBeforeTheEnd) {
  BackTraceTable table(100, 10, 1);
  FillTable(&table, 20, {{20, 10, 3, 0}});
  StackDecoder decoder(options_.get(), language_.core.get());
  decoder.set_lexicon(language_.lexicon.get());
  decoder.set_word_start_windows(2, 10);
  decoder.set_word_start_offset_pen(-1);
  ASSERT_EQ(decoder.Decode(&table, nullptr, 1000, 1000), 0);
  for (int f = 0; f <= 20; ++f) {
    const bool expected = f == 20 || (f >= 8 && f <= 14);
    const vok::TheoryStack* stack = decoder.StackAt(f);
    EXPECT_EQ(stack != nullptr && stack->best() != vok::TheoryStack::kEmptyBest, expected) << "frame " << f;
  }
  EXPECT_EQ(decoder.StackAt(13)->best() - decoder.StackAt(10)->best(), -3);
}

TEST_F(SharedStateTest, LexicalConstraintAssemblesWordsBackwards) {
  // Words ids equal tree entries: "<S>", "</S>", "<UNK>", then "a".
  vok::CLexTree tree(10, "-", true);
  ASSERT_EQ(AddTokensAndWordXY(&tree), 3);
  const uint16_t x = tree.FindSyllable("x"), y = tree.FindSyllable("y");
  StackDecoder decoder(options_.get(), language_.core.get());
  decoder.set_lexicon(language_.lexicon.get());
  BackTraceTable table(100, 10, 1);
  NBestList list(10);

  FillTable(&table, 2, {{1, 0, x, 0}, {2, 1, y, 0}});
  ASSERT_EQ(decoder.Decode(&table, &tree, 1000, 1000), 0);
  list.Reset(0, 1);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  ASSERT_EQ(list.Get(0).count, 1);
  EXPECT_EQ(list.Get(0).ids[0], 3);

  FillTable(&table, 2, {{1, 0, y, 0}, {2, 1, x, 0}});
  ASSERT_EQ(decoder.Decode(&table, &tree, 1000, 1000), 0);
  list.Reset(0, 1);
  EXPECT_EQ(decoder.GetNBest(&list, -10000), -1);

  vok::CLexTree forward(10, "-", false);
  EXPECT_EQ(decoder.Decode(&table, &forward, 1000, 1000), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errForwardLexicalTree"));
}

// The decoder keeps the words of the nodes it reached from one decode to
// the next: a word added at a node it listed, or removed from it, must
// reach the next decode.
TEST_F(SharedStateTest, WordsAddedToOrRemovedFromTheTreeReachTheNextDecode) {
  vok::CLexTree tree(10, "-", true);
  ASSERT_EQ(AddTokensAndWordXY(&tree), 3);
  const uint16_t x = tree.FindSyllable("x"), y = tree.FindSyllable("y");
  StackDecoder decoder(options_.get(), language_.core.get());
  decoder.set_lexicon(language_.lexicon.get());
  BackTraceTable table(100, 10, 1);
  FillTable(&table, 2, {{1, 0, x, 0}, {2, 1, y, 0}});
  const auto words_read = [&] {
    EXPECT_EQ(decoder.Decode(&table, &tree, 1000, 1000), 0);
    NBestList list(10);
    list.Reset(0, 1);
    std::vector<uint16_t> words;
    if (decoder.GetNBest(&list, -10000) != 0) return words;
    for (int i = 0; i < list.count(); ++i) {
      EXPECT_EQ(list.Get(i).count, 1);
      words.push_back(list.Get(i).ids[0]);
    }
    std::sort(words.begin(), words.end());
    return words;
  };
  EXPECT_EQ(words_read(), (std::vector<uint16_t>{3}));
  ASSERT_EQ(tree.AddPron("x-y", true, false), 4);  // "b" at the node of "a"
  EXPECT_EQ(words_read(), (std::vector<uint16_t>{3, 4}));
  ASSERT_EQ(tree.RemoveEntry(3), 0);
  EXPECT_EQ(words_read(), (std::vector<uint16_t>{4}));
}

TEST_F(SharedStateTest, WordsThroughTheTreeKeepTheirScoresBeyondSixteenBits) {
  vok::CLexTree tree(10, "-", true);
  ASSERT_EQ(AddTokensAndWordXY(&tree), 3);
  const uint16_t x = tree.FindSyllable("x"), y = tree.FindSyllable("y");
  // 160 words "a" of 200 each: the sentence ends far below -27768.
  std::vector<LatticeEntry> entries;
  for (int t = 1; t <= 320; ++t) entries.push_back({t, t - 1, t % 2 ? x : y, 0});
  BackTraceTable table(1000, 10, 1);
  FillTable(&table, 320, entries);
  auto options = DecoderOptions(-200);
  StackDecoder decoder(options.get(), language_.core.get());
  decoder.set_lexicon(language_.lexicon.get());
  ASSERT_EQ(decoder.Decode(&table, &tree, 1000, 1000), 0);
  NBestList list(10);
  list.Reset(0, 1);
  ASSERT_EQ(decoder.GetNBest(&list, -10000), 0);
  EXPECT_EQ(list.Get(0).count, 160);
  EXPECT_LT(list.best_score(), -32000);
}

}  // namespace
