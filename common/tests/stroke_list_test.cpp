#include <gtest/gtest.h>

#include <ostream>

#include <memory>
#include <vector>

#include "common/stroke_list.h"

namespace {

using wrendle::StrokeEntry;
using wrendle::StrokeListView;

TEST(StrokeListViewTest, ParsesStrokesAndCounts) {
  const auto list = wrendle::StrokeListBuilder().AddStroke({{1, 2}, {3, 4}}).AddStroke({{5, 6}}).Build();
  const auto view = StrokeListView::Parse(list);
  ASSERT_TRUE(view.has_value());
  ASSERT_EQ(view->stroke_count(), 2u);
  EXPECT_EQ(view->point_count(), 3u);
  EXPECT_EQ(view->entry_count(), list.size());
  EXPECT_EQ(view->strokes()[1].points[0].x, 5);
}

TEST(StrokeListViewTest, EmptyListIsValid) {
  const std::vector<StrokeEntry> list = {{0, 0}};
  const auto view = StrokeListView::Parse(list);
  ASSERT_TRUE(view.has_value());
  EXPECT_EQ(view->stroke_count(), 0u);
}

struct BadList {
  const char* name;
  std::vector<StrokeEntry> entries;
  friend void PrintTo(const BadList& c, std::ostream* os) { *os << c.name; }
};

class BadStrokeListTest : public ::testing::TestWithParam<BadList> {};

TEST_P(BadStrokeListTest, IsRefused) { EXPECT_FALSE(StrokeListView::Parse(GetParam().entries).has_value()); }

INSTANTIATE_TEST_SUITE_P(Lists, BadStrokeListTest,
                         ::testing::Values(BadList{"CountRunsPastBuffer", {{5, 0}, {1, 1}, {0, 0}}},
                                           BadList{"NegativeCount", {{-1, 0}, {1, 1}, {0, 0}}},
                                           BadList{"NoEndEntry", {{1, 0}, {1, 1}}}, BadList{"Nothing", {}},
                                           BadList{"PointsFillBufferWithoutEnd", {{2, 0}, {1, 1}, {2, 2}}}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(StrokeListViewTest, UnboundedParseStopsAtEntryLimit) {
  // Headers chain past the limit without an end entry.
  std::vector<StrokeEntry> list(wrendle::kMaxStrokeListEntries + 16, StrokeEntry{1, 0});
  EXPECT_FALSE(StrokeListView::ParseUnbounded(list.data()).has_value());
  EXPECT_FALSE(StrokeListView::ParseUnbounded(nullptr).has_value());
}

TEST(StrokeListViewTest, UnboundedParseReadsNothingAfterEnd) {
  // The list sits at the very end of its buffer: ASan catches a read past it.
  const auto list = wrendle::StrokeListBuilder().AddStroke({{1, 1}, {2, 2}}).Build();
  auto buffer = std::make_unique<StrokeEntry[]>(list.size());
  std::copy(list.begin(), list.end(), buffer.get());
  const auto view = StrokeListView::ParseUnbounded(buffer.get());
  ASSERT_TRUE(view.has_value());
  EXPECT_EQ(view->point_count(), 2u);
}

}  // namespace
