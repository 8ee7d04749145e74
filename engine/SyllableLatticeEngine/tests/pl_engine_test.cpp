#include "engine/SyllableLatticeEngine/pl_engine.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/lex_tree.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "engine/core/symbol_table.h"

namespace {

using vok::CPLEngine;

// frame -> (syllable name, start, score).
using Lattice = std::map<int, std::set<std::tuple<std::string, int, int>>>;

// Syllables XI1, XIA4, XIAN1, A1, AN1 keyed by their letters and by letters
// and tone, as the keyboard map of an installation keys them.
class KeyboardEngineTest : public ::testing::Test {
 protected:
  KeyboardEngineTest() : syllables_(64), keyboard_(64) {
    for (const char* name : {"XI1", "XIA4", "XIAN1", "A1", "AN1"}) {
      syllables_.Add(name);
      const std::string letters(name, std::strlen(name) - 1);
      keyboard_.Add(letters.c_str(), name, 0);
      keyboard_.Add(name, name, 0);
    }
  }
  std::unique_ptr<CPLEngine> Engine(bool short_hand) {
    auto engine = std::make_unique<CPLEngine>(&syllables_, &keyboard_, &table_);
    engine->set_short_hand(short_hand);
    return engine;
  }
  Lattice Run(CPLEngine* engine, const std::string& keys) {
    engine->StartUtterance();
    engine->ProcessString(keys.c_str());
    Lattice lattice;
    for (int id = 0; id < table_.record_count(); ++id) {
      const vok::BackTraceRecord* r = table_.GetRecord(id);
      lattice[r->frame].emplace(syllables_.GetName(r->label), r->back, r->score);
    }
    return lattice;
  }

