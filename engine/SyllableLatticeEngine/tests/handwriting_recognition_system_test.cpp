#include "engine/SyllableLatticeEngine/handwriting_recognition_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/tests/hwr_test_support.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/resources.h"
#include "engine/core/tests/test_support.h"

namespace {

using vok::CHRecognitionSystem;
using vok::CLMBackendEngine;
using vok::Resources;
using vok_test::Candidates;
using vok_test::Line;

// Words 3 to 7: five characters, and word 8 the pair of the first two.
constexpr uint16_t kCodes[] = {0xB0A1, 0xB0A2, 0xB0A3, 0xB0A4, 0xB0A5};
constexpr uint16_t kNotAWord = 0xB0B0;

std::string Text(uint16_t code) {
  return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

class HandwritingSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<vok_testing::FixtureWord> words;
    for (uint16_t code : kCodes) words.push_back({Text(code), 3, 20});
    words.push_back({Text(kCodes[0]) + Text(kCodes[1]), 4, 30});
    ASSERT_TRUE(language_.Load(5, std::vector<uint8_t>(25, 10), vok_test::WithSentenceWords(words)));
    options_.PutInt("System", "NBestChoices", 20);
    options_.PutInt("Search", "StackSearchBeam", 3000);
    options_.PutInt("LMBackend", "WordInsertionPenalty", 0);
    options_.Put("LMBackend", "LexiconFile", language_.lexicon_path.c_str());
    options_.Put("LMBackend", "CoreLMFile", language_.model_path.c_str());
    back_end_ = std::make_unique<CLMBackendEngine>(options_);
    ASSERT_NE(back_end_->lexicon(), nullptr);
  }

  std::unique_ptr<CHRecognitionSystem> MakeSystem() {
    auto system = std::make_unique<CHRecognitionSystem>(
        options_, back_end_.get(), back_end_->lexicon()->BuildCodeTree("-", true), nullptr);
    system->SetRecognitionRange(vok::kHwrRangeSimplified);
    return system;
  }

  static vok_test::ScriptedChineseRecognizer* UseSc(CHRecognitionSystem* system,
                                                    std::vector<vok::HwrCandidate> list) {
    auto recognizer = std::make_unique<vok_test::ScriptedChineseRecognizer>(std::move(list));
    auto* raw = recognizer.get();
    system->SetSCRecognizer(std::move(recognizer));
    return raw;
  }

  static void Write(CHRecognitionSystem* system, const std::vector<std::vector<vok::InkPoint>>& strokes) {
    system->ClearStrokes();
    for (const auto& s : strokes) system->AddStroke(s.data(), static_cast<int>(s.size()));
  }

  static std::vector<uint16_t> FirstWords(const vok::NBestList& list) {
    std::vector<uint16_t> words;
    for (int i = 0; i < list.count(); ++i) words.push_back(list.Get(i).ids[0]);
    return words;
  }

  vok_test::CapturedMessages messages_;
  vok_test::SmallLanguage language_;
  Resources options_;
  std::unique_ptr<CLMBackendEngine> back_end_;
};

