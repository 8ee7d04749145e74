#include "engine/core/hypothesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/core/messages.h"
#include "engine/core/timing_stats.h"

namespace {

using Ids = std::vector<uint16_t>;

Ids CountFirst(const Ids& ids) {
  Ids array = {static_cast<uint16_t>(ids.size())};
  array.insert(array.end(), ids.begin(), ids.end());
  return array;
}

Ids IdsOf(const vok::Hypothesis& h) { return Ids(h.ids, h.ids + h.count); }

TEST(Hypothesis, SetPrependAppendReverseAndLimits) {
  vok::Hypothesis h;
  EXPECT_EQ(h.score, vok::kEmptyScore);
  const Ids ids = {1, 2, 3};
  ASSERT_EQ(h.Set(-5, 3, ids.data(), 1), 0);
  EXPECT_TRUE(h.Equals(ids.data(), 3));
  EXPECT_FALSE(h.Equals(ids.data(), 2));
  EXPECT_EQ(h.Prepend(CountFirst({9}).data()), 0);
  EXPECT_EQ(h.Append(CountFirst({7, 8}).data()), 0);
  EXPECT_EQ(IdsOf(h), (Ids{9, 1, 2, 3, 7, 8}));
  h.Reverse();
  EXPECT_EQ(IdsOf(h), (Ids{8, 7, 3, 2, 1, 9}));
  uint16_t out[8];
  EXPECT_EQ(h.GetIds(out, 8), 7);
  EXPECT_EQ(out[0], 6);
  EXPECT_EQ(h.GetIds(out, 6), -1);

  const Ids many(201, 4);
  EXPECT_EQ(h.Set(0, 201, many.data(), 1), -1);
  EXPECT_EQ(h.count, 6);
  const Ids fill(195, 4);
  EXPECT_EQ(h.Append(CountFirst(fill).data()), -1);
  EXPECT_EQ(h.Prepend(CountFirst(fill).data()), -1);
  EXPECT_EQ(h.count, 6);
}

TEST(NBestList, InsertKeepsDistinctSentencesInOrder) {
  vok::NBestList list(3);
  const Ids a = {1}, b = {2, 3}, c = {4}, d = {5};
  EXPECT_EQ(list.Insert(-10, a.data(), 1), 1);
  EXPECT_EQ(list.Insert(-10, b.data(), 2), 1);
  EXPECT_EQ(list.Insert(-20, c.data(), 1), 1);
  // Equal scores: the shorter first.
  EXPECT_EQ(IdsOf(list.Get(0)), a);
  EXPECT_EQ(IdsOf(list.Get(1)), b);
  // The same sentence with a lower or equal score changes nothing.
  EXPECT_EQ(list.Insert(-10, b.data(), 2), 0);
  EXPECT_EQ(list.Insert(-30, c.data(), 1), 0);
  // With a higher score it is replaced and moves up.
  EXPECT_EQ(list.Insert(-1, c.data(), 1), 1);
  EXPECT_EQ(IdsOf(list.Get(0)), c);
  EXPECT_EQ(list.count(), 3);
  // A sentence that beats only the last record replaces it.
  EXPECT_EQ(list.Insert(-5, d.data(), 1), 1);
  EXPECT_EQ(IdsOf(list.Get(2)), a);
  EXPECT_EQ(IdsOf(list.Get(1)), d);
  EXPECT_EQ(list.Append(0, a.data(), 1), -1);
  EXPECT_EQ(list.Insert(-100, a.data(), 1), 0);
}

// The insertion rule, written plainly over a vector.
struct ReferenceList {
  struct Entry {
    int score;
    Ids ids;
  };
  int limit;
  std::vector<Entry> entries;

  void Insert(int score, const Ids& ids) {
    const int last = static_cast<int>(entries.size()) == limit ? entries.back().score : vok::kEmptyScore;
    if (score < last) return;
    for (Entry& e : entries) {
      if (e.ids == ids) {
        if (e.score >= score) return;
        e.score = score;
        Sort();
        return;
      }
    }
    if (static_cast<int>(entries.size()) < limit) {
      entries.push_back({score, ids});
    } else {
      entries.back() = {score, ids};
    }
    Sort();
  }
  void Sort() {
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.score != b.score ? a.score > b.score : a.ids.size() < b.ids.size();
    });
  }
};

TEST(NBestList, InsertMatchesThePlainRuleOnRandomSentences) {
  std::mt19937 random(15);
  for (int round = 0; round < 40; ++round) {
    const int limit = 1 + static_cast<int>(random() % 12);
    vok::NBestList list(limit);
    ReferenceList reference{limit, {}};
    for (int i = 0; i < 200; ++i) {
      Ids ids(1 + random() % 2);
      for (auto& id : ids) id = static_cast<uint16_t>(random() % 4);
      // Distinct scores per length keep the order of equals out of the check.
      const int score = -static_cast<int>(random() % 500) * 4 - static_cast<int>(ids.size());
      list.Insert(score, ids.data(), static_cast<int>(ids.size()));
      reference.Insert(score, ids);
    }
    ASSERT_EQ(list.count(), static_cast<int>(reference.entries.size()));
    for (int i = 0; i < list.count(); ++i) {
      EXPECT_EQ(list.Get(i).score, reference.entries[static_cast<std::size_t>(i)].score);
      EXPECT_EQ(IdsOf(list.Get(i)), reference.entries[static_cast<std::size_t>(i)].ids);
    }
  }
}

