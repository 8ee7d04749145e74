#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "common/recognition_types.h"
#include "common/recognizer_abi.h"
#include "kernel/cell.h"
#include "kernel/quick_classifier.h"
#include "kernel/segment_extractor.h"
#include "platform/shared_library.h"
#include "shapes/gesture/gesture_classifier.h"
#include "tests/support/stroke_drawing.h"

namespace {

using testing_support::Stroke;
using wrendle::StrokeEntry;

using testing_support::ListOf;
using testing_support::Polyline;

class GestureLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetModuleSearchDirectory(ZUN_MODULE_DIRECTORY);
    library_ = platform::SharedLibrary::Open("tarnig.dll");
    ASSERT_NE(library_, nullptr);
    gesture_ = library_->Entry<wrendle::abi::ZUNGestureFn>("ZUNGesture");
    ASSERT_NE(gesture_, nullptr);
  }
  void TearDown() override { platform::SetModuleSearchDirectory(""); }

  std::unique_ptr<platform::SharedLibrary> library_;
  wrendle::abi::ZUNGestureFn gesture_ = nullptr;
};

TEST_F(GestureLibraryTest, ShapesUnderTheRangeFlags) {
  const auto level = ListOf({Polyline({{100, 200}, {300, 200}})});
  const auto upright = ListOf({Polyline({{200, 100}, {200, 300}})});
  const auto enter = ListOf({Polyline({{300, 100}, {300, 300}, {100, 300}})});
  const auto dot = ListOf({Polyline({{200, 100}, {202, 130}}), Polyline({{200, 160}, {204, 300}})});
  struct Case {
    const char* name;
    const std::vector<StrokeEntry>* list;
    int flags;
    int expected;
  };
  const Case cases[] = {
      {"upright, digits", &upright, wrendle::kRangeDigits, kernel::kShapeOne},
      {"upright, no flags", &upright, 0, 0},
      {"upright, Chinese", &upright, wrendle::kRangeChinese, 0},
      {"level, Chinese", &level, wrendle::kRangeChinese, kernel::kShapeCross},
      {"level, digits", &level, wrendle::kRangeDigits, 0},
      {"dot, letters", &dot, wrendle::kRangeLetters, kernel::kShapeDot},
      {"dot, Chinese", &dot, wrendle::kRangeChinese, 0},
      {"enter, no flags", &enter, 0, wrendle::kGestureEnter},
      {"enter, all flags", &enter, 0xFFFF, wrendle::kGestureEnter},
  };
  for (const Case& c : cases) EXPECT_EQ(gesture_(c.list->data(), c.flags), c.expected) << c.name;
}

TEST_F(GestureLibraryTest, RefusedCells) {
  Stroke stroke = Polyline({{300, 100}, {300, 300}, {100, 300}});
  stroke.resize(1023, stroke.back());
  EXPECT_EQ(gesture_(ListOf({stroke}).data(), 0), wrendle::kGestureEnter) << "1023 points";
  stroke.push_back(stroke.back());
  EXPECT_EQ(gesture_(ListOf({stroke}).data(), 0), 0) << "1024 points";
  EXPECT_EQ(gesture_(ListOf({Polyline({{100, 100}, {110, 100}, {110, 110}})}).data(), 0), 0) << "10 pixels";
  EXPECT_EQ(gesture_(nullptr, 0), 0);
}

// Random cells of one to three strokes of a few straight legs each, biased
// towards the short shapes that the decision table knows.
std::vector<StrokeEntry> RandomCell(std::mt19937& random) {
  std::uniform_int_distribution<int> coordinate(0, 400);
  std::uniform_int_distribution<int> strokes(1, 3);
  std::uniform_int_distribution<int> legs(1, 6);
  std::vector<Stroke> cell;
  for (int s = strokes(random); s > 0; --s) {
    std::vector<StrokeEntry> corners{{coordinate(random), coordinate(random)}};
    for (int l = legs(random); l > 0; --l) corners.push_back({coordinate(random), coordinate(random)});
    cell.push_back(Polyline(corners));
  }
  return ListOf(cell);
}

TEST_F(GestureLibraryTest, AgreesWithTheKernelQuickPass) {
  std::mt19937 random(2101);
  std::uniform_int_distribution<int> flags(0, 7);
  int compared = 0;
  int gestures = 0;
  for (int i = 0; i < 4000; ++i) {
    const auto list = RandomCell(random);
    const auto cell = kernel::TakeCell(*wrendle::StrokeListView::Parse(list));
    if (!cell) continue;
    const auto quick =
        kernel::ExtractSegments(kernel::SegmentMode::kQuick, cell->points, kernel::kKernelSegmentLimit);
    if (quick.segments.size() >= kernel::kKernelSegmentLimit) continue;
    const int range = flags(random);
    const int expected =
        gesture::GestureResult(kernel::QuickClassify(quick.segments, cell->stroke_count), range);
    ASSERT_EQ(gesture_(list.data(), range), expected) << "cell " << i;
    ++compared;
    if (expected >= wrendle::kGestureFirst && expected <= wrendle::kGestureLast) ++gestures;
  }
  EXPECT_GT(compared, 3000);
  EXPECT_GT(gestures, 0) << "the random cells reach the gesture table";
}

}  // namespace