TEST_F(HandwritingSystemTest, SegmentationOffListsTheWordsInRecognizerOrder) {
  auto system = MakeSystem();
  system->SetSegmentation(0);
  // Five candidates, the third not a word; the last scores beyond 16 bits.
  auto list = Candidates({kCodes[2], kCodes[0], kNotAWord, kCodes[4], kCodes[1]});
  list[4].score = 0x7FFFFFFF;
  UseSc(system.get(), list);
  Write(system.get(), {Line(0, 0, 40, 40)});
  ASSERT_EQ(system->FinishUtterance(), 0);
  EXPECT_EQ(system->RunBackEnd(false, false), 0);
  const vok::NBestList& nbest = *system->nbest();
  EXPECT_EQ(FirstWords(nbest), (std::vector<uint16_t>{5, 3, 7, 4}));
  EXPECT_EQ(nbest.Get(0).score, -180);
  EXPECT_EQ(nbest.Get(2).score, -234);
  EXPECT_EQ(nbest.Get(3).score, -27767);
  for (int i = 0; i < nbest.count(); ++i) EXPECT_EQ(nbest.Get(i).count, 1);

  const uint16_t best[] = {1, 5};
  vok::CAlternativeList records[3];
  records[1].Add(9, 0);
  ASSERT_EQ(system->GetAlternatives(best, records), 0);
  ASSERT_EQ(records[0].count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(records[0].Get(i).word, FirstWords(nbest)[i]);
  EXPECT_EQ(records[1].count(), 0);
  const uint16_t none[] = {0};
  EXPECT_EQ(system->GetAlternatives(none, records), -1);
}

TEST_F(HandwritingSystemTest, SegmentationOffReadsOnlyThisRequestsCandidates) {
  auto system = MakeSystem();
  system->SetSegmentation(0);
  UseSc(system.get(), Candidates({kCodes[0], kCodes[1], kCodes[2], kCodes[3], kCodes[4]}));
  Write(system.get(), {Line(0, 0, 40, 40)});
  system->FinishUtterance();
  EXPECT_EQ(system->nbest()->count(), 5);
  UseSc(system.get(), Candidates({kCodes[3], kCodes[4]}));
  Write(system.get(), {Line(0, 0, 40, 40)});
  system->FinishUtterance();
  EXPECT_EQ(FirstWords(*system->nbest()), (std::vector<uint16_t>{6, 7}));
}

TEST_F(HandwritingSystemTest, SegmentationOnDecodesTheLatticeIntoWords) {
  auto system = MakeSystem();
  // Both cells read the first two characters, in either order.
  auto* sc = UseSc(system.get(), Candidates({kCodes[0], kCodes[1]}));
  Write(system.get(), {Line(0, 0, 30, 40), Line(100, 0, 130, 40)});
  ASSERT_EQ(system->FinishUtterance(), 0);
  ASSERT_EQ(system->RunBackEnd(false, false), 0);
  EXPECT_EQ(sc->calls, 2);
  ASSERT_GT(system->nbest()->count(), 0);
  char text[32];
  ASSERT_EQ(system->GetBestText(text, sizeof text, ""), 0);
  EXPECT_EQ(std::string(text), Text(kCodes[0]) + Text(kCodes[1]));
}

TEST_F(HandwritingSystemTest, IdleUntilAStrokeArrives) {
  auto system = MakeSystem();
  EXPECT_EQ(system->IsIdle(), 1);
  const auto stroke = Line(0, 0, 40, 40);
  EXPECT_EQ(system->AddStroke(stroke.data(), 0), -1);
  EXPECT_EQ(system->AddStroke(nullptr, 10), -1);
  EXPECT_EQ(system->input_count(), 0);
  EXPECT_EQ(system->IsIdle(), 1);
  EXPECT_EQ(system->AddStroke(stroke.data(), static_cast<int>(stroke.size())), 0);
  EXPECT_EQ(system->input_count(), 1);
  EXPECT_EQ(system->IsIdle(), 0);
  system->ClearStrokes();
  EXPECT_EQ(system->IsIdle(), 1);
  EXPECT_EQ(system->input_count(), 0);
}

TEST_F(HandwritingSystemTest, OptionsReachTheRecognizerRecord) {
  options_.PutInt("CHRecognitionSystem", "HorizontalWriting", 0);
  options_.PutInt("CHRecognitionSystem", "InitSegmentDelta", 20);
  options_.PutInt("CHRecognitionSystem", "SegmentDelta", 5);
  options_.PutInt("HWRSentence", "ResultScript", 2);
  auto system = MakeSystem();
  const vok::HWRRecognizerRecord& record = *system->hwr_engine()->record();
  EXPECT_EQ(system->horizontal_writing(), 0);
  EXPECT_EQ(record.settings.writing_direction, 0);
  EXPECT_EQ(record.settings.initial_segment_delta, 20);
  EXPECT_EQ(record.settings.segment_delta, 5);
  EXPECT_EQ(record.result_script(), 2);
  EXPECT_EQ(system->hwr_engine()->TrackLimits(7).vertical, 55);
}

TEST_F(HandwritingSystemTest, PronunciationFilesAreReadBackward) {
  const std::string binary = vok_test::LatticeTempPath("pen.bin");
  {
    auto tree = back_end_->lexicon()->BuildCodeTree("-", false);
    ASSERT_EQ(tree->WriteBinary(binary.c_str()), 0);
  }
  options_.Put("CHRecognitionSystem", "BinaryPronunciationFile", binary.c_str());
  {
    CHRecognitionSystem forward(options_, back_end_.get(), nullptr, nullptr);
    EXPECT_EQ(forward.pronunciations(), nullptr);
    EXPECT_TRUE(vok::ErrorRecorded("errForwardPronunciations"));
  }
  vok::ErrorClear();
  {
    auto tree = back_end_->lexicon()->BuildCodeTree("-", true);
    ASSERT_EQ(tree->WriteBinary(binary.c_str()), 0);
  }
  CHRecognitionSystem backward(options_, back_end_.get(), nullptr, nullptr);
  ASSERT_NE(backward.pronunciations(), nullptr);
  EXPECT_TRUE(backward.pronunciations()->backward());
  EXPECT_EQ(backward.pronunciations()->entry_count(), back_end_->lexicon()->entry_count());
  std::remove(binary.c_str());
}

TEST_F(HandwritingSystemTest, AForwardTreeHandedInIsRefused) {
  vok::ErrorClear();
  CHRecognitionSystem forward(options_, back_end_.get(), back_end_->lexicon()->BuildCodeTree("-", false),
                              nullptr);
  EXPECT_EQ(forward.pronunciations(), nullptr);
  EXPECT_TRUE(vok::ErrorRecorded("errForwardPronunciations"));
  vok::ErrorClear();
  CHRecognitionSystem backward(options_, back_end_.get(), back_end_->lexicon()->BuildCodeTree("-", true),
                               nullptr);
  ASSERT_NE(backward.pronunciations(), nullptr);
  EXPECT_TRUE(backward.pronunciations()->backward());
  EXPECT_FALSE(vok::ErrorRecorded("errForwardPronunciations"));
}

TEST_F(HandwritingSystemTest, TextPronunciationsAreReadBackwardAndSavedAsBinary) {
  // The names fit the system's 100-byte file-name fields in any temporary folder.
  const std::string syllables = ::testing::TempDir() + "hw_text_pron.syl";
  const std::string text = ::testing::TempDir() + "hw_text_pron.txt";
  const std::string binary = ::testing::TempDir() + "hw_text_pron.bin";
  std::remove(binary.c_str());
  {
    std::FILE* f = std::fopen(syllables.c_str(), "w");
    std::fputs("%BEGIN <SYLLABLE>\nb0a1\nb0a2\n%END\n", f);
    std::fclose(f);
    f = std::fopen(text.c_str(), "w");
    std::fputs("pron 2\nskipped\nb0a1\nb0a1-b0a2\n", f);
    std::fclose(f);
  }
  options_.Put("CHRecognitionSystem", "SyllableFile", syllables.c_str());
  options_.Put("CHRecognitionSystem", "PronunciationFile", text.c_str());
  options_.Put("CHRecognitionSystem", "BinaryPronunciationFile", binary.c_str());
  {
    CHRecognitionSystem system(options_, back_end_.get(), nullptr, nullptr);
    ASSERT_NE(system.pronunciations(), nullptr);
    EXPECT_TRUE(system.pronunciations()->backward());
    EXPECT_EQ(system.pronunciations()->entry_count(), 2);
  }
  // The next start reads the binary form it wrote.
  std::remove(text.c_str());
  CHRecognitionSystem again(options_, back_end_.get(), nullptr, nullptr);
  ASSERT_NE(again.pronunciations(), nullptr);
  EXPECT_EQ(again.pronunciations()->entry_count(), 2);
  const uint16_t second = again.pronunciations()->FindSyllable("b0a2");
  const int node = again.pronunciations()->FindChild(0, second);
  EXPECT_GE(node, 0);  // backward: the last syllable first
  for (const std::string& path : {syllables, binary, syllables + "_Binary"}) std::remove(path.c_str());
}

TEST_F(HandwritingSystemTest, FileNamesLongerThanTheirFieldAreRefused) {
  const std::string too_long = ::testing::TempDir() + std::string(CHRecognitionSystem::kFileNameBytes, 'p');
  for (const char* key : {"BinaryPronunciationFile", "SyllableFile", "PronunciationFile"}) {
    SCOPED_TRACE(key);
    vok::ErrorClear();
    options_.Put("CHRecognitionSystem", key, too_long.c_str());
    CHRecognitionSystem system(options_, back_end_.get(), nullptr, nullptr);
    EXPECT_EQ(system.pronunciations(), nullptr);
    EXPECT_TRUE(vok::ErrorRecorded("errFileNameTooLong"));
    options_.Put("CHRecognitionSystem", key, "");
  }
  vok::ErrorClear();
}

}  // namespace
