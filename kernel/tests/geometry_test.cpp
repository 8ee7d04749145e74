#include "kernel/geometry.h"

#include <gtest/gtest.h>

#include "kernel/code_page.h"

namespace {

struct DirectionCase {
  int dx;
  int dy;
  int code;
};

TEST(DirectionCodeTest, PlainDirectionsAndTiesToTheLowerCode) {
  const DirectionCase cases[] = {
      {1, 0, 0},      {1, 1, 1},       {0, 1, 2},       {-1, 1, 3},     {-1, 0, 4},     {-1, -1, 5},
      {0, -1, 6},     {1, -1, 7},      {0, 0, 0},       {707, 293, 0},  {293, 707, 1},  {-293, 707, 2},
      {-707, 293, 3}, {-707, -293, 4}, {-293, -707, 5}, {293, -707, 6}, {707, -293, 0},
  };
  for (const DirectionCase& c : cases) {
    EXPECT_EQ(kernel::DirectionCode(c.dx, c.dy), c.code) << c.dx << "," << c.dy;
  }
}

TEST(GeometryTest, CosineOfZeroVectorIsTwo) {
  EXPECT_EQ(kernel::Cosine(0, 0, 1, 0), 2.0);
  EXPECT_DOUBLE_EQ(kernel::Cosine(1, 0, -3, 0), -1.0);
}

TEST(GeometryTest, DistanceAndOffsetFromVerticalAndSlopedLines) {
  EXPECT_DOUBLE_EQ(kernel::LineDistance(7, 100, 3, 0, 3, 10), 4.0);
  EXPECT_DOUBLE_EQ(kernel::LineDistance(0, 5, 0, 0, 10, 0), 5.0);
  EXPECT_DOUBLE_EQ(kernel::SignedOffset(7, 100, 3, 0, 3, 10), -4.0);
  // Slope 1: k (x - xa) + ya - y.
  EXPECT_DOUBLE_EQ(kernel::SignedOffset(0, 5, 0, 0, 10, 10), -5.0);
  // Negative slope: negated.
  EXPECT_DOUBLE_EQ(kernel::SignedOffset(0, 5, 0, 0, 10, -10), 5.0);
}

struct CodeCase {
  std::uint16_t swapped;  // lead byte high
  int big5_category;
  int gb_category;
};

TEST(CodePageTest, CategoriesOfBothCodePages) {
  const CodeCase cases[] = {
      {0x3500, 5, 5}, {0x4100, 3, 3}, {0x7A00, 4, 4}, {0x0141, 100, 100}, {0xC6E7, 7, 2},
      {0xFA40, 8, 0}, {0xA440, 1, 1}, {0xC940, 2, 2}, {0xA1A1, 1, 1},     {0xB0A1, 1, 2},
      {0xF7FE, 2, 2}, {0xC67E, 0, 2}, {0x8080, 0, 0},
  };
  for (const CodeCase& c : cases) {
    const std::uint16_t code = kernel::SwapBytes(c.swapped);
    EXPECT_EQ(kernel::GetCharCategory(kernel::CodePage::kBig5, code), c.big5_category)
        << std::hex << c.swapped;
    EXPECT_EQ(kernel::GetCharCategory(kernel::CodePage::kGb2312, code), c.gb_category)
        << std::hex << c.swapped;
  }
}

struct FilterCase {
  std::uint16_t swapped;
  int flags;
  bool big5;
  bool gb;
};

TEST(CodePageTest, RangeFilter) {
  const FilterCase cases[] = {
      {0x3100, kernel::kRangeDigits, true, true},         {0x3100, kernel::kRangeLetters, false, false},
      {0x5F00, kernel::kRangeLetters, true, true},        {0x7B00, kernel::kRangeLetters, false, false},
      {0x0141, kernel::kRangeUserCodes, true, true},      {0xC6E7, kernel::kRangeBig5Symbols, true, false},
      {0xFA40, kernel::kRangeBig5Extension, true, false}, {0xA440, kernel::kRangeChinese, true, true},
      {0xC67E, kernel::kRangeChinese, true, true},        {0xC6E7, kernel::kRangeChinese, false, true},
      {0xB0A1, kernel::kRangeChinese, true, true},        {0xAA40, kernel::kRangeChinese, true, false},
      {0xA440, kernel::kRangeDigits, false, false},
  };
  for (const FilterCase& c : cases) {
    const std::uint16_t code = kernel::SwapBytes(c.swapped);
    EXPECT_EQ(kernel::FilterCode(kernel::CodePage::kBig5, c.flags, code), c.big5) << std::hex << c.swapped;
    EXPECT_EQ(kernel::FilterCode(kernel::CodePage::kGb2312, c.flags, code), c.gb) << std::hex << c.swapped;
  }
}

}  // namespace
