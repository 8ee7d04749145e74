#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_log_table.h"
#include "engine/LIB_C_rHMMDataBase/tests/hmm_test_support.h"
#include "engine/core/symbol_table.h"

namespace {

using namespace hmm_test_support;
using w::ByteOrder;

w::Model SmallModel() { return hmm_test_support::SmallModel(16, 12); }

std::vector<float> AllScores(C_rHMMDataBase& db, int thread = 0) {
  std::vector<float> scores;
  for (int h = 0; h < db.get_numHMM(); ++h)
    for (int s = 0; s < 3; ++s) scores.push_back(db.get_StateScore(h, s, thread));
  return scores;
}

class HMMDataBaseTest : public testing::Test {
 protected:
  C_rMemory memory_;
};

TEST_F(HMMDataBaseTest, BothByteOrdersLoadAndScoreIdentically) {
  const w::Model model = SmallModel();
  C_rHMMDataBase big, little;
  std::string output;
  ASSERT_EQ(Load(big, memory_, w::Write(model, ByteOrder::kBigEndian), {}, 1, &output), 0) << output;
  ASSERT_EQ(Load(little, memory_, w::Write(model, ByteOrder::kLittleEndian)), 0);
  EXPECT_NE(output.find("created by [HMM_AcousticModel_Ver3.3_dtd_10Sep99]"), std::string::npos);
  EXPECT_EQ(big.get_numHMM(), 4);
  EXPECT_EQ(big.get_numState(), 12);
  EXPECT_EQ(big.get_HMMIndex("SIL"), 0);
  EXPECT_EQ(big.get_HMMIndex("hmm3"), 3);
  EXPECT_EQ(big.get_HMMIndex("nothing"), -1);
  EXPECT_STREQ(big.get_HMMNameTable()->GetName(2), "hmm2");
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    Frame frame = RandomFrame(model.dims, seed);
    ASSERT_EQ(big.assign_ThreadInput(0, 0, frame.view()), 0);
    ASSERT_EQ(little.assign_ThreadInput(0, 0, frame.view()), 0);
    EXPECT_EQ(AllScores(big), AllScores(little));
  }
}

TEST_F(HMMDataBaseTest, WideBeamEqualsBruteForceLogSumExp) {
  const w::Model model = SmallModel();
  C_rHMMDataBase db;
  Settings settings;
  settings.streamWeights = "0.7, 1.3";
  settings.logDensityWeight = "2.5";
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kBigEndian), settings), 0);
  for (std::uint32_t seed : {5u, 6u, 7u, 8u}) {
    Frame frame = RandomFrame(model.dims, seed);
    ASSERT_EQ(db.assign_ThreadInput(0, static_cast<int>(seed), frame.view()), 0);
    for (int h = 0; h < db.get_numHMM(); ++h) {
      for (int s = 0; s < 3; ++s) {
        const double expected = BruteForceStateScore(model, model.hmms[h].states[s], frame, {0.7, 1.3}, 2.5);
        EXPECT_NEAR(db.get_StateScore(h, s, 0), expected, 2e-3 * std::fabs(expected) + 0.02) << h << " " << s;
      }
    }
  }
}

TEST_F(HMMDataBaseTest, StateScoreIsComputedOncePerFrame) {
  C_rHMMDataBase db;
  const w::Model model = SmallModel();
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kBigEndian)), 0);
  Frame frame = RandomFrame(model.dims, 11);
  db.assign_ThreadInput(0, 0, frame.view());
  const float first = db.get_StateScore(1, 2, 0);
  EXPECT_EQ(db.get_StateScore(1, 2, 0), first);
  EXPECT_EQ(db.get_InputThread(0)->cacheMisses, 1u);
  EXPECT_EQ(db.get_InputThread(0)->cacheHits, 1u);
  const auto evaluations = db.get_InputThread(0)->codeBookEvaluations;
  db.assign_ThreadInput(0, 1, frame.view());
  EXPECT_EQ(db.get_StateScore(1, 2, 0), first);
  EXPECT_EQ(db.get_InputThread(0)->cacheMisses, 2u);
  EXPECT_EQ(db.get_InputThread(0)->codeBookEvaluations, 2 * evaluations);
}

