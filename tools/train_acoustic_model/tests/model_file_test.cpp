#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/Vastel/check_hmm_resource_version.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"
#include "engine/core/symbol_table.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/train_acoustic_model/model_file.h"
#include "tools/train_acoustic_model/tests/known_model.h"

namespace {

using namespace train_acoustic_model;
namespace w = hmm_model_writer;
using known_model::kUnits;

std::string TempPath(const std::string& name) {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return testing::TempDir() + test->test_suite_name() + "." + test->name() + "." + name;
}

class ModelFile : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    source_ = new known_model::Source(21);
    training_ = new std::vector<Utterance>(source_->Sequences(120));
    model_ = new AcousticModel(known_model::Train(*training_, known_model::SmallOptions()));
  }
  static void TearDownTestSuite() {
    delete model_;
    delete training_;
    delete source_;
  }

  // read_file of the model in the given byte order, with the engine's
  // default settings.
  int Load(C_rHMMDataBase& db, w::ByteOrder order, std::string* path_out = nullptr) {
    std::string error;
    const w::Model contents = ModelFileContents(*model_, std::vector<float>{1.0f, 0.5f}, &error);
    EXPECT_EQ(error, "");
    const std::string path = TempPath(order == w::ByteOrder::kBigEndian ? "big" : "little");
    EXPECT_TRUE(w::Write(contents, order).Save(path));
    if (path_out) *path_out = path;
    vok::Resources resources;
    resources.Put("Vastel", "StreamWeights", "1.0,0.5");
    resources.Put("Vastel", "LogDensityWeight", "12.0");
    resources.Put("Vastel", "HMMBailOut", "5.5");
    db.set_Memory(&memory_);
    testing::internal::CaptureStdout();
    const int status = db.read_file(path.c_str(), 1, resources);
    testing::internal::GetCapturedStdout();
    return status;
  }

  static known_model::Source* source_;
  static std::vector<Utterance>* training_;
  static AcousticModel* model_;
  C_rMemory memory_;
};

known_model::Source* ModelFile::source_ = nullptr;
std::vector<Utterance>* ModelFile::training_ = nullptr;
AcousticModel* ModelFile::model_ = nullptr;

TEST_F(ModelFile, ReadsBackInBothByteOrdersAndScoresHeldOutFramesOfItsOwnUnitsBest) {
  for (w::ByteOrder order : {w::ByteOrder::kBigEndian, w::ByteOrder::kLittleEndian}) {
    C_rHMMDataBase db;
    std::string path;
    ASSERT_EQ(Load(db, order, &path), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckHMMResourceVersion(path.c_str()), 1);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(db.get_numHMM(), static_cast<int>(model_->hmms.size()));
    EXPECT_EQ(db.get_numState(), static_cast<int>(model_->states.size()));
    for (std::size_t unit = 0; unit < kUnits.size(); ++unit)
      EXPECT_EQ(db.get_HMMIndex(kUnits[unit].c_str()), model_->HmmIndex(kUnits[unit]));

    int correct = 0, frames = 0;
    for (int i = 0; i < 30; ++i) {
      std::vector<int> truth;
      Utterance u = source_->Sample({i % 3}, &truth);
      std::vector<int> dims(known_model::kDims.begin(), known_model::kDims.end());
      for (int t = 0; t < u.raw.frames; ++t) {
        std::vector<const float*> vectors;
        for (const StreamFrames& stream : u.raw.streams) vectors.push_back(stream.Frame(t));
        ASSERT_EQ(db.assign_ThreadInput(0, frames, {2, dims.data(), vectors.data()}), 0);
        int best_hmm = -1;
        float best = -1e38f;
        for (std::size_t unit = 0; unit < kUnits.size(); ++unit) {
          for (int s = 0; s < 3; ++s) {
            const float score = db.get_StateScore(model_->HmmIndex(kUnits[unit]), s, 0);
            EXPECT_TRUE(std::isfinite(score));
            if (score > best) {
              best = score;
              best_hmm = static_cast<int>(unit);
            }
          }
        }
        correct += best_hmm == truth[t] / 3;
        ++frames;
      }
    }
    EXPECT_GE(correct * 100, frames * 90) << correct << " of " << frames;
    db.free_all();
    std::filesystem::remove(path);
  }
}

