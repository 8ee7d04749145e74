#include "engine/NetSearchEngine/hwr_box.h"

#include <gtest/gtest.h>

namespace {

using vok::HwrBox;
using vok::HwrBoxRelation;

struct RelationCase {
  const char* what;
  HwrBox a;
  HwrBox b;
  HwrBoxRelation relation;
  int32_t gap;
};

TEST(HwrBoxTest, RelationAndGapOfTwoBoxes) {
  const RelationCase cases[] = {
      {"overlapping", {0, 0, 10, 10}, {5, 5, 20, 20}, HwrBoxRelation::kMeet, 0},
      {"touching corner", {0, 0, 10, 10}, {10, 10, 20, 20}, HwrBoxRelation::kMeet, 0},
      {"side by side", {0, 0, 10, 10}, {30, 2, 40, 8}, HwrBoxRelation::kHorizontal, 20},
      {"one below", {0, 0, 10, 10}, {0, 25, 10, 30}, HwrBoxRelation::kVertical, 15},
      {"diagonal, farther across", {0, 0, 10, 10}, {40, 15, 50, 20}, HwrBoxRelation::kHorizontal, 30},
      {"diagonal, farther down", {0, 0, 10, 10}, {15, 40, 20, 50}, HwrBoxRelation::kVertical, 30},
      {"diagonal, equal gaps", {0, 0, 10, 10}, {20, 20, 30, 30}, HwrBoxRelation::kVertical, 10},
      {"order does not matter", {30, 2, 40, 8}, {0, 0, 10, 10}, HwrBoxRelation::kHorizontal, 20},
  };
  for (const RelationCase& c : cases) {
    EXPECT_EQ(vok::BoxRelation(c.a, c.b), c.relation) << c.what;
    EXPECT_EQ(vok::BoxGap(c.a, c.b), c.gap) << c.what;
  }
}

TEST(HwrBoxTest, BelongTogetherBelowTheLimitOfTheirRelation) {
  const vok::HwrGapLimits limits{22, 80};
  const HwrBox left{0, 0, 10, 10};
  EXPECT_TRUE(vok::BoxesBelongTogether(left, {31, 0, 40, 10}, limits, 0));   // gap 21
  EXPECT_FALSE(vok::BoxesBelongTogether(left, {32, 0, 40, 10}, limits, 0));  // gap 22
  EXPECT_TRUE(vok::BoxesBelongTogether(left, {32, 0, 40, 10}, limits, 1));   // allowance
  EXPECT_TRUE(vok::BoxesBelongTogether(left, {0, 89, 10, 99}, limits, 0));   // below, gap 79
  EXPECT_FALSE(vok::BoxesBelongTogether(left, {0, 90, 10, 99}, limits, 0));
  EXPECT_TRUE(vok::BoxesBelongTogether(left, {5, 5, 8, 8}, limits, 0));  // meeting
}

TEST(HwrBoxTest, AspectRatioOfSides) {
  EXPECT_EQ(vok::AspectRatio({0, 0, 10, 10}), 10);
  EXPECT_EQ(vok::AspectRatio({0, 0, 30, 10}), 30);
  EXPECT_EQ(vok::AspectRatio({0, 0, 10, 35}), 35);
  EXPECT_EQ(vok::AspectRatio({0, 0, 30, 0}), 0);
}

TEST(HwrBoxTest, BoxOfPointsStartsAtTheFirstPoint) {
  const vok::InkPoint points[] = {{6000, 7000}, {6100, 6900}, {-40, 7100}};
  const HwrBox box = HwrBox::Of(points, 3);
  EXPECT_EQ(box.left, 6900);
  EXPECT_EQ(box.right, 7100);
  EXPECT_EQ(box.top, -40);
  EXPECT_EQ(box.bottom, 6100);
}

}  // namespace
