#include "engine/NetSearchEngine/hwr_stroke_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/testing/hwr_stroke_file_writer.h"

namespace {

using vok::HwrStrokeFileContent;

int Parse(const std::string& text, HwrStrokeFileContent* content, int max_points = 1000) {
  return vok::ParseStrokeFile(reinterpret_cast<const uint8_t*>(text.data()), text.size(), max_points,
                              content);
}

TEST(HwrStrokeFileTest, ReadsWhatTheWriterWrites) {
  const std::vector<std::vector<vok::InkPoint>> strokes = {{{10, 20}, {-11, 21}}, {{32767, -9999}}};
  HwrStrokeFileContent content;
  ASSERT_EQ(Parse(vok_testing::WriteHwrStrokeFile(strokes), &content), 0);
  EXPECT_EQ(content.lengths, (std::vector<int>{2, 1}));
  ASSERT_EQ(content.points.size(), 3u);
  EXPECT_EQ(content.points[1].y, -11);
  EXPECT_EQ(content.points[1].x, 21);
  EXPECT_EQ(content.points[2].y, 32767);
  EXPECT_EQ(content.points[2].x, -9999);
}

TEST(HwrStrokeFileTest, FieldsOfFiveCharacters) {
  // "123456" is read as 12345 and 6; "-12345" as -1234 and 5.
  HwrStrokeFileContent content;
  ASSERT_EQ(Parse("1 2 0 123456 -12345", &content), 0);
  EXPECT_EQ(content.points[0].y, 12345);
  EXPECT_EQ(content.points[0].x, 6);
  EXPECT_EQ(content.points[1].y, -1234);
  EXPECT_EQ(content.points[1].x, 5);
}

TEST(HwrStrokeFileTest, MalformedFilesAreRefusedWhole) {
  const struct {
    const char* what;
    const char* text;
  } cases[] = {
      {"empty", ""},
      {"short inside a stroke", "2 2 2 0  1 1 2 2  3 3"},
      {"half a point", "1 1 0 5"},
      {"no further number", "1 1"},
      {"negative stroke count", "-1 0"},
      {"stroke without points", "2 1 0 0 1 1"},
      {"letters", "1 1 0 1 x"},
      {"sign alone", "1 1 0 - 5"},
      {"coordinate beyond 16 bits", "1 1 0 40000 1"},
      {"more points than allowed", "2 600 600 0"},
  };
  for (const auto& c : cases) {
    HwrStrokeFileContent content;
    EXPECT_EQ(Parse(c.text, &content), -1) << c.what;
    EXPECT_TRUE(content.points.empty() && content.lengths.empty()) << c.what;
  }
}

TEST(HwrStrokeFileTest, NoStrokesIsAnEmptyRequest) {
  HwrStrokeFileContent content;
  EXPECT_EQ(Parse("0 0", &content), 0);
  EXPECT_TRUE(content.lengths.empty());
}

}  // namespace
