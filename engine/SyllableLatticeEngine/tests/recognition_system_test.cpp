#include "engine/SyllableLatticeEngine/recognition_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/tests/tree_search_test_support.h"
#include "engine/SyllableLatticeEngine/language_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"

namespace {

using P = vok::SearchParameters;
using vok::CRecognitionSystem;

// Words of the small language: 3 "ab" (A1-B1), 4 "c" (C1), 5 "ca" (C1-A1),
// 6 "b" (B1).
enum Word { kAb = 3, kCWord = 4, kCa = 5, kBWord = 6 };

class RecognitionSystemTest : public vok_test::TreeSearchTest {
 protected:
  void SetUp() override {
    TreeSearchTest::SetUp();
    ASSERT_TRUE(language_.Load(
        5, std::vector<uint8_t>(25, 10),
        vok_test::WithSentenceWords({{"ab", 3, 20}, {"c", 4, 20}, {"ca", 4, 5}, {"b", 3, 5}})));
    pron_path_ = vok_test::NetTempPath("Pron.txt");
    vok_test::WriteText(pron_path_,
                        "Pronunciations 7\n#\nX1 <S>\nX1 </S>\nY1 <UNK>\nA1-B1 ab\nC1 c\nC1-A1 ca\nB1 b\n");
    resources_.PutInt("System", "NBestChoices", 20);
    resources_.PutInt("Search", "StackSearchBeam", 30000);
    resources_.PutInt("LMBackend", "WordInsertionPenalty", -50);
    resources_.PutInt("Search", "GenWordLattice", 1);
    resources_.Put("CRecognitionSystem", "PronunciationFile", pron_path_.c_str());
    vok_testing::PutSearchKeys(&resources_, 13.0f);
    back_end_ = std::make_unique<vok::CLMBackendEngine>(resources_, language_.lexicon.get(),
                                                        language_.core.get(), nullptr);
  }
  void TearDown() override {
    std::remove(pron_path_.c_str());
    TreeSearchTest::TearDown();
  }

  std::unique_ptr<CRecognitionSystem> System() {
    return std::make_unique<CRecognitionSystem>(resources_, back_end_.get(), Models(), nullptr);
  }

  // SIL, then each model of the list for six frames, then SIL.
  vok_test::ScoreScript Spoken(const std::vector<const char*>& models) {
    const int frames = 6 * static_cast<int>(models.size()) + 20;
    vok_test::ScoreScript script(frames, 6, -40.0f);
    script.Set(0, 5, Model("SIL"), -1.0f);
    int t = 6;
    for (const char* m : models) {
      script.Set(t, t + 5, Model(m), -1.0f);
      t += 6;
    }
    script.Set(t, frames - 1, Model("SIL"), -1.0f);
    return script;
  }

  // The script's frames in front-end input 0, decoded and sent through the
  // back end: the best sentence.
  std::vector<uint16_t> Dictate(CRecognitionSystem* system, const vok_test::ScoreScript& script) {
    script.WriteInto(&acoustics_->database());
    Feed(script.frames());
    if (system->RunPendingFrames() != 0 || system->RunBackEnd(false, false) != 0) return {};
    const vok::Hypothesis& best = system->nbest()->Get(0);
    return std::vector<uint16_t>(best.ids, best.ids + best.count);
  }

