#include "engine/SyllableLatticeEngine/word_lattice_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/SyllableLatticeEngine/grammar_span_finder.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"

namespace {

using vok::BackTraceRecord;
using vok::BackTraceTable;
using vok::WordLatticeEngine;
using Entry = std::tuple<int, int, int, int>;  // frame, word, score, start

std::vector<Entry> Entries(const BackTraceTable& table) {
  std::vector<Entry> entries;
  for (int id = 0; id < table.record_count(); ++id) {
    const BackTraceRecord* r = table.GetRecord(id);
    entries.emplace_back(r->frame, r->label, r->score, r->back);
  }
  return entries;
}

std::vector<uint8_t> FlatModel(int classes) { return std::vector<uint8_t>(classes * classes, 20); }

class WordLatticeEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        language_.Load(5, FlatModel(5),
                       vok_test::WithSentenceWords(
                           {{"BC", 3, 10}, {"A", 3, 10}, {"XY", 4, 10}, {"Z", 4, 10}, {"Q", 4, 10}})));
  }
  uint16_t Id(const char* word) const { return language_.lexicon->StringToWordID(word); }

  vok_test::SmallLanguage language_;
  BackTraceTable table_{1000, 10, 1};
};

TEST_F(WordLatticeEngineTest, EntersWordsWhereTheyEnd) {
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  engine.ProcessText("XBC");
  // "BC" ends at frame 3 and starts at 1; nothing ends at frames 1 and 2.
  EXPECT_EQ(Entries(table_), (std::vector<Entry>{{3, Id("BC"), 10, 1}}));
  EXPECT_EQ(engine.frames(), 4);  // three characters and the finishing frame
  EXPECT_EQ(engine.last_lattice_size(), 1);
  EXPECT_EQ(table_.final_record(), 0);  // frame 3 is the last of the 4 frames
}

TEST_F(WordLatticeEngineTest, FinalRecordIsTheBestOfTheLastFrame) {
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  engine.ProcessText("ABC");
  ASSERT_GE(table_.final_record(), 0);
  EXPECT_EQ(table_.GetRecord(table_.final_record())->label, Id("BC"));
  EXPECT_EQ(table_.final_score(), 10);
}

TEST_F(WordLatticeEngineTest, LooksBackTwentyCharacters) {
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  // "A" 21 characters before the end of "A" + 19 x "." + "Z" is 20 back: only
  // single-character words are found.
  engine.ProcessText("A...................Z");
  EXPECT_EQ(Entries(table_), (std::vector<Entry>{{1, Id("A"), 10, 0}, {21, Id("Z"), 10, 20}}));
}

TEST_F(WordLatticeEngineTest, RefusesThe513thCharacter) {
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  engine.StartUtterance();
  for (int i = 0; i < WordLatticeEngine::kMaxCharacters; ++i) ASSERT_EQ(engine.ProcessChar('.'), 0);
  EXPECT_EQ(engine.ProcessChar('A'), -1);
  EXPECT_EQ(engine.text_length(), 512);
  EXPECT_EQ(std::string(engine.text()), std::string(512, '.'));
  EXPECT_EQ(engine.frames(), 512);
  EXPECT_EQ(engine.ProcessText(std::string(513, 'A').c_str()), -1);
}

TEST_F(WordLatticeEngineTest, ClassWords) {
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  struct Case {
    const char* text;
    std::vector<int> words;
  };
  const std::vector<Case> cases = {
      {"<UNK>", {Id("<UNK>")}},    {"<PERSON>", {65501}}, {"<PLACE>", {65502}},
      {"<ORGANIZATION>", {65503}}, {"<IDIOM>", {65504}},  {"<DATE>", {65505}},
      {"<TIME>", {65506}},         {"BC", {Id("BC")}},    {"unheard", {65500, 65501, 65502, 65503}},
  };
  for (const Case& c : cases) {
    table_.Reset(0);
    table_.EndFrame();
    EXPECT_EQ(engine.AddClassWord(c.text, 0, -7), static_cast<int>(c.words.size())) << c.text;
    std::vector<Entry> expected;
    for (int w : c.words) expected.emplace_back(1, w, -7, 0);
    EXPECT_EQ(Entries(table_), expected) << c.text;
  }
}

// A grammar of two-part names: a surname entry followed by a given-name entry,
// walked over the table's entries as the grammar network does.
class NameGrammar : public vok::NewWordSpanFinder {
 public:
  NameGrammar(std::set<int> surnames, std::set<int> given) : surnames_(surnames), given_(given) {}
  int FindSpans(int end_frame, BackTraceTable* table, std::vector<vok::NewWordSpan>* spans) override {
    std::vector<int> best(end_frame + 1, vok::kEmptyScore);
    for (const vok::SortedRecord& second : table->FrameList(end_frame)) {
      if (!given_.count(second.label) || second.back >= end_frame) continue;
      for (const vok::SortedRecord& first : table->FrameList(second.back)) {
        if (!surnames_.count(first.label) || first.back >= second.back) continue;
        best[first.back] = std::max(best[first.back], first.score + second.score);
      }
    }
    int hits = 0;
    for (int f = 0; f <= end_frame; ++f) {
      if (best[f] == vok::kEmptyScore) continue;
      spans->push_back({f, static_cast<int16_t>(best[f])});
      ++hits;
    }
    calls_.push_back(end_frame);
    return hits;
  }
  std::vector<int> calls_;

 private:
  std::set<int> surnames_, given_;
};