TEST(NBestList, ContextAndLimits) {
  vok::NBestList list(0);
  EXPECT_EQ(list.limit(), 1);
  EXPECT_EQ(vok::NBestList(1000).limit(), 400);

  vok::NBestList context(4);
  const Ids a = {1, 2}, b = {3};
  context.Append(-1, a.data(), 2);
  context.Append(-2, b.data(), 1);
  ASSERT_EQ(context.AddContext(CountFirst({10}).data(), CountFirst({20, 21}).data()), 0);
  EXPECT_EQ(IdsOf(context.Get(0)), (Ids{10, 1, 2, 20, 21}));
  EXPECT_EQ(IdsOf(context.Get(1)), (Ids{10, 3, 20, 21}));
  EXPECT_EQ(context.RemoveContext(1, 5), -1);
  ASSERT_EQ(context.RemoveContext(1, 2), 0);
  EXPECT_EQ(IdsOf(context.Get(0)), a);
  EXPECT_EQ(IdsOf(context.Get(1)), b);
  EXPECT_EQ(context.AddContext(CountFirst(Ids(199, 7)).data(), nullptr), -1);
  EXPECT_EQ(IdsOf(context.Get(0)), a);

  vok::NBestList copy(2);
  context.CopyTo(&copy);
  EXPECT_EQ(copy.count(), 2);
  EXPECT_EQ(copy.limit(), 4);
  copy.ReverseAll();
  EXPECT_EQ(IdsOf(copy.Get(0)), (Ids{2, 1}));
}

TEST(NBestList, Statistics) {
  vok::NBestList list(3);
  list.UpdateStatistics(-1, 0);  // empty list: ignored
  list.UpdateStatistics(400, 0);
  EXPECT_EQ(list.counted(), 0);
  const Ids a = {1};
  list.Reset(100, 1);
  list.Append(-10, a.data(), 1);
  list.UpdateStatistics(0, 0);
  list.UpdateStatistics(-1, 95);  // relative -5, above the last record
  list.UpdateStatistics(-1, 80);  // relative -20, below
  EXPECT_EQ(list.found(), 1);
  EXPECT_EQ(list.rank_count(0), 1);
  EXPECT_EQ(list.missed_above(), 1);
  EXPECT_EQ(list.missed_below(), 1);
  EXPECT_EQ(list.counted(), 3);
}

TEST(CAlternativeList, StableDescendingAndBounded) {
  vok::CAlternativeList list;
  EXPECT_EQ(list.Add(1, -5), 1);
  EXPECT_EQ(list.Add(2, -1), 1);
  EXPECT_EQ(list.Add(3, -5), 1);
  EXPECT_EQ(list.Add(1, 100), 0);
  EXPECT_EQ(list.Find(1)->score, -5);
  EXPECT_EQ(list.Find(9), nullptr);
  EXPECT_EQ(list.Get(0).word, 2);
  EXPECT_EQ(list.Get(1).word, 1);
  EXPECT_EQ(list.Get(2).word, 3);
  for (uint16_t w = 10; list.count() < vok::CAlternativeList::kMaxEntries; ++w) list.Add(w, 0);
  EXPECT_EQ(list.Add(5000, 0), -1);
}

class LogCapture {
 public:
  LogCapture() : log_(std::tmpfile()) { vok::SetLogStream(log_); }
  ~LogCapture() {
    vok::SetLogStream(nullptr);
    std::fclose(log_);
  }
  std::string Text() {
    std::fflush(log_);
    std::rewind(log_);
    std::string text;
    char buffer[1024];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, log_)) > 0) text.append(buffer, n);
    return text;
  }

 private:
  std::FILE* log_;
};

TEST(TimingStats, PrintsOnlyWhatWasMeasured) {
  LogCapture log;
  vok::TimingStats stats;
  stats.Start();
  stats.Stop();
  stats.PrintUtterance();
  EXPECT_EQ(log.Text(), "");
  stats.PrintTotals();
  EXPECT_NE(log.Text().find("Total frames = 0\n"), std::string::npos);
  EXPECT_NE(log.Text().find("ms (0 ms per frame)"), std::string::npos);

  stats.set_last_times(30.0f, 20.0f);
  stats.AddUtterance(10);
  stats.PrintUtterance();
  EXPECT_NE(log.Text().find("Elapsed time = 30 ms (3 ms per frame for 10 frames)\n"), std::string::npos);
  EXPECT_EQ(stats.utterances(), 2);
  EXPECT_EQ(stats.total_frames(), 10);
}

}  // namespace