  vok_test::SmallLanguage language_;
  std::string pron_path_;
  std::unique_ptr<vok::CLMBackendEngine> back_end_;
};

TEST_F(RecognitionSystemTest, SpokenWordsComeBackAsTheBestSentence) {
  auto system = System();
  ASSERT_NE(system->tree_engine(), nullptr);
  EXPECT_EQ(system->tree_engine()->tree_words(), 5);  // <UNK>, ab, c, ca, b
  system->mutable_search_parameters() = DefaultBeams();
  EXPECT_EQ(Dictate(system.get(), Spoken({"a", "b", "c"})), (std::vector<uint16_t>{kAb, kCWord}));
  EXPECT_EQ(Dictate(system.get(), Spoken({"b", "c", "a"})), (std::vector<uint16_t>{kBWord, kCa}));
  EXPECT_EQ(system->timing().utterances(), 0);  // RunBackEnd alone counts no utterance
}

TEST_F(RecognitionSystemTest, TheEngineFollowsGenWordLattice) {
  resources_.PutInt("Search", "GenWordLattice", 0);
  auto syllables = System();
  EXPECT_EQ(syllables->tree_engine()->tree_words(), vok_test::kSyllables);
  const int nodes = syllables->tree_engine()->GetCount();
  // A word added from text goes only into a word tree.
  EXPECT_EQ(syllables->AddWord("A1-C1", 40), 0);
  EXPECT_EQ(syllables->tree_engine()->GetCount(), nodes);

  resources_.PutInt("Search", "GenWordLattice", 1);
  auto words = System();
  EXPECT_EQ(words->AddWord("A1-C1", 40), 0);
  EXPECT_EQ(words->tree_engine()->highest_word(), 40);
  EXPECT_EQ(words->AddWord("Q5", 41), -1);
  EXPECT_EQ(words->RemoveWord(40), 0);
  EXPECT_EQ(words->RemoveWord(40), -1);
  ASSERT_NE(words->language_system(), nullptr);
  EXPECT_EQ(words->language_system()->stack_search_beam(), CRecognitionSystem::kSecondaryStackBeam);
}

TEST_F(RecognitionSystemTest, BeamLevels) {
  auto system = System();
  struct Case {
    int16_t phone_beam;
    int level;
  };
  for (const Case c : {Case{395, 9}, Case{250, 0}, Case{500, 10}, Case{300, 0}, Case{309, 0}, Case{310, 1}}) {
    system->mutable_search_parameters()[P::kPhoneBeam] = c.phone_beam;
    EXPECT_EQ(system->GetBeamLevel(), c.level) << c.phone_beam;
  }
  struct Set {
    int level;
    int16_t beam;
  };
  for (const Set s : {Set{7, 370}, Set{0, 300}, Set{12, 400}, Set{-3, 300}}) {
    system->SetBeamLevel(s.level);
    const P& p = system->search_parameters();
    EXPECT_EQ(p[P::kPhoneBeam], s.beam) << s.level;
    EXPECT_EQ(p[P::kPhoneTransBeam], s.beam) << s.level;
    EXPECT_EQ(p[P::kSyllableTransBeam], s.beam) << s.level;
  }
}

// A list of sentences given as word lists with their scores.
void FillList(vok::NBestList* list, const std::vector<std::pair<std::vector<uint16_t>, int>>& sentences) {
  list->Reset(0, 1);
  for (const auto& [words, score] : sentences)
    list->Append(score, words.data(), static_cast<int>(words.size()));
}

TEST_F(RecognitionSystemTest, PreferSingleWord) {
  auto system = System();
  using Sentences = std::vector<std::pair<std::vector<uint16_t>, int>>;
  struct Case {
    Sentences in;
    int result;
    std::vector<uint16_t> first;
    int first_score;
  };
  const Case cases[] = {
      {{{{10, 11}, -10}, {{12}, -12}, {{13, 14}, -13}}, 1, {12}, -9},
      {{{{10, 11}, -10}, {{13, 14}, -13}}, 0, {10, 11}, -10},
      {{{{12}, -10}, {{10, 11}, -12}, {{13}, -13}}, 0, {12}, -10},
      {{{{10, 11}, -10}}, 0, {10, 11}, -10},
      {{}, -1, {}, 0},
  };
  for (const Case& c : cases) {
    vok::NBestList list(10);
    FillList(&list, c.in);
    EXPECT_EQ(system->PreferSingleWord(&list), c.result);
    if (c.in.empty()) continue;
    EXPECT_EQ(std::vector<uint16_t>(list.Get(0).ids, list.Get(0).ids + list.Get(0).count), c.first);
    EXPECT_EQ(list.Get(0).score, c.first_score);
    EXPECT_EQ(list.count(), static_cast<int>(c.in.size()));
  }
}

TEST_F(RecognitionSystemTest, RescoringLeavesAOneWordBestAlone) {
  auto system = System();
  vok::NBestList list(10);
  FillList(&list, {{{12}, -5}, {{10, 11}, -9}});
  EXPECT_EQ(system->RescoreBest(&list), 0);
  EXPECT_EQ(list.Get(0).ids[0], 12);
  EXPECT_EQ(list.Get(0).score, -5);
  EXPECT_EQ(list.Get(1).score, -9);
  // A longer best needs the page model, which this back end lacks.
  FillList(&list, {{{10, 11}, -5}, {{12}, -9}});
  EXPECT_EQ(system->RescoreBest(&list), -1);
  EXPECT_EQ(list.Get(0).ids[0], 12);
}

TEST_F(RecognitionSystemTest, LiveInputStepsUntilTheReadyFrames) {
  auto system = System();
  C_rFrontEnd& front_end = acoustics_->front_end();
  front_end.resetEnvironment(0);
  front_end.resetBuffer(0);
  const std::vector<int16_t> samples = acoustics_->SamplesFor(30);
  for (int call = 0; call < 3; ++call)
    EXPECT_EQ(system->SetInput(samples.data() + 1100 * call, 1100, call == 2), 0);
  // 3300 samples: 29 frames, 25 of them ready after the hold-back of 4.
  EXPECT_EQ(front_end.get_numFrame(0), 25);
  EXPECT_EQ(system->tree_engine()->frame(), 3);
  // The steps go on until the engine reaches the ready frames.
  int steps = 0;
  while (system->ProcessNextInput() == 0) ++steps;
  EXPECT_EQ(steps, 22);
  EXPECT_EQ(system->ProcessNextInput(), 1);
  EXPECT_EQ(system->SetInput(samples.data(), 0, true), 1);
  // All the ready frames again, from frame 0.
  EXPECT_EQ(system->RunPendingFrames(), 0);
  EXPECT_EQ(system->tree_engine()->frame(), 25);
}

TEST_F(RecognitionSystemTest, SearchOptions) {
  auto system = System();
  const P& p = system->search_parameters();
  EXPECT_EQ(p[P::kFastMatchBeam], 10000);
  EXPECT_EQ(p[P::kSixthBeam], 5000);
  EXPECT_EQ(p[P::kFastMatchPeriod], 1);
  EXPECT_EQ(p[P::kLatticeBeam], 999);
  EXPECT_EQ(p[P::kPhoneInsertionPenalty], 0);
  EXPECT_EQ(p[P::kStackSearchBeam], 30000);
  EXPECT_EQ(system->gen_word_lattice(), 1);

  vok::Resources more;
  more.PutInt("Search", "PhoneBeam", 99999);
  more.PutInt("Search", "PhoneInsertionPenalty", -35);
  more.PutInt("Search", "TreeStartBeam", 123);
  more.PutInt("LMBackend", "LeftWordStartWindow", 2);
  more.PutInt("LMBackend", "RightWordStartWindow", 3);
  system->ReadSearchOptions(more);
  EXPECT_EQ(p[P::kPhoneBeam], 32767);
  EXPECT_EQ(p[P::kPhoneInsertionPenalty], -35);
  EXPECT_EQ(p[P::kTreeStartBeam], 123);
  EXPECT_EQ(system->left_word_start_window(), 2);
  EXPECT_EQ(system->right_word_start_window(), 3);
  // A later read without the penalty keeps it.
  vok::Resources beam_only;
  beam_only.PutInt("Search", "PhoneBeam", 400);
  system->ReadSearchOptions(beam_only);
  EXPECT_EQ(p[P::kPhoneInsertionPenalty], -35);
  EXPECT_EQ(p[P::kPhoneBeam], 400);
}

TEST_F(RecognitionSystemTest, PronunciationsFromTextThenFromTheirBinaryTwin) {
  const std::string binary = vok_test::NetTempPath("Pron");
  resources_.Put("CRecognitionSystem", "BinaryPronunciationFile", binary.c_str());
  {
    auto system = System();
    ASSERT_NE(system->pronunciations(), nullptr);
    EXPECT_EQ(system->pronunciations()->entry_count(), 7);
  }
  ASSERT_TRUE(std::filesystem::exists(binary));
  std::remove(pron_path_.c_str());
  {
    auto system = System();
    ASSERT_NE(system->pronunciations(), nullptr);
    EXPECT_EQ(system->tree_engine()->tree_words(), 5);
  }
  std::remove(binary.c_str());
  // Names longer than 256 bytes are refused, and without pronunciations the
  // word tree holds silence only.
  resources_.Put("CRecognitionSystem", "BinaryPronunciationFile", std::string(257, 'p').c_str());
  auto system = System();
  EXPECT_EQ(system->pronunciations(), nullptr);
  EXPECT_EQ(system->tree_engine()->tree_words(), 0);
  // The syllable table stays the acoustic side's after the system goes.
  system.reset();
  uint16_t models[8];
  EXPECT_EQ(Models().syllables->GetSyllableModels(0, models, 8), 2);
}

TEST_F(RecognitionSystemTest, CommandItemsEndTheUtteranceBeforeTheBackEnd) {
  auto system = System();
  system->mutable_search_parameters() = DefaultBeams();
  ASSERT_EQ(system->AddCommandItemPron("C1 C1", 20000), 0);
  const vok_test::ScoreScript script = Spoken({"c", "c"});
  script.WriteInto(&acoustics_->database());
  Feed(script.frames());
  ASSERT_EQ(system->RunReference(nullptr), 20000);
  int32_t word = 0;
  EXPECT_EQ(system->GetBestWordID(&word), 0);
  EXPECT_EQ(word, 20000);
  EXPECT_EQ(system->DisableCommandItem(20000), 0);
  EXPECT_EQ(system->GetBestWordID(&word), -1);
  EXPECT_EQ(word, -1);
  EXPECT_EQ(system->EnableCommandItem(20000), 0);
  EXPECT_EQ(system->RemoveCommandItem(20000), 0);
  EXPECT_EQ(system->RemoveCommandItem(20000), -1);
  // Dictation then: the back end reads "c c".
  ASSERT_EQ(system->RunReference(nullptr), 0);
  EXPECT_EQ(system->timing().utterances(), 2);
}

TEST_F(RecognitionSystemTest, TheReferenceOfATestUtterance) {
  auto system = System();
  system->mutable_search_parameters() = DefaultBeams();
  const vok_test::ScoreScript script = Spoken({"a", "b", "c"});
  script.WriteInto(&acoustics_->database());
  struct Case {
    std::vector<uint16_t> reference;
    int result;
  };
  const Case cases[] = {{{2, kAb, kCWord}, 0}, {{2, kCa, kBWord}, 1}, {{0}, 0}};
  int parsed = 0;
  for (const Case& c : cases) {
    Feed(script.frames());
    EXPECT_EQ(system->RunReference(c.reference.data()), c.result);
    if (c.result == 0 && c.reference[0] > 0) ++parsed;
    EXPECT_EQ(system->parsed_count(), parsed);
  }
}

TEST_F(RecognitionSystemTest, ARefusedWaveFileIsNoUtterance) {
  auto system = System();
  EXPECT_EQ(system->ProcessUtterance("/nonexistent/utterance.wav"), -1);
  EXPECT_EQ(system->timing().utterances(), 0);
  vok::ErrorClear();
}

TEST_F(RecognitionSystemTest, TheConsoleDriverRunsAnUtterancePerLine) {
  auto system = System();
  std::FILE* console = std::tmpfile();
  ASSERT_NE(console, nullptr);
  std::fputs("-Search.PhoneBeam 330\n\n-q\n", console);
  std::rewind(console);
  // Two words, and no page model to rescore them with.
  const vok_test::ScoreScript script = Spoken({"a", "b", "c"});
  script.WriteInto(&acoustics_->database());
  Feed(script.frames());
  vok_test::CapturedLog log;
  EXPECT_EQ(system->Recognize(console), -1);
  std::fclose(console);
  EXPECT_EQ(system->timing().utterances(), 2);
  EXPECT_EQ(system->search_parameters()[P::kPhoneBeam], 330);
  EXPECT_EQ(log.Text().find("Results after pageable LM"), std::string::npos);
}

}  // namespace
