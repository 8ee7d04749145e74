#include "tools/recognize/point_arrays.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

TEST(PointArraysTest, ReadsStrokesOfPoints) {
  const auto lists = wrendle::ParsePointArrays(" [[[1, 2], [3.5,4]], [[-5, 6e1]]]\r\n");
  ASSERT_TRUE(lists.has_value());
  ASSERT_EQ(lists->size(), 2u);
  ASSERT_EQ((*lists)[0].size(), 2u);
  EXPECT_DOUBLE_EQ((*lists)[0][1].x, 3.5);
  EXPECT_DOUBLE_EQ((*lists)[0][1].y, 4);
  EXPECT_DOUBLE_EQ((*lists)[1][0].x, -5);
  EXPECT_DOUBLE_EQ((*lists)[1][0].y, 60);
}

TEST(PointArraysTest, EmptyLineOfStrokesIsValid) {
  const auto lists = wrendle::ParsePointArrays("[]");
  ASSERT_TRUE(lists.has_value());
  EXPECT_TRUE(lists->empty());
}

struct BadText {
  const char* name;
  const char* text;
  friend void PrintTo(const BadText& c, std::ostream* os) { *os << c.name; }
};

class PointArraysBadTextTest : public ::testing::TestWithParam<BadText> {};

TEST_P(PointArraysBadTextTest, IsRefused) {
  EXPECT_FALSE(wrendle::ParsePointArrays(GetParam().text).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PointArraysBadTextTest,
    ::testing::Values(BadText{"Empty", ""}, BadText{"NotAnArray", "12"},
                      BadText{"Object", R"({"a": [[[1, 2]]]})"}, BadText{"EmptyStroke", "[[]]"},
                      BadText{"PointWithOneNumber", "[[[1]]]"},
                      BadText{"PointWithThreeNumbers", "[[[1, 2, 3]]]"}, BadText{"MissingComma", "[[[1 2]]]"},
                      BadText{"Unclosed", "[[[1,2]]"}, BadText{"Word", "[[[x,2]]]"},
                      BadText{"NumberAsString", R"([[["1",2]]])"}, BadText{"Boolean", "[[[true,2]]]"},
                      BadText{"Null", "[[[null,2]]]"}, BadText{"StrokeNotAnArray", "[[1, 2]]"},
                      BadText{"TextAfterTheArray", "[[[1, 2]]] tail"}, BadText{"TwoArrays", "[] []"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
