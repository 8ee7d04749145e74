#include "engine/Vastel/vastel_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/LIB_C_rHMMDataBase/tests/unique_path.h"
#include "engine/core/tests/test_support.h"

namespace {

namespace w = hmm_model_writer;

// Test cases run side by side: each has files of its own.
std::string TempPath(const std::string& name) { return unique_path::Make("vastel_" + name); }

// A model whose HMMs carry the names of an initial/final split.
w::Model NamedModel() {
  w::SyntheticShape shape;
  shape.numStates = 15;
  w::Model model = w::Synthetic(shape);
  const char* names[] = {"SIL", "n", "i3", "h", "ao3"};
  for (std::size_t i = 0; i < model.hmms.size() && i < 5; ++i) model.hmms[i].name = names[i];
  return model;
}

class VastelSystemTest : public testing::Test {
 protected:
  void SetUp() override {
    model_ = TempPath("model.bin");
    ASSERT_TRUE(w::Write(NamedModel(), w::ByteOrder::kBigEndian).Save(model_));
    syllables_ = TempPath("Syllable");
    std::ofstream(syllables_) << "%BEGIN <SYLLABLE>\nNI3 n i3\nHAO3 h ao3\n%END\n";
    resources_.Put("Vastel", "StreamWeights", "1.0 1.0");
    resources_.Put("Vastel", "LogDensityWeight", "1.0");
    resources_.Put("Vastel", "HMMBailOut", "1e30");
  }
  void TearDown() override {
    for (const std::string& path : {model_, syllables_, syllables_ + "_Binary"}) std::remove(path.c_str());
  }

  std::string model_;
  std::string syllables_;
  vok::Resources resources_;
  vok_test::CapturedMessages messages_;
};

TEST_F(VastelSystemTest, LoadsDatabaseFrontEndAndSyllables) {
  resources_.Put("Vastel", "HMMResource", model_.c_str());
  resources_.Put("Vastel", "SyllableTable", syllables_.c_str());
  VastelSystem system;
  ASSERT_EQ(system.Load(resources_), 0);
  ASSERT_NE(system.database(), nullptr);
  ASSERT_NE(system.front_end(), nullptr);
  ASSERT_NE(system.syllable_table(), nullptr);
  EXPECT_EQ(system.resources(), &resources_);
  EXPECT_EQ(system.syllable_table()->syllable_count(), 2);
  uint16_t models[8];
  ASSERT_EQ(system.syllable_table()->PronToModels("ni3-hao3", models, 8), 0);
  EXPECT_EQ(std::vector<uint16_t>(models, models + 5), (std::vector<uint16_t>{4, 1, 2, 3, 4}));
  ASSERT_EQ(system.syllable_table()->GetSyllableModels(2, models, 8), 2);
  EXPECT_EQ(models[1], 0);  // "SIL"
  EXPECT_NE(messages_.Output().find("Reading HMM acoustic model database  [" + model_ + "]"),
            std::string::npos);
  // A second load is refused and keeps what is there.
  EXPECT_EQ(system.Load(resources_), -1);
  EXPECT_NE(system.syllable_table(), nullptr);
}

TEST_F(VastelSystemTest, TheSyllableTableIsRequired) {
  resources_.Put("Vastel", "HMMResource", model_.c_str());
  VastelSystem without;
  EXPECT_EQ(without.Load(resources_), -1);
  EXPECT_NE(without.database(), nullptr);
  EXPECT_NE(without.front_end(), nullptr);
  EXPECT_EQ(without.syllable_table(), nullptr);

  resources_.Put("Vastel", "SyllableTable", "no/such/Syllable");
  VastelSystem missing;
  EXPECT_EQ(missing.Load(resources_), -1);
  EXPECT_EQ(missing.syllable_table(), nullptr);
}

TEST_F(VastelSystemTest, RefusedResources) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, std::string>> entries;
  };
  const std::string too_long(256, 'x');
  const Case cases[] = {
      {"no model", {{"SyllableTable", syllables_}}},
      {"path over 255", {{"HMMResource", too_long}, {"SyllableTable", syllables_}}},
      {"unreadable model", {{"HMMResource", syllables_}, {"SyllableTable", syllables_}}},
      {"multiple count 0",
       {{"Multiple_HMMResource", "0"}, {"HMMResource", model_}, {"SyllableTable", syllables_}}},
  };
  for (const Case& c : cases) {
    vok::Resources resources;
    resources.Put("Vastel", "StreamWeights", "1.0 1.0");
    for (const auto& [key, value] : c.entries) resources.Put("Vastel", key, value.c_str());
    VastelSystem system;
    EXPECT_EQ(system.Load(resources), -1) << c.name;
    EXPECT_EQ(system.database(), nullptr) << c.name;
    EXPECT_EQ(system.syllable_table(), nullptr) << c.name;
  }
}

TEST_F(VastelSystemTest, FrontEndSpecFile) {
  resources_.Put("Vastel", "HMMResource", model_.c_str());
  resources_.Put("Vastel", "SyllableTable", syllables_.c_str());
  resources_.Put("FrontEnd", "FrontEndSpecFile", "no/such/spec");
  VastelSystem single;
  EXPECT_EQ(single.Load(resources_), -1);
  EXPECT_NE(single.database(), nullptr);
  EXPECT_EQ(single.front_end(), nullptr);
  // The multiple path always takes the built-in set-up.
  resources_.Put("Vastel", "Multiple_HMMResource", "1");
  VastelSystem multiple;
  EXPECT_EQ(multiple.Load(resources_), 0);
  EXPECT_NE(multiple.front_end(), nullptr);
  EXPECT_EQ(multiple.syllable_table()->syllable_count(), 2);
}

}  // namespace