TEST_F(HMMDataBaseTest, TwoEqualComponentsAddLnTwo) {
  w::Model model = SmallModel();
  for (w::CodeBook& book : model.codeBooks) book.pairs[1] = book.pairs[0];
  for (w::Mixture& mixture : model.mixtures) {
    mixture.weights[1] = mixture.weights[0];
    for (std::size_t g = 2; g < mixture.weights.size(); ++g) mixture.weights[g] = 255;  // log weight -12.75
  }
  for (w::Pair& pair : model.pairs) pair.constant = 0.0f;
  model.dims = {1};
  model.means = {{0.0f}};
  model.scales = {{1.0f}};
  model.streamNames = {"only"};
  std::vector<w::Pair> pairs;
  for (w::Pair pair : model.pairs) {
    pair.centre.resize(1);
    pair.variance.resize(1);
    pairs.push_back(pair);
  }
  model.pairs = pairs;
  for (w::State& state : model.states) {
    state.mixtures.resize(1);
    state.streamWeights.resize(1);
  }
  C_rHMMDataBase db;
  Settings settings;
  settings.streamWeights = "1";
  settings.bailOut = "999";
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kLittleEndian), settings), 0);
  Frame frame{{{0.0f}}, {1}, {}};
  db.assign_ThreadInput(0, 0, frame.view());
  // x = 0: every Gaussian scores 0; the far ones fall outside the table.
  const w::Mixture& mixture = model.mixtures[model.states[0].mixtures[0]];
  const float logWeight = model.decoders[2].values[mixture.weights[0]];
  EXPECT_FLOAT_EQ(db.get_StateScore(0, 0, 0), logWeight + C_rHMMLogTable::table()[0]);
  EXPECT_FLOAT_EQ(C_rHMMLogTable::table()[0], std::log(2.0f));
}

TEST_F(HMMDataBaseTest, DensityWeightAndBeamApplyToEveryThread) {
  C_rHMMDataBase db;
  const w::Model model = SmallModel();
  Settings settings;
  settings.logDensityWeight = "3.0";
  settings.bailOut = "20";
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kBigEndian), settings, 3), 0);
  ASSERT_EQ(db.get_NumThreads(), 3);
  Frame frame = RandomFrame(model.dims, 21);
  for (int t = 0; t < 3; ++t) {
    db.assign_ThreadInput(t, 0, frame.view());
    EXPECT_EQ(db.get_InputThread(t)->beam, 20.0f);
  }
  const std::vector<float> first = AllScores(db, 0);
  EXPECT_EQ(AllScores(db, 1), first);
  EXPECT_EQ(AllScores(db, 2), first);
}

TEST_F(HMMDataBaseTest, ThreadsScoreTheirOwnInputsInParallel) {
  C_rHMMDataBase db;
  const w::Model model = SmallModel();
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kBigEndian), {}, 2), 0);
  auto run = [&](int thread, std::uint32_t seed) {
    std::vector<float> all;
    for (int f = 0; f < 20; ++f) {
      Frame frame = RandomFrame(model.dims, seed + f);
      db.assign_ThreadInput(thread, f, frame.view());
      const auto scores = AllScores(db, thread);
      all.insert(all.end(), scores.begin(), scores.end());
    }
    return all;
  };
  const auto expect0 = run(0, 100), expect1 = run(1, 200);
  std::vector<float> got0, got1;
  std::thread a([&] { got0 = run(0, 100); });
  std::thread b([&] { got1 = run(1, 200); });
  a.join();
  b.join();
  EXPECT_EQ(got0, expect0);
  EXPECT_EQ(got1, expect1);
}

