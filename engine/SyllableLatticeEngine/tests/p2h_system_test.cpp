#include "engine/SyllableLatticeEngine/p2h_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/keyboard_constants.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "engine/core/syllable_table.h"

namespace {

using vok::P2HSystem;
using vok::Resources;

// GB2312 words with their pronunciations, in word-id order.
struct Word {
  const char* text;
  const char* pron;
  int word_class;
};
const std::string kZhong = "\xD6\xD0", kGuo = "\xB9\xFA", kRen = "\xC8\xCB", kZhe = "\xD5\xE2",
                  kShiIs = "\xCA\xC7", kShiMatter = "\xCA\xC2", kGu = "\xB9\xCA";
const std::vector<Word> kWords = {
    {"\xD6\xD0", "ZHONG1", 7},
    {"\xB9\xFA", "GUO2", 7},
    {"\xC8\xCB", "REN2", 7},
    {"\xD6\xD0\xB9\xFA", "ZHONG1-GUO2", 7},
    {"\xD6\xD0\xB9\xFA\xC8\xCB", "ZHONG1-GUO2-REN2", 7},
    {"\xD5\xE2", "ZHE4", 3},
    {"\xCA\xC7", "SHI4", 4},
    {"\xB9\xCA", "GU4", 5},
    {"\xCA\xC2", "SHI4", 6},
    {"\xD6\xD8", "ZHONG4/CHONG2", 7},
};
const char* const kSyllables[] = {"ZHONG1", "GUO2", "REN2", "ZHE4", "SHI4", "GU4", "ZHONG4", "CHONG2"};
constexpr int kClasses = 8;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The keyboard map as an installation keys it: each syllable by its letters
// and by its letters and tone.
std::string KeyboardText() {
  std::string text;
  for (const char* s : kSyllables)
    text += std::string(s) + " " + std::string(s, std::strlen(s) - 1) + " " + s + "\n";
  return text;
}

class KeyboardSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Classes 3 "this", 4 "is", 5 "old", 6 "matter": "is" follows "this",
    // "matter" follows "old"; everything else costs 60.
    std::vector<uint8_t> bytes(kClasses * kClasses, 60);
    bytes[3 * kClasses + 4] = 0;
    bytes[3 * kClasses + 6] = 200;
    bytes[5 * kClasses + 6] = 0;
    bytes[5 * kClasses + 4] = 200;
    std::vector<vok_testing::FixtureWord> words;
    for (const Word& w : kWords) words.push_back({w.text, w.word_class, 20});
    for (const auto& token : vok_test::WithSentenceWords({})) words.push_back(token);
    ASSERT_TRUE(language_.Load(kClasses, bytes, words));

    syllable_path_ = Path("Syllable");
    vok::SymbolTable names(16);
    for (const char* s : kSyllables) names.Add(s);
    ASSERT_EQ(vok::CSyllableTable(names).WriteBinary(syllable_path_.c_str()), 0);
    pron_path_ = Path("Pron.txt");
    std::string pron = "Pronunciations " + std::to_string(kWords.size()) + "\n# word ids\n";
    for (const Word& w : kWords) pron += std::string(w.pron) + " " + w.text + "\n";
    WriteText(pron_path_, pron);
    keyboard_path_ = Path("Keyboard.txt");
    WriteText(keyboard_path_, KeyboardText());
    binary_pron_path_ = Path("PronBackward");
    binary_keyboard_path_ = Path("Keyboard");

