#include "tools/recognize_strokes/stroke_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(StrokeFileTest, ReadsStrokesSkippingCommentsAndBlankLines) {
  std::istringstream in("# a line\r\n10,20 30,40\r\n\r\n  -5,6\n");
  const auto result = wrendle::ReadStrokeFile(in);
  ASSERT_EQ(result.error, "");
  const auto view = wrendle::StrokeListView::Parse(result.list);
  ASSERT_TRUE(view.has_value());
  ASSERT_EQ(view->stroke_count(), 2u);
  EXPECT_EQ(view->strokes()[0].points[1].y, 40);
  EXPECT_EQ(view->strokes()[1].points[0].x, -5);
}

TEST(StrokeFileTest, NamesTheBadLine) {
  std::istringstream in("1,2\n3;4\n");
  EXPECT_EQ(wrendle::ReadStrokeFile(in).error, "line 2: \"3;4\" is not an x,y point");
}

TEST(StrokeFileTest, RefusesMoreThanAStrokeListHolds) {
  std::string text;
  for (int i = 0; i < 1100; ++i) text += "1,1 2,2\n";
  std::istringstream in(text);
  EXPECT_NE(wrendle::ReadStrokeFile(in).error.find("more than 2048 entries"), std::string::npos);
}

}  // namespace
