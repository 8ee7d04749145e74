// The engine's header, summary and report through the log, and its memory
// figure.
#include <gtest/gtest.h>

#include <string>

#include "engine/NetSearchEngine/tests/net_search_test_support.h"
#include "engine/core/tests/test_support.h"

namespace vok_test {
namespace {

class ReportsTest : public NetSearchTest {
 protected:
  void SetUp() override {
    NetSearchTest::SetUp();
    verbosity_.PutInt("System", "Verbosity", 3);
    vok::SetLogResources(&verbosity_);
  }
  void TearDown() override {
    vok::SetLogResources(nullptr);
    NetSearchTest::TearDown();
  }
  vok::Resources verbosity_;
};

// 12372, the three lists (20 + 4 per slot: 100, 200, 200), each pool's
// record, block slots and allocated blocks (nodes 36 + 8 x 1000 + 100 x 20
// per block, transitions 36 + 8 x 1000 + 200 x 28, instances 36 + 8 x 250 +
// 200 x 32) and the instances' free list (20 + 4 x 200).
TEST_F(ReportsTest, MemoryUsageCountsListsPoolsAndBlocks) {
  auto engine = EmptyEngine();
  EXPECT_EQ(engine->GetMemoryUsage(), 12372 + 420 + 820 + 820 + 10036 + 13636 + 8436 + 820);
  // 150 items of two models: 152 nodes and 300 transitions, a second block
  // of each.
  for (int i = 0; i < 150; ++i) ASSERT_EQ(engine->AddItemPron("AB2", i, 0), 0);
  EXPECT_EQ(engine->GetMemoryUsage(), 47360 + 2000 + 5600);
}

TEST_F(ReportsTest, HeaderLinesAndFigures) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("AB2", 0, 1), 0);
  CapturedLogStream log;
  engine->PrintHeader();
  EXPECT_EQ(log.Text(),
            "\nNetSearchEngine Header\n"
            "---------------------------\n"
            "# Nodes:        4\n"
            "# Transitions:    3\n"
            "Memory usage:    47360\n"
            "--------------------------\n");
}

TEST_F(ReportsTest, SummaryAndReportOfAnUtterance) {
  auto engine = EmptyEngine();
  for (const auto& [pron, id] : {std::pair{"A2", 0}, std::pair{"B3", 1}, std::pair{"C4", 2}}) {
    ASSERT_EQ(engine->AddItemPron(pron, id, 0), 0);
  }
  Db().SetModelScores(0, 20, Model("a"), -8);
  Db().SetModelScores(0, 20, Model("b"), -5);
  CapturedLogStream log;
  engine->PrintSummary();
  engine->PrintReport();
  EXPECT_EQ(log.Text(), "");  // nothing decoded yet

  ASSERT_EQ(Decode(engine.get(), 10), 0);
  engine->PrintSummary();
  const std::string summary = log.Text();
  EXPECT_NE(summary.find("Lattice engine summary:\n"), std::string::npos);
  EXPECT_NE(summary.find("Lattice size = 25 (2.5 per frame)\n"), std::string::npos);
  EXPECT_NE(summary.find("Total score: -85 (-8 per frame)\n"), std::string::npos);
  EXPECT_NE(summary.find("Theories evaluated = 30 (3 per frame)\n"), std::string::npos);
  std::string per_frame = "Theories evaluated in time\n";
  for (int t = 0; t < 10; ++t) per_frame += "    3 ";
  EXPECT_NE(summary.find(per_frame + "\n"), std::string::npos);

  ASSERT_EQ(Decode(engine.get(), 4), 0);
  engine->PrintReport();
  const std::string report = log.Text().substr(summary.size());
  EXPECT_NE(report.find("\nLattice engine report\n"), std::string::npos);
  EXPECT_NE(report.find("Total theories evaluated = 42 (21 per utt, 3 per frame)\n"), std::string::npos);
  EXPECT_NE(report.find("Maximum theories evaluated = 3\n"), std::string::npos);
  EXPECT_EQ(report.substr(report.size() - 57), std::string(56, '-') + "\n");
}

TEST_F(ReportsTest, PerFrameTheoriesOnlyFromVerbosity3) {
  verbosity_.PutInt("System", "Verbosity", 2);
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("A2", 0, 0), 0);
  ASSERT_EQ(Decode(engine.get(), 3), 0);
  CapturedLogStream log;
  engine->PrintSummary();
  EXPECT_NE(log.Text().find("Theories evaluated = 3 (1 per frame)\n"), std::string::npos);
  EXPECT_EQ(log.Text().find("Theories evaluated in time"), std::string::npos);
}

TEST_F(ReportsTest, VastelBannerWhenTheAcousticSideIsTaken) {
  CapturedLogStream log;
  auto engine = EmptyEngine();
  engine->SetAcousticModels(Models());
  EXPECT_EQ(Occurrences(log.Text(), "\n+++++++++++++Using Vastel Response System++++++++++++\n"), 2);
}

}  // namespace
}  // namespace vok_test
