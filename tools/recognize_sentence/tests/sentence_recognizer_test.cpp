#include "tools/recognize_sentence/sentence_recognizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/hwr_code_mapping.h"
#include "engine/core/hwr_model.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "engine/core/tests/test_support.h"
#include "platform/file_access.h"

namespace {

namespace fs = std::filesystem;

std::vector<vok::InkPoint> Line(int x0, int y0, int x1, int y1) {
  std::vector<vok::InkPoint> points;
  for (int i = 0; i < 12; ++i) {
    points.push_back(
        {static_cast<int16_t>(y0 + (y1 - y0) * i / 11), static_cast<int16_t>(x0 + (x1 - x0) * i / 11)});
  }
  return points;
}

// A dialect folder with every level-1 GB2312 character as a word of one
// class, a flat class bigram model and a random full-size simplified model.
class SentenceRecognizerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One folder per process: ctest runs the cases of the suite side by side.
    folder_ = new fs::path(fs::path(::testing::TempDir()) /
                           ("sentence_recognizer_" + std::to_string(getpid())) / "China");
    fs::create_directories(*folder_);
    std::vector<vok_testing::FixtureWord> words = {{"<S>", 0, 50}, {"</S>", 1, 50}, {"<UNK>", 2, 5}};
    for (int index = 0; index < vok::kScLevel1Count; ++index) {
      const int code = vok::ScCode(index);
      words.push_back({std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}, 3, 10});
    }
    ASSERT_TRUE(vok_testing::WriteTextLexicon((*folder_ / "Lexicon.txt").string(), 4, words));
    ASSERT_TRUE(
        vok_testing::WriteClassBigramModel((*folder_ / "LM1").string(), 4, std::vector<uint8_t>(16, 10)));
    const auto model =
        vok_testing::WriteHwrCharacterModel(vok_testing::MakeSmallCharacterModel(vok::kScModelTriple, 5));
    ASSERT_TRUE(platform::WriteWholeFile((*folder_ / "HWRSC").string(), model.bytes));
  }
  static void TearDownTestSuite() {
    fs::remove_all(folder_->parent_path());
    delete folder_;
  }

  vok_test::CapturedMessages messages_;
  static fs::path* folder_;
};

fs::path* SentenceRecognizerTest::folder_ = nullptr;

TEST_F(SentenceRecognizerTest, LineOfTwoCharactersGivesASentence) {
  recognize_sentence::SentenceRecognizer recognizer(folder_->string(), true);
  ASSERT_EQ(recognizer.problem(), "");
  EXPECT_EQ(recognizer.models(), (std::vector<std::string>{"HWRSC"}));
  const std::string text = recognizer.Recognize(
      {Line(0, 0, 40, 40), Line(40, 0, 0, 40), Line(200, 0, 240, 20), Line(220, 0, 220, 40)});
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.size() % 2, 0u);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const auto code =
        static_cast<uint16_t>(static_cast<uint8_t>(text[i]) << 8 | static_cast<uint8_t>(text[i + 1]));
    EXPECT_GE(vok::ScIndex(code), 0);
  }
  EXPECT_EQ(recognizer.Recognize({}), "");
}

TEST_F(SentenceRecognizerTest, FoldersWithoutLanguageOrModelsAreReported) {
  const fs::path empty = folder_->parent_path() / "Hongkong";
  fs::create_directories(empty);
  recognize_sentence::SentenceRecognizer without_language(empty.string(), false);
  EXPECT_NE(without_language.problem().find("no lexicon"), std::string::npos);
  EXPECT_EQ(without_language.Recognize({Line(0, 0, 40, 40)}), "");
  // The simplified folder has no traditional model and no conversion table.
  recognize_sentence::SentenceRecognizer traditional(folder_->string(), false);
  EXPECT_NE(traditional.problem().find("no handwriting model"), std::string::npos);
}

TEST(SentenceRecognizerFolderTest, TraditionalFolders) {
  EXPECT_TRUE(recognize_sentence::IsTraditionalFolder("data/Hongkong"));
  EXPECT_TRUE(recognize_sentence::IsTraditionalFolder("data/Taiwan/"));
  EXPECT_FALSE(recognize_sentence::IsTraditionalFolder("data/China"));
  EXPECT_FALSE(recognize_sentence::IsTraditionalFolder("data/Guangdong/"));
}

}  // namespace