  vok::SymbolTable syllables_;
  vok::StringMap keyboard_;
  vok::BackTraceTable table_{1000, 50, 1};
};

TEST_F(KeyboardEngineTest, LatticeGoldens) {
  struct Case {
    const char* name;
    std::string keys;
    bool short_hand;
    Lattice expected;
  };
  const Case cases[] = {
      {"complete key sequences",
       "XIAN",
       false,
       {{2, {{"XI1", 0, 0}}},
        {3, {{"XIA4", 0, 0}, {"A1", 2, -200}}},
        {4, {{"XIAN1", 0, 0}, {"AN1", 2, -200}}}}},
      {"short-hand",
       "XIAN",
       true,
       {{1, {{"XI1", 0, 0}, {"XIA4", 0, 0}, {"XIAN1", 0, 0}}},
        {2, {{"XI1", 0, 0}, {"XIA4", 0, -160}, {"XIAN1", 0, -160}}},
        {3, {{"XIA4", 0, 0}, {"A1", 2, -200}, {"XIAN1", 0, -160}, {"AN1", 2, -360}}},
        {4, {{"XIAN1", 0, 0}, {"AN1", 2, -200}}}}},
      {"a separator between two key sequences",
       "XI\tAN",
       false,
       {{2, {{"XI1", 0, 0}}}, {3, {{"XI1", 0, 0}}}, {4, {{"A1", 3, 0}}}, {5, {{"AN1", 3, 0}}}}},
      {"separators with nothing to separate are no frames",
       "\tXI\t\tAN\t",
       false,
       {{2, {{"XI1", 0, 0}}},
        {3, {{"XI1", 0, 0}}},
        {4, {{"A1", 3, 0}}},
        {5, {{"AN1", 3, 0}}},
        {6, {{"AN1", 3, 0}}}}},
      {"a separator after an incomplete sequence, short-hand",
       "X\tA",
       true,
       {{1, {{"XI1", 0, 0}, {"XIA4", 0, 0}, {"XIAN1", 0, 0}}},
        {2, {{"XI1", 0, 0}, {"XIA4", 0, 0}, {"XIAN1", 0, 0}}},
        {3, {{"A1", 2, 0}, {"AN1", 2, -160}}}}},
      {"toned keys and lower case",
       "xian1",
       false,
       {{2, {{"XI1", 0, 0}}},
        {3, {{"XIA4", 0, 0}, {"A1", 2, -200}}},
        {4, {{"XIAN1", 0, 0}, {"AN1", 2, -200}}},
        {5, {{"XIAN1", 0, 0}, {"AN1", 2, -200}}}}},
      {"a key that extends nothing stops the lattice", "XXI", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto engine = Engine(c.short_hand);
    EXPECT_EQ(Run(engine.get(), c.keys), c.expected);
  }
}

TEST_F(KeyboardEngineTest, KeyResults) {
  auto engine = Engine(false);
  engine->StartUtterance();
  EXPECT_EQ(engine->best_score(), 0);  // the first key starts a theory with score 0
  EXPECT_EQ(engine->ProcessKey('x'), CPLEngine::kKeyTaken);
  EXPECT_EQ(engine->theory_count(), 1);
  const int frames = engine->frames();
  struct Case {
    uint8_t key;
    int expected;
  };
  for (const Case& c : {Case{'Q', CPLEngine::kUnknownKey}, Case{0xB0, CPLEngine::kUnknownKey},
                        Case{' ', CPLEngine::kUnknownKey}}) {
    EXPECT_EQ(engine->ProcessKey(c.key), c.expected) << int{c.key};
    EXPECT_EQ(engine->frames(), frames);  // unknown keys change nothing
    EXPECT_EQ(engine->theory_count(), 1);
  }
  EXPECT_EQ(engine->ProcessKey('\n'), CPLEngine::kEndOfKeys);
  EXPECT_EQ(engine->ProcessKey(0), CPLEngine::kEndOfKeys);
  EXPECT_EQ(engine->ProcessKey('I'), CPLEngine::kKeyTaken);
  EXPECT_EQ(engine->complete_count(), 1);
  // The finish runs once: a second one (the system's after ProcessString)
  // adds no frame.
  engine->FinishUtterance();
  const int finished = table_.frames_completed();
  engine->FinishUtterance();
  EXPECT_EQ(table_.frames_completed(), finished);
  EXPECT_EQ(engine->ProcessKey('A'), CPLEngine::kEndOfKeys);
}

TEST_F(KeyboardEngineTest, TheSeparatorAndTheEndKeyWorkWhateverTheMapHolds) {
  vok::StringMap empty(4);
  CPLEngine engine(&syllables_, &empty, &table_);
  engine.StartUtterance();
  EXPECT_EQ(engine.ProcessKey('X'), CPLEngine::kUnknownKey);
  EXPECT_EQ(engine.ProcessKey('\t'), CPLEngine::kKeyTaken);
  EXPECT_EQ(engine.ProcessKey('\n'), CPLEngine::kEndOfKeys);
  CPLEngine without(nullptr, nullptr, &table_);
  without.StartUtterance();
  EXPECT_EQ(without.ProcessKey('X'), CPLEngine::kUnknownKey);
  EXPECT_EQ(without.ProcessKey(0), CPLEngine::kEndOfKeys);
}

TEST_F(KeyboardEngineTest, LongShortHandInputKeepsEnteringSyllables) {
  // Every key an initial: each syllable is a new one. Scores relative to
  // each step's best never run out.
  auto engine = Engine(true);
  const Lattice lattice = Run(engine.get(), std::string(1500, 'X'));
  ASSERT_EQ(lattice.size(), 1500u);
  EXPECT_EQ(lattice.at(1500).size(), 3u);
  for (const auto& [frame, entries] : lattice) {
    for (const auto& [name, start, score] : entries) {
      EXPECT_EQ(start, frame - 1);
      EXPECT_EQ(score, 0);
    }
  }
}

TEST_F(KeyboardEngineTest, KeysStopWhereTheTableEnds) {
  auto engine = Engine(true);
  engine->StartUtterance();
  for (int i = 0; i < CPLEngine::kMaxKeys; ++i) ASSERT_EQ(engine->ProcessKey('X'), CPLEngine::kKeyTaken) << i;
  EXPECT_EQ(engine->ProcessKey('X'), CPLEngine::kEndOfKeys);
  engine->FinishUtterance();
  EXPECT_EQ(table_.frames_completed(), vok::BackTraceTable::kMaxFrame);
  EXPECT_GE(table_.BestRecordInFrame(CPLEngine::kMaxKeys), 0);
}

TEST_F(KeyboardEngineTest, Header) {
  vok_test::CapturedLog log;
  vok::Resources verbose;
  vok::SetLogResources(&verbose);
  auto engine = Engine(true);
  engine->PrintHeader();
  vok::SetLogResources(nullptr);
  // Ten key sequences; the tree holds the root, X-I-A-N-1 with the branches
  // of XI1 and XIA4, and A-N-1 with the branch of A1.
  EXPECT_EQ(engine->key_symbols().GetCount(), 10);
  EXPECT_EQ(engine->key_tree().node_count(), 1 + 5 + 2 + 3 + 1);
  const std::string rule27(27, '-'), rule26(26, '-');
  char expected[512];
  std::snprintf(expected, sizeof expected,
                "\nCPLEngine header\n%s\n%-12s    %d\n%-12s    %d\n%-12s    %d\n%-12s    %d\n%s\n",
                rule27.c_str(), "# Nodes:", 12, "# Symbols:", 10, "Frame penalty", -160,
                "Memory usage:", static_cast<int>(engine->GetMemoryUsage()), rule26.c_str());
  EXPECT_EQ(log.Text(), expected);
}

}  // namespace
