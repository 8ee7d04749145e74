#include "engine/core/hwr_gesture_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing_support::TemporaryDirectory;
using vok::InkPoint;

std::vector<InkPoint> Line(int y0, int x0, int y1, int x1, int n) {
  std::vector<InkPoint> points;
  for (int i = 0; i < n; ++i) {
    points.push_back({static_cast<int16_t>(y0 + (y1 - y0) * i / (n - 1)),
                      static_cast<int16_t>(x0 + (x1 - x0) * i / (n - 1))});
  }
  return points;
}

vok::GestureTemplate Template(const char* name, const std::vector<std::vector<InkPoint>>& strokes) {
  std::vector<InkPoint> points;
  std::vector<int> counts;
  for (const auto& s : strokes) {
    points.insert(points.end(), s.begin(), s.end());
    counts.push_back(static_cast<int>(s.size()));
  }
  vok::GestureTemplate t;
  EXPECT_TRUE(vok::CHWRGestureRecognizer::MakeTemplate(name, static_cast<int>(strokes.size()), counts.data(),
                                                       points.data(), &t));
  return t;
}

std::string AsString(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

int64_t NaiveDtw(const InkPoint* a, const InkPoint* b, int i, int j) {
  const int64_t d = vok::IntegerDistance(a[i].y - b[j].y, a[i].x - b[j].x);
  if (i == 0 && j == 0) return d;
  if (i == 0) return NaiveDtw(a, b, 0, j - 1) + d;
  if (j == 0) return NaiveDtw(a, b, i - 1, 0) + d;
  return d + std::min({NaiveDtw(a, b, i - 1, j - 1), NaiveDtw(a, b, i - 1, j), NaiveDtw(a, b, i, j - 1)});
}

TEST(HwrGestureDistance, EqualsTheRecursiveDefinition) {
  std::mt19937 random(3);
  std::array<InkPoint, 32> a{};
  std::array<InkPoint, 32> b{};
  for (int trial = 0; trial < 3; ++trial) {
    for (auto& p : a)
      p = {static_cast<int16_t>(random() % 20000 - 10000), static_cast<int16_t>(random() % 20000 - 10000)};
    for (auto& p : b)
      p = {static_cast<int16_t>(random() % 20000 - 10000), static_cast<int16_t>(random() % 20000 - 10000)};
    // The recursion is exponential; memoise it through a table of the same
    // recurrence filled in the other order (columns first).
    std::array<std::array<int64_t, 32>, 32> table{};
    for (int j = 0; j < 32; ++j) {
      for (int i = 0; i < 32; ++i) {
        const int64_t d = vok::IntegerDistance(a[i].y - b[j].y, a[i].x - b[j].x);
        if (i == 0 && j == 0)
          table[i][j] = d;
        else if (i == 0)
          table[i][j] = table[i][j - 1] + d;
        else if (j == 0)
          table[i][j] = table[i - 1][j] + d;
        else
          table[i][j] = d + std::min({table[i - 1][j - 1], table[i - 1][j], table[i][j - 1]});
      }
    }
    EXPECT_EQ(vok::GestureStrokeDistance(a.data(), b.data()), table[31][31]);
    EXPECT_EQ(NaiveDtw(a.data(), b.data(), 3, 4), table[3][4]);
  }
  EXPECT_EQ(vok::GestureStrokeDistance(a.data(), a.data()), 0);
}

TEST(HwrGestureFile, GoldenRecordBytes) {
  vok::GestureTemplate t;
  t.in_use = 1;
  std::strcpy(t.name.data(), "Enter");
  t.strokes = 1;
  t.points[0][0] = {-2, 300};
  const auto file = vok_testing::WriteGestureTemplates({t});
  ASSERT_EQ(file.bytes.size(), 512u + 408u);
  const uint8_t header[] = {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 32, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(std::memcmp(file.bytes.data(), header, sizeof header), 0);
  const uint8_t record[] = {1, 0, 0, 0, 'E', 'n', 't', 'e', 'r', 0, 0,    0,    0,    0,
                            0, 0, 0, 0, 0,   0,   1,   0,   0,   0, 0xFE, 0xFF, 0x2C, 0x01};
  EXPECT_EQ(std::memcmp(file.bytes.data() + 512, record, sizeof record), 0);

  vok::CHWRGestureRecognizer recognizer;
  ASSERT_TRUE(recognizer.Parse(file.bytes.data(), file.bytes.size()));
  ASSERT_EQ(recognizer.templates().size(), 1u);
  EXPECT_STREQ(recognizer.templates()[0].name.data(), "Enter");
  EXPECT_EQ(recognizer.templates()[0].points[0][0].y, -2);
  EXPECT_EQ(recognizer.templates()[0].points[0][0].x, 300);
  // The recognizer writes the same bytes back.
  EXPECT_EQ(recognizer.Serialise(), file.bytes);
}

TEST(HwrGestureFile, RefusedAndCutInputs) {
  const auto enter = Template("Enter", {Line(0, 0, 0, 100, 10)});
  vok::CHWRGestureRecognizer recognizer;
  const struct {
    const char* what;
    vok_testing::WrittenFile file;
  } refused[] = {
      {"version 2", vok_testing::WriteGestureTemplates({enter}, 2)},
      {"negative count", vok_testing::WriteGestureTemplates({enter}, 3, -1000)},
      {"31 points per stroke", vok_testing::WriteGestureTemplates({enter}, 3, 1, 31)},
  };
  for (const auto& c : refused)
    EXPECT_FALSE(recognizer.Parse(c.file.bytes.data(), c.file.bytes.size())) << c.what;
  const auto header_only = vok_testing::WriteGestureTemplates({});
  EXPECT_FALSE(recognizer.Parse(header_only.bytes.data(), 511));

  // Fewer bytes than the count promises: an empty table.
  const auto short_file = vok_testing::WriteGestureTemplates({enter}, 3, 2);
  ASSERT_TRUE(recognizer.Parse(short_file.bytes.data(), short_file.bytes.size()));
  EXPECT_TRUE(recognizer.templates().empty());
  const auto huge = vok_testing::WriteGestureTemplates({enter}, 3, 0x7FFFFFFF);
  ASSERT_TRUE(recognizer.Parse(huge.bytes.data(), huge.bytes.size()));
  EXPECT_TRUE(recognizer.templates().empty());

  // Records with 0 or 4 strokes are left out; an unterminated name is cut.
  auto zero = enter;
  zero.strokes = 0;
  auto four = enter;
  four.strokes = 4;
  auto long_name = enter;
  std::memset(long_name.name.data(), 'n', 16);
  const auto mixed = vok_testing::WriteGestureTemplates({zero, long_name, four});
  ASSERT_TRUE(recognizer.Parse(mixed.bytes.data(), mixed.bytes.size()));
  ASSERT_EQ(recognizer.templates().size(), 1u);
  EXPECT_EQ(std::string(recognizer.templates()[0].name.data()), std::string(15, 'n'));
}

TEST(HwrGestureModel, MatchesOnlyTemplatesOfTheSameStrokeCount) {
  vok::CHWRGestureRecognizer recognizer;
  const auto right = Line(0, 0, 0, 300, 30);
  const auto down = Line(0, 0, 300, 0, 30);
  const int one[] = {30};
  const int two[] = {30, 30};
  ASSERT_EQ(recognizer.Add("Right", 1, one, right.data()), 0);
  ASSERT_EQ(recognizer.Add("Down", 1, one, down.data()), 0);
  std::string name;
  int64_t score = -1;
  ASSERT_EQ(recognizer.Match(Line(5, 0, -5, 280, 17).data(), 1, std::array<int, 1>{17}.data(), &name, &score),
            1);
  EXPECT_EQ(name, "Right");
  EXPECT_LE(score, vok::kGestureMatchLimitPerStroke);
  std::vector<InkPoint> both(right);
  both.insert(both.end(), down.begin(), down.end());
  EXPECT_EQ(recognizer.Match(both.data(), 2, two, &name, &score), 0);
  // A shape far from every template does not qualify.
  std::vector<InkPoint> zigzag;
  for (int i = 0; i < 30; ++i)
    zigzag.push_back({static_cast<int16_t>(i % 2 ? 300 : 0), static_cast<int16_t>(i * 10)});
  EXPECT_EQ(recognizer.Match(zigzag.data(), 1, one, &name, &score), 0);
  // Four strokes or an empty stroke are not templates.
  const int four[] = {5, 5, 5, 5};
  EXPECT_EQ(recognizer.Add("Four", 4, four, right.data()), -3);
  const int empty[] = {0};
  EXPECT_EQ(recognizer.Add("Empty", 1, empty, right.data()), -3);
}

TEST(HwrGestureModel, AddRemoveEnumerateAndRewrite) {
  TemporaryDirectory folder;
  const std::string path = folder.File("Gestures");
  const auto right = Line(0, 0, 0, 300, 30);
  const int one[] = {30};
  {
    vok::CHWRGestureModel empty;
    std::string name;
    EXPECT_EQ(empty.AddGesture("x", 1, one, right.data()), -1);
    EXPECT_EQ(empty.RemoveGesture("x"), -1);
    EXPECT_EQ(empty.EnumGesture(0, &name), -1);
  }
  {
    vok::CHWRGestureModel model;
    ASSERT_TRUE(model.Load(path.c_str()));  // missing: an empty table
    ASSERT_EQ(model.AddGesture("Right", 1, one, right.data()), 0);
    ASSERT_EQ(model.AddGesture("Left", 1, one, Line(0, 300, 0, 0, 30).data()), 0);
    ASSERT_EQ(model.AddGesture("Up", 1, one, Line(300, 0, 0, 0, 30).data()), 0);
    EXPECT_EQ(model.RemoveGesture("Left"), 0);
    EXPECT_EQ(model.RemoveGesture("Left"), -1);
    // The freed record is reused.
    ASSERT_EQ(model.AddGesture("Down", 1, one, Line(0, 0, 300, 0, 30).data()), 0);
    std::string name;
    EXPECT_EQ(model.EnumGesture(1, &name), 0);
    EXPECT_EQ(name, "Down");
    EXPECT_EQ(model.EnumGesture(3, &name), -2);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  // Written when the model went away; nothing but the file is left behind.
  vok::CHWRGestureRecognizer reread;
  const std::string bytes = folder.Read("Gestures");
  ASSERT_TRUE(reread.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  ASSERT_EQ(reread.templates().size(), 3u);
  EXPECT_STREQ(reread.templates()[1].name.data(), "Down");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

  // A refused file is left as it was, even after changes are attempted.
  const auto old = vok_testing::WriteGestureTemplates({}, 2);
  folder.Write("Old", AsString(old.bytes));
  {
    vok::CHWRGestureModel model;
    EXPECT_FALSE(model.Load(folder.File("Old").c_str()));
    EXPECT_EQ(model.AddGesture("Right", 1, one, right.data()), -1);
  }
  EXPECT_EQ(folder.Read("Old"), AsString(old.bytes));
}

}  // namespace