    options_.PutInt("System", "NBestChoices", 10);
    options_.PutInt("Search", "StackSearchBeam", 2000);
    options_.PutInt("LMBackend", "WordInsertionPenalty", -100);
    options_.Put("LMBackend", "LexiconFile", language_.lexicon_path.c_str());
    options_.Put("LMBackend", "CoreLMFile", language_.model_path.c_str());
    options_.Put("P2HSystem", "SyllableFile", syllable_path_.c_str());
    options_.Put("P2HSystem", "PronunciationFile", pron_path_.c_str());
    options_.Put("P2HSystem", "BinaryPronunciationFile", binary_pron_path_.c_str());
    options_.Put("Keyboard", "FrontendFile", keyboard_path_.c_str());
    options_.Put("Keyboard", "BinaryFrontendFile", binary_keyboard_path_.c_str());
    back_end_ = std::make_unique<vok::CLMBackendEngine>(options_);
    ASSERT_NE(back_end_->lexicon(), nullptr);
  }
  void TearDown() override {
    for (const std::string& p : {syllable_path_, pron_path_, keyboard_path_, binary_pron_path_,
                                 binary_keyboard_path_, syllable_path_ + "_Binary"})
      std::remove(p.c_str());
  }
  static std::string Path(const char* name) { return vok_test::LatticeTempPath(name); }

  // The keys of a request, as the keyboard controller feeds them.
  std::vector<std::string> Convert(P2HSystem* system, const std::string& keys) {
    system->StartUtterance();
    for (char k : keys) {
      if (system->ProcessKey(static_cast<uint8_t>(k)) < 0) break;
    }
    system->FinishUtterance();
    std::vector<std::string> sentences;
    if (system->RunBackEnd(false, false) != 0) return sentences;
    for (int n = 0; n < system->nbest()->count(); ++n) {
      char text[256];
      system->GetResultText(n, text, sizeof text, "");
      sentences.emplace_back(text);
    }
    return sentences;
  }

  vok_test::CapturedMessages messages_;
  vok_test::SmallLanguage language_;
  Resources options_;
  std::unique_ptr<vok::CLMBackendEngine> back_end_;
  std::string syllable_path_, pron_path_, keyboard_path_, binary_pron_path_, binary_keyboard_path_;
};

