#include <gtest/gtest.h>

#include "engine/LIB_C_rHMMDataBase/c_r_multiple_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/tests/hmm_test_support.h"
#include "engine/core/symbol_table.h"

namespace {

using namespace hmm_test_support;
using w::ByteOrder;

class MultipleHMMDataBaseTest : public testing::Test {
 protected:
  void SetUp() override {
    w::SyntheticShape shape;
    shape.gaussiansPerCodeBook = 4;
    shape.numStates = 9;
    first_ = w::Synthetic(shape);
    shape.seed = 7;
    shape.numStates = 6;
    second_ = w::Synthetic(shape);
    second_.hmms[1].name = "hmm2";  // also in the first file
    for (const char* name : {"first", "second"}) paths_.push_back(TempPath(name));
    w::Write(first_, ByteOrder::kBigEndian).Save(paths_[0]);
    w::Write(second_, ByteOrder::kLittleEndian).Save(paths_[1]);
    Settings{}.Fill(resources_);
    resources_.Put("Vastel", "Multiple_HMMResource", "2");
    resources_.Put("Vastel", "HMMResource", paths_[0].c_str());
    resources_.Put("Vastel", "HMMResource_1", paths_[1].c_str());
  }
  void TearDown() override {
    for (const auto& path : paths_) std::remove(path.c_str());
  }

  int Read(C_rMultipleHMMDataBase& db, std::string* output = nullptr) {
    db.set_Memory(&memory_);
    testing::internal::CaptureStdout();
    const int status = db.read_file(1, resources_);
    const std::string printed = testing::internal::GetCapturedStdout();
    if (output != nullptr) *output = printed;
    return status;
  }

  C_rMemory memory_;
  w::Model first_, second_;
  std::vector<std::string> paths_;
  vok::Resources resources_;
};

TEST_F(MultipleHMMDataBaseTest, NamesAreMergedWithSuffixes) {
  C_rMultipleHMMDataBase db;
  ASSERT_EQ(Read(db), 0);
  EXPECT_EQ(db.get_numHMM(), 5);
  EXPECT_EQ(db.get_numState(), 15);
  EXPECT_EQ(db.get_HMMIndex("SIL"), 0);
  EXPECT_EQ(db.get_HMMIndex("SIL_ext1"), 3);
  EXPECT_EQ(db.get_HMMIndex("hmm2"), 2);
  EXPECT_EQ(db.get_HMMIndex("hmm2_ext1"), 4);
  EXPECT_STREQ(db.get_HMMNameTable()->GetName(4), "hmm2_ext1");
}

TEST_F(MultipleHMMDataBaseTest, ScoresAreRoutedToTheirDatabase) {
  C_rMultipleHMMDataBase db;
  ASSERT_EQ(Read(db), 0);
  Frame frame = RandomFrame(first_.dims, 3);
  ASSERT_EQ(db.assign_ThreadInput(0, 0, frame.view()), 0);
  C_rHMMDataBase* second = db.get_DataBase(1);
  EXPECT_EQ(db.get_StateScore(4, 1, 0), second->get_StateScore(1, 1, 0));
  EXPECT_EQ(db.get_StateScore(1, 2, 0), db.get_DataBase(0)->get_StateScore(1, 2, 0));
  testing::internal::CaptureStdout();
  EXPECT_EQ(db.get_StateScore(5, 0, 0), C_rHMMDataBase::kFloorScore);
  Frame wrong = RandomFrame({39, 12}, 1);
  EXPECT_EQ(db.assign_ThreadInput(0, 1, wrong.view()), -1);
  testing::internal::GetCapturedStdout();
}

TEST_F(MultipleHMMDataBaseTest, MissingCountOrFileFails) {
  std::string output;
  resources_.Put("Vastel", "Multiple_HMMResource", "3");
  C_rMultipleHMMDataBase three;
  EXPECT_EQ(Read(three, &output), -1);
  EXPECT_NE(output.find("Failed to load HMM DataBase"), std::string::npos);
  EXPECT_EQ(three.get_numHMM(), 0);

  vok::Resources empty;
  C_rMultipleHMMDataBase none;
  none.set_Memory(&memory_);
  testing::internal::CaptureStdout();
  EXPECT_EQ(none.read_file(1, empty), -1);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Missing Vastel::Multiple_HMMResource parameter"),
            std::string::npos);
}

}  // namespace
