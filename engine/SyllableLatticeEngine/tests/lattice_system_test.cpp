#include "engine/SyllableLatticeEngine/lattice_system.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/language_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/SyllableLatticeEngine/word_lattice_engine.h"
#include "engine/core/grammar.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/hypothesis.h"
#include "engine/core/resources.h"

namespace {

using vok::CLanguageSystem;
using vok::CLatticeSystem;
using vok::CLMBackendEngine;
using vok::Resources;

constexpr int kClasses = 7;

// Classes: 3 "XY", 4 "Z", 5 "X", 6 "YZ"; every other bigram costs 60.
std::vector<uint8_t> Model(uint8_t xy_then_z, uint8_t x_then_yz) {
  std::vector<uint8_t> bytes(kClasses * kClasses, 60);
  bytes[3 * kClasses + 4] = xy_then_z;
  bytes[5 * kClasses + 6] = x_then_yz;
  return bytes;
}

class LatticeSystemTest : public ::testing::Test {
 protected:
  void Load(const std::vector<uint8_t>& model) {
    back_end_.reset();
    language_ = std::make_unique<vok_test::SmallLanguage>();
    ASSERT_TRUE(
        language_->Load(kClasses, model,
                        vok_test::WithSentenceWords(
                            {{"XY", 3, 20}, {"Z", 4, 20}, {"X", 5, 20}, {"YZ", 6, 20}, {"W", 4, 20}})));
    options_.PutInt("System", "NBestChoices", 10);
    options_.PutInt("Search", "StackSearchBeam", 2000);
    options_.PutInt("LMBackend", "WordInsertionPenalty", -50);
    options_.Put("LMBackend", "LexiconFile", language_->lexicon_path.c_str());
    options_.Put("LMBackend", "CoreLMFile", language_->model_path.c_str());
    back_end_ = std::make_unique<CLMBackendEngine>(options_);
    ASSERT_NE(back_end_->lexicon(), nullptr);
  }
  std::vector<std::string> BestWords(const CLatticeSystem& system) const {
    uint16_t ids[16];
    std::vector<std::string> words;
    if (system.GetBestWordIDs(ids, 16, nullptr) != 0) return words;
    for (int i = 1; i <= ids[0]; ++i) words.emplace_back(back_end_->lexicon()->WordIDToString(ids[i]));
    return words;
  }