TEST_F(WordLatticeEngineTest, NewWordsEnterAsClassWords) {
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  NameGrammar names({Id("A")}, {Id("Z"), Id("BC")});
  engine.set_new_word_finders({&names});
  engine.ProcessString("AZ.ABC");
  // Spans "AZ" (frames 0-2) and "ABC" (3-6) are new words of four classes
  // each, scored with the larger of the floor and the span's walked score (0).
  std::vector<Entry> expected = {{1, Id("A"), 10, 0}, {2, Id("Z"), 10, 1}};
  for (int w = 65500; w <= 65503; ++w) expected.emplace_back(2, w, 0, 0);
  expected.emplace_back(4, Id("A"), 10, 3);
  expected.emplace_back(6, Id("BC"), 10, 4);
  for (int w = 65500; w <= 65503; ++w) expected.emplace_back(6, w, 0, 3);
  EXPECT_EQ(Entries(table_), expected);
  // The search runs only after frames with an entry.
  EXPECT_EQ(names.calls_, (std::vector<int>{1, 2, 4, 6}));
}

TEST_F(WordLatticeEngineTest, NewWordFloorAndLexiconSpans) {
  vok::Resources resources;
  resources.PutInt("Search", "MinNewWordTransProb", 5);
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  EXPECT_EQ(engine.min_new_word_trans_prob(), -27768);
  engine.ReadOptions(resources);
  EXPECT_EQ(engine.min_new_word_trans_prob(), 5);
  // The span's score 0 is below the floor 5.
  NameGrammar names({Id("A")}, {Id("Z")});
  engine.set_new_word_finders({&names});
  engine.ProcessString("AZ");
  std::vector<Entry> expected = {{1, Id("A"), 10, 0}, {2, Id("Z"), 10, 1}};
  for (int w = 65500; w <= 65503; ++w) expected.emplace_back(2, w, 5, 0);
  EXPECT_EQ(Entries(table_), expected);
}

TEST_F(WordLatticeEngineTest, SecondDictionaryNeedsANewWordTable) {
  vok::StringMap dictionary(100);
  dictionary.Add("AZ", "77", 1);
  dictionary.Add("AZ", "not-an-id", 1);
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  engine.set_second_dictionary(&dictionary);
  engine.ProcessString("AZ");
  EXPECT_EQ(Entries(table_), (std::vector<Entry>{{1, Id("A"), 10, 0}, {2, Id("Z"), 10, 1}}));
  NameGrammar none({}, {});
  engine.set_new_word_finders({&none});
  engine.ProcessString("AZ");
  EXPECT_EQ(Entries(table_), (std::vector<Entry>{{1, Id("A"), 10, 0}, {2, 77, 0, 0}, {2, Id("Z"), 10, 1}}));
}

TEST_F(WordLatticeEngineTest, ReportsAndHeader) {
  vok_test::CapturedLog log;
  vok::Resources verbose;
  verbose.PutInt("System", "Verbosity", 1);
  vok::SetLogResources(&verbose);
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  engine.PrintReport();
  EXPECT_EQ(log.Text(), "\nLattice engine report\n" + std::string(56, '-') + "\n");
  engine.ProcessText("ABC");
  log.Clear();
  engine.PrintSummary();
  EXPECT_NE(log.Text().find("Lattice engine summary:\n"), std::string::npos);
  EXPECT_NE(log.Text().find("Lattice size = 2 (0.5 per frame)\n"), std::string::npos);
  log.Clear();
  engine.PrintReport();
  EXPECT_NE(log.Text().find("Average lattice size = 2 (0.5 per frame)\n"), std::string::npos);
  vok::SetLogResources(nullptr);

  EXPECT_EQ(engine.GetMemoryUsage(), 616);
  std::FILE* header = std::tmpfile();
  engine.PrintHeaderTo(header);
  const std::string rule(49, '-');
  EXPECT_EQ(
      vok_test::CapturedLog::ReadAll(header),
      "\nLattice engine header\n" + rule + "\nMemory usage:                        616\n" + rule + "\n");
  std::fclose(header);
}

}  // namespace

namespace {

// A grammar of names: surname "A" then the given name "Z" or "BC".
TEST_F(WordLatticeEngineTest, GrammarNetworkProposesNewWords) {
  const std::string path = vok_test::LatticeTempPath("names.txt");
  std::ofstream(path) << "%BEGIN <NAME>\nA ( Z | BC )\n%END\n";
  vok::LexiconOwner owner(language_.lexicon->words());
  vok::CGrammar grammar(path.c_str(), 600, &owner);
  std::remove(path.c_str());
  ASSERT_TRUE(grammar.ok());
  const vok::GrammarUnit* network = grammar.GetNetwork();
  ASSERT_NE(network, nullptr);
  vok::GrammarSpanFinder names(network);
  WordLatticeEngine engine(&table_, language_.lexicon.get());
  engine.set_new_word_finders({&names});
  engine.ProcessString("AZ.ABC.AQ");
  std::vector<Entry> expected = {{1, Id("A"), 10, 0}, {2, Id("Z"), 10, 1}};
  for (int w = 65500; w <= 65503; ++w) expected.emplace_back(2, w, 0, 0);
  expected.emplace_back(4, Id("A"), 10, 3);
  expected.emplace_back(6, Id("BC"), 10, 4);
  for (int w = 65500; w <= 65503; ++w) expected.emplace_back(6, w, 0, 3);
  expected.emplace_back(8, Id("A"), 10, 7);
  expected.emplace_back(9, Id("Q"), 10, 8);
  EXPECT_EQ(Entries(table_), expected);
}

}  // namespace
