#include "engine/core/back_trace_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <vector>

namespace {

using Ids = std::vector<uint16_t>;

TEST(BackTraceTable, BestFinalRecordAndSortedList) {
  vok::BackTraceTable table(200, 50, 1);
  table.Reset(0);
  table.AddStart();
  table.EndFrame();
  table.AddRecord(7, -5, 0);
  const int best = table.AddRecord(8, -2, 0);
  table.EndFrame();
  EXPECT_EQ(table.BestFinalRecord(), best);
  int count = 0;
  const vok::SortedRecord* list = table.SortedList(1, &count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(list[0].label, 8);
  EXPECT_EQ(list[0].score, 0);
  EXPECT_EQ(list[1].score, -3);
  // The start frame has no words but one record.
  table.SortedList(0, &count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(table.FrameList(0).size(), 1u);
  EXPECT_EQ(table.FrameList(5).size(), 0u);

  // A reset leaves no cached list behind.
  table.Reset(0);
  table.AddStart();
  table.EndFrame();
  table.AddRecord(9, -1, 0);
  table.SortedList(1, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(table.SortedList(1, &count)->label, 9);
  EXPECT_EQ(table.hypothesis_mode(), 1);
}

TEST(BackTraceTable, TraceBackChecksItsChain) {
  vok::BackTraceTable table(200, 50, 1);
  table.Reset(0);
  const int start = table.AddStart();
  const int a = table.AddRecord(1, 0, 0);
  const int b = table.AddRecord(2, 0, a);
  const int c = table.AddRecord(3, 0, -b);  // negative: by magnitude
  uint16_t labels[vok::BackTraceTable::kMaxLabels];
  ASSERT_EQ(table.TraceBack(c, labels, 199), 3);
  EXPECT_EQ(Ids(labels, labels + 3), (Ids{1, 2, 3}));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(table.TraceBack(c, labels, 2), -1);
  EXPECT_EQ(table.TraceBack(99, labels, 199), -1);
  EXPECT_EQ(table.TraceBack(-1, labels, 199), -1);
  const int self = table.AddRecord(4, 0, 4);
  EXPECT_EQ(self, 4);
  EXPECT_EQ(table.TraceBack(self, labels, 199), -1);
  const int lost = table.AddRecord(5, 0, INT32_MIN);
  EXPECT_EQ(table.TraceBack(lost, labels, 199), -1);
  const int outside = table.AddRecord(5, 0, 1000);
  EXPECT_EQ(table.TraceBack(outside, labels, 199), -1);
  int last = a;
  for (int i = 0; i < 199; ++i) last = table.AddRecord(6, 0, last);
  EXPECT_EQ(table.TraceBack(last, labels, 199), -1);
}

TEST(BackTraceTable, FramesAndPoolHaveEnds) {
  vok::BackTraceTable forward(1, 50, 1);
  forward.Reset(1999);
  EXPECT_EQ(forward.EndFrame(), 0);
  EXPECT_EQ(forward.EndFrame(), -1);
  EXPECT_EQ(forward.current_frame(), 2000);
  int added = 0;
  while (forward.AddRecord(1, 0, 0) >= 0) ++added;
  EXPECT_EQ(added, 250);
  EXPECT_EQ(forward.MemoryUse(), 250 * 12 + 20014);

  vok::BackTraceTable backward(200, 50, 1);
  backward.set_backward(true);
  backward.Reset(2000);
  backward.AddStart();
  EXPECT_EQ(backward.EndFrame(), 0);
  EXPECT_EQ(backward.FrameList(2000).size(), 1u);
  backward.Reset(0);
  EXPECT_EQ(backward.EndFrame(), -1);
}

TEST(BackTraceTable, EnumeratePathsNeedsAFinalRecord) {
  vok::BackTraceTable table(200, 50, 1);
  vok::NBestList list(10);
  EXPECT_EQ(table.EnumeratePaths(&list), -1);
  EXPECT_EQ(table.ListFinal(&list), -1);
}

// Every path of a small lattice, with its labels in the order the table
// delivers them and its summed relative score; the best score per sentence.
void BruteForce(vok::BackTraceTable& table, int frame, int start, int score, Ids* path,
                std::map<Ids, int>* paths) {
  if (frame == start) {
    Ids labels = *path;
    if (!table.backward()) std::reverse(labels.begin(), labels.end());
    auto [it, fresh] = paths->emplace(labels, score);
    if (!fresh) it->second = std::max(it->second, score);
    return;
  }
  int count = 0;
  const vok::SortedRecord* list = table.SortedList(frame, &count);
  for (int i = 0; i < count; ++i) {
    path->push_back(list[i].label);
    BruteForce(table, list[i].back, start, score + list[i].score, path, paths);
    path->pop_back();
  }
}

void CheckAgainstBruteForce(bool backward, uint32_t seed) {
  std::mt19937 random(seed);
  const int frames = 3 + static_cast<int>(random() % 5);
  vok::BackTraceTable table(50, 50, 1);
  table.set_backward(backward);
  const int start = backward ? frames : 0;
  table.Reset(start);
  table.AddStart();
  table.EndFrame();
  for (int step = 1; step < frames; ++step) {
    const int f = backward ? frames - step : step;
    const int records = 1 + static_cast<int>(random() % 3);
    for (int r = 0; r < records; ++r) {
      const int back =
          backward ? f + 1 + static_cast<int>(random() % (frames - f)) : static_cast<int>(random() % f);
      table.AddRecord(static_cast<uint16_t>(random() % 4),
                      static_cast<int16_t>(-static_cast<int>(random() % 40)), back);
    }
    table.EndFrame();
  }
  const int final_frame = backward ? 1 : frames - 1;
  table.SetFinal(table.BestRecordInFrame(final_frame), 0);
  ASSERT_GE(table.final_record(), 0);

  std::map<Ids, int> paths;
  Ids path;
  BruteForce(table, final_frame, start, 0, &path, &paths);
  std::vector<std::pair<int, Ids>> expected;
  for (const auto& [labels, score] : paths) expected.emplace_back(score, labels);
  std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

  const int n = 5;
  vok::NBestList list(n);
  ASSERT_EQ(table.EnumeratePaths(&list), 0);
  const int kept = std::min<int>(n, static_cast<int>(expected.size()));
  ASSERT_EQ(list.count(), kept) << seed;
  for (int i = 0; i < kept; ++i)
    EXPECT_EQ(list.Get(i).score, expected[static_cast<std::size_t>(i)].first) << seed;
  // Sentences scoring above the last kept one are the same (ties at the end
  // may be either).
  const int last = list.Get(kept - 1).score;
  for (int i = 0; i < kept; ++i) {
    if (list.Get(i).score <= last) continue;
    const Ids got(list.Get(i).ids, list.Get(i).ids + list.Get(i).count);
    EXPECT_EQ(paths.at(got), list.Get(i).score) << seed;
  }
}

TEST(BackTraceTable, EnumeratePathsMatchesBruteForceBothWays) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    CheckAgainstBruteForce(false, seed);
    CheckAgainstBruteForce(true, seed);
  }
}

TEST(BackTraceTable, ExpandFollowsOnlyFramesTowardTheStart) {
  vok::BackTraceTable table(50, 50, 1);
  table.Reset(0);
  table.AddStart();
  table.EndFrame();
  table.AddRecord(1, 0, 0);
  table.AddRecord(2, 0, 1);  // points at its own frame
  table.AddRecord(3, 0, 7);  // points past it
  table.EndFrame();
  table.SetFinal(table.BestFinalRecord(), 0);
  vok::NBestList list(10);
  ASSERT_EQ(table.EnumeratePaths(&list), 0);
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.Get(0).ids[0], 1);
}

TEST(BackTraceTable, ListFinalTracesEveryFinalRecord) {
  vok::BackTraceTable table(50, 50, 1);
  table.Reset(0);
  const int start = table.AddStart();
  table.EndFrame();
  const int a = table.AddRecord(1, -3, start);
  table.EndFrame();
  table.AddRecord(2, -4, a);
  table.AddRecord(3, -1, a);
  table.EndFrame();
  table.SetFinal(table.BestFinalRecord(), -1);
  EXPECT_EQ(table.final_score(), -1);
  vok::NBestList list(10);
  ASSERT_EQ(table.ListFinal(&list), 0);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(Ids(list.Get(0).ids, list.Get(0).ids + list.Get(0).count), (Ids{1, 3}));
  EXPECT_EQ(list.Get(0).score, -1);
}

}  // namespace