  vok_test::CapturedMessages messages_;
  std::unique_ptr<vok_test::SmallLanguage> language_;
  Resources options_;
  std::unique_ptr<CLMBackendEngine> back_end_;
};

TEST_F(LatticeSystemTest, TheBigramChoosesBetweenReadings) {
  struct Case {
    uint8_t xy_then_z;
    uint8_t x_then_yz;
    std::vector<std::string> expected;
  };
  const Case cases[] = {{0, 200, {"XY", "Z"}}, {200, 0, {"X", "YZ"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected[0]);
    Load(Model(c.xy_then_z, c.x_then_yz));
    CLatticeSystem system(options_, back_end_.get());
    EXPECT_EQ(system.DecodeText("XYZ", false), 0);
    EXPECT_EQ(BestWords(system), c.expected);
    EXPECT_EQ(system.nbest()->count(), 2);  // both readings are listed
    EXPECT_EQ(system.timing().utterances(), 1);
  }
}

TEST_F(LatticeSystemTest, TextsTheLexiconCannotCoverOrTheEngineCannotHold) {
  Load(Model(0, 200));
  CLatticeSystem system(options_, back_end_.get());
  EXPECT_EQ(system.DecodeText("XQZ", false), 0);  // the engine took it
  EXPECT_EQ(system.nbest()->count(), 0);          // no reading covers "Q"
  EXPECT_TRUE(BestWords(system).empty());
  EXPECT_EQ(system.DecodeText(std::string(513, 'W').c_str(), false), -1);
  EXPECT_EQ(system.timing().utterances(), 2);
}

TEST_F(LatticeSystemTest, LoadingGivesTheModelsTheNewWordPenalty) {
  Load(Model(0, 200));
  struct Case {
    int penalty;  // -1: not set
    int expected;
  };
  for (const Case& c : {Case{-1, 240}, Case{100, 100}, Case{400, 100}}) {
    SCOPED_TRACE(c.penalty);
    if (c.penalty >= 0) options_.PutInt("Search", "NewWordPenalty", c.penalty);
    CLatticeSystem system(options_, back_end_.get());
    // Each model keeps the smaller of its byte and the penalty.
    for (int id = 65500; id <= 65506; ++id) EXPECT_EQ(back_end_->core()->entry(id).unigram, c.expected);
    options_.Delete("Search", "NewWordPenalty");
  }
}

TEST_F(LatticeSystemTest, OptionsAndHeader) {
  Load(Model(0, 200));
  vok_test::CapturedLog log;
  Resources verbose;
  vok::SetLogResources(&verbose);
  options_.PutInt("Search", "MinNewWordTransProb", -500);
  CLatticeSystem system(options_, back_end_.get());
  vok::SetLogResources(nullptr);
  EXPECT_EQ(system.n_best_choices(), 10);
  EXPECT_EQ(system.stack_search_beam(), 2000);
  const auto* engine = dynamic_cast<const vok::WordLatticeEngine*>(system.engine());
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->min_new_word_trans_prob(), -500);
  EXPECT_EQ(engine->lexicon(), back_end_->lexicon());
  EXPECT_EQ(system.table()->hypothesis_mode(), 1);
  EXPECT_NE(log.Text().find("\nLattice engine header\n"), std::string::npos);
  EXPECT_EQ(system.LexiconWords(), back_end_->lexicon()->words());
  system.SetLexicon(nullptr);
  EXPECT_EQ(engine->lexicon(), nullptr);
  EXPECT_EQ(system.LexiconWords(), nullptr);
}

TEST_F(LatticeSystemTest, TheLanguageSystemDecodesWithItsOwnBeamOnTheSharedBackEnd) {
  Load(Model(0, 200));
  {
    CLanguageSystem language(options_, back_end_.get(), 300);
    EXPECT_EQ(language.stack_search_beam(), 300);
    EXPECT_EQ(language.DecodeText("XYZ", false), 0);
    EXPECT_EQ(BestWords(language), (std::vector<std::string>{"XY", "Z"}));
  }
  // Deleting it leaves the back end and its models to their owner.
  CLatticeSystem system(options_, back_end_.get());
  EXPECT_EQ(system.stack_search_beam(), 2000);
  EXPECT_EQ(system.DecodeText("XYZW", false), 0);
  EXPECT_EQ(BestWords(system), (std::vector<std::string>{"XY", "Z", "W"}));
}

TEST_F(LatticeSystemTest, GrammarWordsAreSegmentedByDecoding) {
  Load(Model(200, 0));
  CLatticeSystem system(options_, back_end_.get());
  uint16_t ids[4] = {};
  EXPECT_EQ(system.DecodeWordIds("XYZ", ids, 4), 2);
  EXPECT_EQ(ids[0], back_end_->lexicon()->StringToWordID("X"));
  EXPECT_EQ(ids[1], back_end_->lexicon()->StringToWordID("YZ"));
  EXPECT_EQ(system.DecodeWordIds("XYZ", ids, 1), 0);  // does not fit
  EXPECT_EQ(system.DecodeWordIds("XQ", ids, 4), 0);
  EXPECT_EQ(system.DecodeWordIds("", ids, 4), 0);

  const std::string path = vok_test::LatticeTempPath("grammar.txt");
  std::ofstream(path) << "%BEGIN <TOP>\nW XYZ\nXQ\n%END\n";
  vok::CGrammar grammar(path.c_str(), 600, &system);
  std::remove(path.c_str());
  const vok::GrammarUnit* network = grammar.GetNetwork();
  ASSERT_NE(network, nullptr);
  std::multiset<std::string> labels;
  for (int i = 0; i < network->TransitionCount(); ++i) {
    const int32_t label = network->Transition(i)->label;
    if (label >= 0 && label < 65500) labels.insert(back_end_->lexicon()->WordIDToString(label));
  }
  EXPECT_EQ(labels, (std::multiset<std::string>{"W", "X", "YZ"}));
  EXPECT_NE(messages_.Output().find("Unable to segment XQ\n"), std::string::npos);
}

}  // namespace