TEST_F(KeyboardSystemTest, KeysToCharacters) {
  P2HSystem system(options_, back_end_.get());
  struct Case {
    const char* keys;
    std::string best;
  };
  const Case cases[] = {
      {"ZHONGGUO", kZhong + kGuo},   {"zhongguoren", kZhong + kGuo + kRen},
      {"ZG", kZhong + kGuo},                                     // short-hand
      {"ZHONG\tGUO", kZhong + kGuo}, {"ZHESHI", kZhe + kShiIs},  // the homophone that follows "this"
      {"GUSHI", kGu + kShiMatter},                               // the homophone that follows "old"
      {"ZHONG1GUO2", kZhong + kGuo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    const std::vector<std::string> sentences = Convert(&system, c.keys);
    ASSERT_FALSE(sentences.empty());
    EXPECT_EQ(sentences[0], c.best);
  }
  // The word for China comes first; its characters one by one follow.
  const std::vector<std::string> china = Convert(&system, "ZHONGGUO");
  ASSERT_GE(china.size(), 2u);
  EXPECT_EQ(system.nbest()->Get(0).count, 1);
}

TEST_F(KeyboardSystemTest, AFullBufferOfInitialsConverts) {
  P2HSystem system(options_, back_end_.get());
  std::string keys;
  for (int i = 0; i < 170; ++i) keys += "ZGR";
  keys += "Z";
  ASSERT_EQ(keys.size(), 511u);
  ASSERT_FALSE(Convert(&system, keys).empty());
  const vok::Hypothesis& best = system.nbest()->Get(0);
  ASSERT_EQ(best.count, 171);
  const uint16_t china_people = back_end_->lexicon()->StringToWordID((kZhong + kGuo + kRen).c_str());
  for (int i = 0; i < 170; ++i) ASSERT_EQ(best.ids[i], china_people) << i;
}

TEST_F(KeyboardSystemTest, LoadingWritesTheBinaryFormsAndReadsThemNextTime) {
  vok_test::CapturedLog log;
  Resources verbose;
  vok::SetLogResources(&verbose);
  {
    P2HSystem system(options_, back_end_.get());
    EXPECT_EQ(Convert(&system, "ZHONGGUO")[0], kZhong + kGuo);
  }
  const std::string first = log.Text();
  for (const char* step : {"\nReading syllable table ...", "\nReading pronunciation file ...Done.\n",
                           "\nReading from ", "\nInstantiating engine ... Done.\n", "\nCPLEngine header\n"}) {
    EXPECT_NE(first.find(step), std::string::npos) << step;
  }
  EXPECT_NE(first.find("\nSaving to " + binary_pron_path_ + " ... Done.\n"), std::string::npos);
  EXPECT_NE(first.find("\nSaving to " + binary_keyboard_path_ + " ... Done.\n"), std::string::npos);
  log.Clear();
  std::remove(pron_path_.c_str());
  std::remove(keyboard_path_.c_str());
  P2HSystem system(options_, back_end_.get());
  vok::SetLogResources(nullptr);
  EXPECT_NE(log.Text().find("\nLoading from " + binary_pron_path_ + " ...Done.\n"), std::string::npos);
  EXPECT_NE(log.Text().find("\nLoading from " + binary_keyboard_path_ + " ...Done.\n"), std::string::npos);
  ASSERT_NE(system.pronunciations(), nullptr);
  EXPECT_TRUE(system.pronunciations()->backward());
  EXPECT_EQ(system.syllable_table()->syllable_count(), 8);
  EXPECT_EQ(Convert(&system, "ZHONGGUO")[0], kZhong + kGuo);
}

TEST_F(KeyboardSystemTest, AForwardTreeIsRefused) {
  // The speech system's binary tree is a forward one.
  vok::CLexTree forward(pron_path_.c_str(), *vok::CSyllableTable(syllable_path_.c_str()).syllables(), "-",
                        false);
  ASSERT_EQ(forward.WriteBinary(binary_pron_path_.c_str()), 0);
  const std::string stored = ReadBytes(binary_pron_path_);
  P2HSystem system(options_, back_end_.get());
  EXPECT_NE(messages_.Errors().find("forward tree"), std::string::npos);
  ASSERT_NE(system.pronunciations(), nullptr);
  EXPECT_TRUE(system.pronunciations()->backward());  // read from the text
  EXPECT_EQ(ReadBytes(binary_pron_path_), stored);   // and the other system's file kept
  EXPECT_EQ(Convert(&system, "ZHONGGUO")[0], kZhong + kGuo);

  auto given =
      std::make_unique<vok::CLexTree>(pron_path_.c_str(), *system.syllable_table()->syllables(), "-", false);
  P2HSystem refusing(options_, back_end_.get(), std::move(given));
  ASSERT_NE(refusing.pronunciations(), nullptr);
  EXPECT_TRUE(refusing.pronunciations()->backward());
}

TEST_F(KeyboardSystemTest, GivenPronunciationsAreUsed) {
  auto tree = std::make_unique<vok::CLexTree>(static_cast<int>(kWords.size()), "-", true);
  for (const char* s : kSyllables) tree->AddSyllable(s);
  for (const Word& w : kWords) tree->AddProns(w.pron, false);
  const vok::CLexTree* given = tree.get();
  options_.Delete("P2HSystem", "PronunciationFile");
  P2HSystem system(options_, back_end_.get(), std::move(tree));
  EXPECT_EQ(system.pronunciations(), given);
  EXPECT_EQ(system.syllable_table()->syllable_count(), 8);
  EXPECT_EQ(Convert(&system, "ZHESHI")[0], kZhe + kShiIs);
}

TEST_F(KeyboardSystemTest, MissingFilesLeaveEveryKeyUnknown) {
  Resources bare;
  bare.PutInt("System", "NBestChoices", 10);
  bare.PutInt("Search", "StackSearchBeam", 300);
  P2HSystem system(bare, back_end_.get());
  system.StartUtterance();
  EXPECT_EQ(system.ProcessKey('Z'), vok::CPLEngine::kUnknownKey);
  EXPECT_EQ(system.input_count(), 1);
  EXPECT_EQ(system.ProcessKey('\n'), vok::CPLEngine::kEndOfKeys);
  EXPECT_EQ(system.pronunciations(), nullptr);
  EXPECT_EQ(system.process_input(), 0);
  bare.PutInt("P2HSystem", "ProcessInput", 7);
  bare.PutInt("P2HSystem", "DoShortHand", 0);
  P2HSystem configured(bare, back_end_.get());
  EXPECT_EQ(configured.process_input(), 7);
  EXPECT_FALSE(configured.keyboard_engine()->short_hand());
}

TEST_F(KeyboardSystemTest, KeyboardConstants) {
  P2HSystem system(options_, back_end_.get());
  struct Case {
    const char* keys;
    int beam;
    int choices;
  };
  const Case cases[] = {
      {"zhong1", 500, 120}, {"ZHONG1\t", 500, 120}, {"z", 500, 120},
      {"ZHONG", 400, 30},   {"zhongguo", 400, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    vok::ApplyKeyboardConstants(&system, c.keys);
    EXPECT_EQ(system.stack_search_beam(), c.beam);
    EXPECT_EQ(system.n_best_choices(), c.choices);
  }
  EXPECT_FLOAT_EQ(back_end_->core()->word_prob_weight(), 0.5f);
  EXPECT_FLOAT_EQ(back_end_->core()->class_bigram_weight(), 1.0f);
  EXPECT_EQ(back_end_->decoder()->word_insertion_penalty(), -100);
}

}  // namespace
