#include <gtest/gtest.h>

#include <map>

#include "kernel/recognition_dictionary.h"
#include "kernel/scored_list.h"
#include "kernel/segment_distance.h"
#include "kernel/segment_reranker.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "tests/support/temporary_directory.h"

namespace {

using kernel::CodePage;
using kernel::ScoredEntry;
using kernel::ScoredList;
using kernel::SegmentList;
using kernel::SegmentRecord;

std::vector<std::pair<std::int32_t, std::int32_t>> Pairs(const ScoredList& list) {
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  for (const ScoredEntry& entry : list.entries()) pairs.push_back({entry.score, entry.record});
  return pairs;
}

TEST(ScoredListTest, KeepsLowestScoresWithEarlierFirstOnTies) {
  ScoredList list(3);
  list.Insert(5, 1);
  list.Insert(3, 2);
  list.Insert(5, 3);
  list.Insert(5, 4);  // not strictly better than the worst
  EXPECT_EQ(Pairs(list), (std::vector<std::pair<std::int32_t, std::int32_t>>{{3, 2}, {5, 1}, {5, 3}}));
  list.Insert(4, 5);
  EXPECT_EQ(Pairs(list), (std::vector<std::pair<std::int32_t, std::int32_t>>{{3, 2}, {4, 5}, {5, 1}}));
}

TEST(ScoredListTest, CapacityZeroKeepsNothing) {
  ScoredList list(0);
  list.Insert(1, 1);
  EXPECT_TRUE(list.empty());
}

// Dictionaries written into a temporary folder and loaded from there.
class DictionaryMatchTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const {
    return platform::JoinPath(directory_.path().string(), name);
  }

  kernel::DictionaryLayout layout_ = kernel_testing::TestLayout(CodePage::kBig5);
  testing_support::TemporaryDirectory directory_;
};

SegmentList ListOf(std::size_t count) {
  SegmentList list;
  for (std::size_t i = 0; i < count; ++i) list.push_back({1, static_cast<std::uint8_t>(i + 1), 40, 40, 0});
  return list;
}

TEST_F(DictionaryMatchTest, SegmentCountFilterKeepsTheToleranceAndNoMore) {
  // The cell has 12 segments: the tolerance is max(12 / 2, 5) = 6.
  const std::vector<std::size_t> counts = {18, 19, 6, 5, 12};
  std::vector<kernel::FeatureRecord> records;
  std::vector<SegmentList> lists;
  std::vector<std::int32_t> members;
  for (std::size_t k = 0; k < counts.size(); ++k) {
    records.push_back({std::vector<std::uint8_t>(224, 0), static_cast<std::uint16_t>(0x40A4 + (k << 8))});
    lists.push_back(ListOf(counts[k]));
    members.push_back(static_cast<std::int32_t>(k));
  }
  platform::WriteWholeFile(Path("f.dbs"), kernel::WriteFeatureFile(CodePage::kBig5, layout_.bounds,
                                                                   layout_.fine_divisors, records));
  platform::WriteWholeFile(Path("s.dbs"), kernel::WriteSegmentListFile(CodePage::kBig5, 1, 5, 1, lists));
  const std::vector<kernel::ClusterDefinition> clusters = {{std::vector<std::uint8_t>(80, 0), members}};
  platform::WriteWholeFile(Path("c.dbs"), kernel::WriteClusterFile(CodePage::kBig5, layout_.coarse_divisors,
                                                                   5, 100, 15, clusters));
  auto loaded =
      kernel::RecognitionDictionary::LoadBase(CodePage::kBig5, {Path("f.dbs"), Path("s.dbs")}, Path("c.dbs"));
  auto& dictionary = std::get<std::unique_ptr<kernel::RecognitionDictionary>>(loaded);

  kernel::CellDescription cell{std::vector<std::uint8_t>(224, 0), std::vector<std::uint8_t>(80, 0), 12};
  ScoredList result(kernel::kResultSize);
  kernel::MatchTrace trace;
  dictionary->Match(cell, result, &trace);
  EXPECT_EQ(trace.in_mask, 5u);
  EXPECT_EQ(trace.after_segment_filter, 3u);
  std::vector<std::int32_t> found;
  for (const ScoredEntry& entry : result.entries()) found.push_back(entry.record);
  EXPECT_EQ(found, (std::vector<std::int32_t>{0, 2, 4}));
}

TEST_F(DictionaryMatchTest, FinalDistanceLimitHoldsEvenForTheOnlyRecord) {
  // 224 x 68^2 = 1035776 lies below 0x100000, 224 x 69^2 = 1066464 above.
  const std::vector<kernel::FeatureRecord> records = {{std::vector<std::uint8_t>(224, 69), 0x40A4},
                                                      {std::vector<std::uint8_t>(224, 68), 0x41A4}};
  platform::WriteWholeFile(Path("l.dbs"), kernel::WriteFeatureFile(CodePage::kBig5, layout_.bounds,
                                                                   layout_.fine_divisors, records));
  auto loaded = kernel::RecognitionDictionary::LoadLearned(layout_, {Path("l.dbs"), Path("lsg.dbs")});
  auto& dictionary = std::get<std::unique_ptr<kernel::RecognitionDictionary>>(loaded);
  kernel::CellDescription cell{std::vector<std::uint8_t>(224, 0), std::vector<std::uint8_t>(80, 0), 3};
  ScoredList result(kernel::kResultSize);
  dictionary->Match(cell, result);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result.entries()[0].record, 1);
  EXPECT_EQ(result.entries()[0].score, 1035776 >> 5);
}