TEST_F(ModelFile, DatabaseScoresFollowTheTrainersScores) {
  C_rHMMDataBase db;
  ASSERT_EQ(Load(db, w::ByteOrder::kLittleEndian), 0);
  Utterance u = source_->Sample({1, 2});
  NormaliseUtterance(*model_, u);
  FrameScorer scorer(*model_, u.normalised);
  std::vector<int> dims(known_model::kDims.begin(), known_model::kDims.end());
  const std::vector<float> weights = {1.0f, 0.5f};
  for (int t = 0; t < u.raw.frames; ++t) {
    std::vector<const float*> vectors;
    for (const StreamFrames& stream : u.raw.streams) vectors.push_back(stream.Frame(t));
    db.assign_ThreadInput(0, t, {2, dims.data(), vectors.data()});
    // The best state of the frame is scored exactly (within the byte
    // coding of the weights); others may fall under the beam.
    double best_trainer = -1e300;
    float best_database = -1e38f;
    for (std::size_t h = 0; h < kUnits.size(); ++h) {
      for (int s = 0; s < 3; ++s) {
        best_trainer = std::max(best_trainer, scorer.State(t, model_->hmms[h].states[s], weights));
        best_database = std::max(best_database, db.get_StateScore(static_cast<int>(h), s, 0));
      }
    }
    EXPECT_NEAR(best_database, best_trainer, 0.05 * std::fabs(best_trainer) + 0.1) << "frame " << t;
  }
  db.free_all();
}

TEST_F(ModelFile, TheVocabularyStagesSyllablesResolveAgainstTheModelsNames) {
  C_rHMMDataBase db;
  ASSERT_EQ(Load(db, w::ByteOrder::kLittleEndian), 0);
  std::vector<std::string> names;
  for (const HmmEntry& hmm : model_->hmms) names.push_back(hmm.name);
  const std::string path = TempPath("Syllable");
  const std::string text = build_language_data::SyllableText({"A1", "MA1"}, &names);
  std::ofstream(path) << text;
  vok::CSyllableTable table(path.c_str(), db.get_HMMNameTable());
  ASSERT_EQ(table.status(), 0);
  std::uint16_t models[16];
  for (int id = 0; id < 2; ++id) EXPECT_GT(table.GetSyllableModels(id, models, 16), 0) << id;
  // MA1 is spelled m a1, both models of the file.
  ASSERT_EQ(table.GetSyllableModels(1, models, 16), 3);
  EXPECT_EQ(models[0], 2);
  EXPECT_EQ(models[1], db.get_HMMIndex("m"));
  EXPECT_EQ(models[2], db.get_HMMIndex("a1"));
  db.free_all();
  std::filesystem::remove(path);
  std::filesystem::remove(path + "_Binary");
}

TEST_F(ModelFile, AModelTheDatabaseCannotReadIsRefused) {
  AcousticModel broken = *model_;
  broken.hmms.back().states[1] = static_cast<int>(broken.states.size());
  std::string error;
  const std::string path = TempPath("Speech");
  EXPECT_FALSE(WriteModelFile(broken, std::vector<float>{1.0f, 0.5f}, path, &error));
  EXPECT_EQ(error, "the model cannot be read back: HMM m names a state out of range");
  EXPECT_FALSE(std::filesystem::exists(path));

  AcousticModel wide = *model_;
  wide.books[0][0].dim = 256;
  wide.normalisation.means[0].resize(256);
  wide.normalisation.scales[0].resize(256, 1.0f);
  ModelFileContents(wide, std::vector<float>{1.0f, 0.5f}, &error);
  EXPECT_EQ(error, "stream 0 has dimension 256 (1 to 255 are read)");

  EXPECT_TRUE(WriteModelFile(*model_, std::vector<float>{1.0f, 0.5f}, path, &error)) << error;
  std::filesystem::remove(path);
}

}  // namespace