TEST_F(HMMDataBaseTest, BailOutUsesTheFallbackOnceBelowTheThreshold) {
  C_rHMMDataBase narrow, wide;
  const w::Model model = SmallModel();
  Settings settings;
  settings.bailOut = "0";
  ASSERT_EQ(Load(narrow, memory_, w::Write(model, ByteOrder::kBigEndian), settings), 0);
  ASSERT_EQ(Load(wide, memory_, w::Write(model, ByteOrder::kBigEndian)), 0);
  Frame frame = RandomFrame(model.dims, 31);
  narrow.assign_ThreadInput(0, 0, frame.view());
  wide.assign_ThreadInput(0, 0, frame.view());
  const std::vector<float> a = AllScores(narrow), b = AllScores(wide);
  // With no beam, only Gaussians as good as a stream's best survive: scores
  // can only fall, and the frame's best state keeps a finite score.
  float best = -1e38f;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_LE(a[i], b[i] + 1e-3f) << i;
    best = std::max(best, a[i]);
  }
  EXPECT_GT(best, -1e30f);
}

TEST_F(HMMDataBaseTest, BadRequestsFailWithoutStopping) {
  C_rHMMDataBase db;
  const w::Model model = SmallModel();
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kBigEndian)), 0);
  testing::internal::CaptureStdout();
  Frame frame = RandomFrame(model.dims, 1);
  EXPECT_EQ(db.assign_ThreadInput(1, 0, frame.view()), -1);
  EXPECT_EQ(db.get_StateScore(0, 0, 4), C_rHMMDataBase::kFloorScore);
  EXPECT_EQ(db.get_StateScore(99, 0, 0), C_rHMMDataBase::kFloorScore);
  EXPECT_EQ(db.get_StateScore(0, 3, 0), C_rHMMDataBase::kFloorScore);
  Frame wrong = RandomFrame({39, 12}, 1);
  EXPECT_EQ(db.assign_ThreadInput(0, 0, wrong.view()), -1);
  Frame one = RandomFrame({39}, 1);
  EXPECT_EQ(db.assign_ThreadInput(0, 0, one.view()), -1);
  Frame notANumber = RandomFrame(model.dims, 1);
  notANumber.vectors[1][4] = std::nanf("");
  EXPECT_EQ(db.assign_ThreadInput(0, 0, notANumber.view()), -1);
  EXPECT_EQ(db.set_HMMDataBaseBeamWidth(0, -1.0f), -1);
  EXPECT_EQ(db.set_max_num_thread(2), -1);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("Error in idx = 1, valid range = 0..0"), std::string::npos);
  EXPECT_NE(output.find("Input Thread idx [1] is unitialised"), std::string::npos);
  EXPECT_NE(output.find("Value should be 0 -> 999"), std::string::npos);
  EXPECT_NE(output.find("Can only set max_num_thread once"), std::string::npos);
}

TEST_F(HMMDataBaseTest, LogTableOutlivesEveryDatabase) {
  const w::Model model = SmallModel();
  auto first = std::make_unique<C_rHMMDataBase>();
  C_rHMMDataBase second;
  ASSERT_EQ(Load(*first, memory_, w::Write(model, ByteOrder::kBigEndian)), 0);
  ASSERT_EQ(Load(second, memory_, w::Write(model, ByteOrder::kBigEndian)), 0);
  Frame frame = RandomFrame(model.dims, 3);
  first->assign_ThreadInput(0, 0, frame.view());
  const std::vector<float> expected = AllScores(*first);
  first->free_all();
  first.reset();
  second.assign_ThreadInput(0, 0, frame.view());
  EXPECT_EQ(AllScores(second), expected);
}

TEST_F(HMMDataBaseTest, TransitionMatricesAndTheirSparseForm) {
  C_rHMMDataBase db;
  const w::Model model = SmallModel();
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kLittleEndian)), 0);
  const C_rTransProb* t = db.get_TransProb(db.get_HMM(1)->transProb);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->n, 3);
  ASSERT_EQ(t->matrix.size(), 12u);
  EXPECT_FLOAT_EQ(t->matrix[0 * 4 + 1], -0.693f);
  EXPECT_FLOAT_EQ(t->matrix[1 * 4 + 0], 99.99f);
  EXPECT_EQ(t->sparse.size(), 6u);
}

}  // namespace