TEST_F(DictionaryMatchTest, LearnedDictionaryWithDifferentDivisorsIsAMismatch) {
  auto divisors = layout_.fine_divisors;
  divisors[0] = 99;
  platform::WriteWholeFile(Path("l.dbs"),
                           kernel::WriteFeatureFile(CodePage::kBig5, layout_.bounds, divisors, {}));
  auto loaded = kernel::RecognitionDictionary::LoadLearned(layout_, {Path("l.dbs"), Path("lsg.dbs")});
  ASSERT_TRUE(std::holds_alternative<kernel::LoadError>(loaded));
  EXPECT_EQ(std::get<kernel::LoadError>(loaded), kernel::LoadError::kMismatch);
}

TEST_F(DictionaryMatchTest, EmptyLearnedDictionaryAddsNothing) {
  auto loaded = kernel::RecognitionDictionary::LoadLearned(layout_, {Path("none.dbs"), Path("nonesg.dbs")});
  auto& dictionary = std::get<std::unique_ptr<kernel::RecognitionDictionary>>(loaded);
  EXPECT_EQ(dictionary->record_count(), 0u);
  ScoredList result(kernel::kResultSize);
  result.Insert(7, 3);
  dictionary->Match({std::vector<std::uint8_t>(224, 0), std::vector<std::uint8_t>(80, 0), 3}, result);
  EXPECT_EQ(Pairs(result), (std::vector<std::pair<std::int32_t, std::int32_t>>{{7, 3}}));
}

SegmentList Zigzag(int rise) {
  return {{10, 10, 70, 10, 1},
          {70, 10, 10, static_cast<std::uint8_t>(30 + rise), 17},
          {10, static_cast<std::uint8_t>(30 + rise), 70, 70, 16}};
}

TEST(SegmentDistanceTest, IdenticalListsAreAtZeroAndOthersFurther) {
  // Right, down, then down and left: no connecting stroke among them.
  const SegmentList a = {{10, 10, 70, 10, 1}, {70, 10, 70, 70, 17}, {70, 70, 30, 90, 16}};
  EXPECT_EQ(kernel::SegmentDistanceA(a, a), 0);
  EXPECT_EQ(kernel::SegmentDistanceB(a, a), 0);
  // The zigzag's middle stroke runs left with a join before it: it takes no
  // part on the walked side, so only the other side's copy counts.
  EXPECT_EQ(kernel::SegmentDistanceA(Zigzag(0), Zigzag(0)), 0);
  EXPECT_GT(kernel::SegmentDistanceB(Zigzag(0), Zigzag(0)), 0);
  const SegmentList b = {{40, 5, 40, 75, 0}};
  EXPECT_GT(kernel::SegmentDistanceA(a, b), 0);
  EXPECT_GT(kernel::SegmentDistanceB(a, b), kernel::SegmentDistanceB(a, Zigzag(10)));
  EXPECT_EQ(kernel::SegmentDistanceA({}, a), 0);
  EXPECT_GT(kernel::SegmentDistanceB({}, a), 0);
}

// Candidates whose stored lists and codes come from maps.
class RerankTest : public ::testing::Test {
 protected:
  kernel::RerankContext Context(CodePage code_page) {
    return {code_page, 5,
            [this](std::int32_t record) {
              const auto found = lists_.find(record);
              return found == lists_.end() ? std::span<const SegmentList>()
                                           : std::span<const SegmentList>(found->second);
            },
            [](std::int32_t) { return std::uint16_t{0x40A4}; }};
  }

  std::map<std::int32_t, std::vector<SegmentList>> lists_;
  const SegmentList cell_ = Zigzag(0);
};

TEST_F(RerankTest, CandidateWithMatchingSegmentsMovesToTheTop) {
  lists_ = {{10, {{{40, 5, 40, 75, 0}}}}, {11, {Zigzag(20)}}, {12, {Zigzag(0)}}};
  for (const CodePage code_page : {CodePage::kBig5, CodePage::kGb2312}) {
    std::vector<ScoredEntry> table = {{100, 10}, {110, 11}, {120, 12}};
    EXPECT_EQ(kernel::RerankBySegments(table, cell_, Context(code_page)), 2u);
    EXPECT_EQ(table[0].record, 12);
    EXPECT_EQ(table[2].record, 10);
  }
}

TEST_F(RerankTest, NothingMovesInTheCasesThatKeepTheOrder) {
  lists_ = {{10, {{{40, 5, 40, 75, 0}}}},
            {11, {Zigzag(20)}},
            {12, {Zigzag(0)}},
            {1086, {{{40, 5, 40, 75, 0}}}},
            {1292, {Zigzag(0)}}};
  const std::vector<std::pair<const char*, std::vector<ScoredEntry>>> cases = {
      {"one candidate", {{100, 10}}},
      {"top without lists", {{100, 99}, {110, 11}, {120, 12}}},
      {"best already first", {{100, 12}, {110, 11}, {120, 10}}},
      {"kept pair", {{100, 1086}, {110, 11}, {120, 1292}}},
      {"second scores zero", {{0, 10}, {0, 11}, {120, 12}}},
  };
  for (const auto& [name, original] : cases) {
    std::vector<ScoredEntry> table = original;
    kernel::RerankBySegments(table, cell_, Context(CodePage::kBig5));
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].record, original[i].record) << name;
  }
  std::vector<ScoredEntry> table = {{100, 10}, {110, 11}, {120, 12}};
  EXPECT_EQ(kernel::RerankBySegments(table, {}, Context(CodePage::kBig5)), 0u);
}

}  // namespace
